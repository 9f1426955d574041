// Fakes of the clock, the regional settings, the system information and the file system for
// native tests. Every field is public and settable; Install() puts all four into
// platform::Current() and leaves the other services as they are.
//
//   FakeSystem sys;
//   sys.clock.now = MakeDateTime(2026, 7, 1, 12, 0);
//   sys.files.AddFile("C:\\Data\\a.txt", "text", 1000);
//   sys.Install();
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "support/ClockStart.h"

namespace fakes {

inline int FakeDayOfWeek(int year, int month, int day) {
    // Sakamoto's method; 0 = Sunday.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

inline platform::DateTime MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                       int second = 0, int millisecond = 0) {
    platform::DateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = millisecond;
    t.dayOfWeek = FakeDayOfWeek(year, month, day);
    return t;
}

// The local clock `now`, in a zone that lies utcOffsetMinutes ahead of UTC (Central European
// winter time by default): UtcNow and LocalTimeOf follow from the two.
struct FakeClock : platform::Clock {
    platform::DateTime now = MakeDateTime(2026, 1, 5, 12, 0);
    int utcOffsetMinutes = 60;
    unsigned long long slept = 0;  // milliseconds asked for in all
    platform::DateTime Now() override { return now; }
    int64_t UtcNow() override { return support::SecondsSince1970(now) - utcOffsetMinutes * 60LL; }
    platform::DateTime LocalTimeOf(int64_t utcSeconds) override {
        return support::MomentAfter1970(utcSeconds + utcOffsetMinutes * 60LL);
    }
    // Counts the pause instead of waiting it out; other threads get their turn.
    void Sleep(unsigned milliseconds) override {
        slept += milliseconds;
        std::this_thread::yield();
    }
};

struct FakeLocale : platform::Locale {
    unsigned languageId = 1043;
    char decimalSeparator = ',';
    char timeSeparator = ':';
    std::string longTimeFormat = "HH:mm:ss";
    std::string shortDateFormat = "d-M-yyyy";
    unsigned LanguageId() override { return languageId; }
    char DecimalSeparator() override { return decimalSeparator; }
    char TimeSeparator() override { return timeSeparator; }
    std::string LongTimeFormat() override { return longTimeFormat; }
    std::string ShortDateFormat() override { return shortDateFormat; }
};

// The Central European zone: daylight from the last Sunday of March 2:00 to the last Sunday
// of October 3:00, one hour.
inline platform::TimeZone CentralEuropeanZone() {
    platform::TimeZone zone;
    zone.bias = -60;
    zone.standardBias = 0;
    zone.daylightBias = -60;
    zone.daylightDate.month = 3;
    zone.daylightDate.day = 5;
    zone.daylightDate.hour = 2;
    zone.standardDate.month = 10;
    zone.standardDate.day = 5;
    zone.standardDate.hour = 3;
    return zone;
}

struct FakeSystemInfo : platform::SystemInfo {
    platform::WindowsVersion version{2, 6, 1, ""};
    platform::TimeZone timeZone = CentralEuropeanZone();
    std::map<std::string, unsigned> driveTypes{{"C:\\", 3}};  // roots not listed: 1 (no such root)
    std::map<std::string, std::string> environment;
    std::vector<std::string> driveTypeQueries;

    platform::WindowsVersion Version() override { return version; }
    platform::TimeZone TimeZoneInformation() override { return timeZone; }
    unsigned DriveType(const std::string& root) override {
        driveTypeQueries.push_back(root);
        const auto it = driveTypes.find(root);
        return it == driveTypes.end() ? 1 : it->second;
    }
    std::string Environment(const std::string& name) override {
        const auto it = environment.find(name);
        return it == environment.end() ? std::string() : it->second;
    }
    std::string systemFolder = "C:\\Windows\\system32";
    std::string SystemFolder() override { return systemFolder; }
};

// An in-memory file system with Windows paths. Paths are compared as given (case-sensitive);
// folders are kept without a trailing backslash; drive roots ("C:") always exist.
struct FakeFileSystem : platform::FileSystem {
    struct File {
        std::string content;
        int64_t modified = 0;
    };
    std::map<std::string, File> files;
    std::set<std::string> folders;
    std::string currentDirectory = "C:\\Program Files\\Quodo";
    std::string programPath = "C:\\Program Files\\Quodo\\Quodo.exe";
    bool failCopy = false;
    bool failSetModifiedTime = false;
    std::set<std::string> refusedFolders;      // CreateDirectory fails for these
    std::set<std::string> unenterableFolders;  // SetCurrentDirectory fails for these
    std::vector<std::string> createdFolders;

    static std::string Trimmed(std::string path) {
        while (path.size() > 1 && path.back() == '\\' && !(path.size() == 3 && path[1] == ':')) path.pop_back();
        if (path.size() == 3 && path[1] == ':' && path[2] == '\\') path.pop_back();
        return path;
    }
    static std::string ParentOf(const std::string& path) {
        const auto at = path.rfind('\\');
        return at == std::string::npos ? std::string() : path.substr(0, at);
    }
    static bool IsDrive(const std::string& path) { return path.size() == 2 && path[1] == ':'; }

    void AddFolder(const std::string& path) {
        for (std::string p = Trimmed(path); !p.empty() && !IsDrive(p); p = ParentOf(p)) folders.insert(p);
    }
    void AddFile(const std::string& path, const std::string& content, int64_t modified) {
        AddFolder(ParentOf(path));
        files[path] = File{content, modified};
    }

    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    bool DirectoryExists(const std::string& path) override {
        const std::string p = Trimmed(path);
        return IsDrive(p) || folders.count(p) > 0;
    }
    bool CreateDirectory(const std::string& path) override {
        const std::string p = Trimmed(path);
        if (p.empty() || DirectoryExists(p) || refusedFolders.count(p) || files.count(p)) return false;
        const std::string parent = ParentOf(p);
        if (!parent.empty() && !DirectoryExists(parent)) return false;
        folders.insert(p);
        createdFolders.push_back(p);
        return true;
    }
    std::string CurrentDirectory() override { return currentDirectory; }
    bool SetCurrentDirectory(const std::string& path) override {
        const std::string p = Trimmed(path);
        if (!DirectoryExists(p) || unenterableFolders.count(p)) return false;
        currentDirectory = p;
        return true;
    }
    std::string ProgramPath() override { return programPath; }
    std::string ExpandPath(const std::string& path) override {
        if (path.size() >= 2 && path[1] == ':') return path;
        if (!path.empty() && path[0] == '\\') return currentDirectory.substr(0, 2) + path;
        return currentDirectory + "\\" + path;
    }
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
        if (failCopy || !files.count(from) || !DirectoryExists(ParentOf(to))) return false;
        if (failIfExists && files.count(to)) return false;
        files[to] = files[from];
        return true;
    }
    std::optional<int64_t> ModifiedTime(const std::string& path) override {
        const auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second.modified;
    }
    bool SetModifiedTime(const std::string& path, int64_t ticks) override {
        const auto it = files.find(path);
        if (failSetModifiedTime || it == files.end()) return false;
        it->second.modified = ticks;
        return true;
    }
    std::optional<std::string> ReadFile(const std::string& path) override {
        const auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second.content;
    }
    std::set<std::string> unwritableFiles;  // WriteFile and DeleteFile fail for these
    bool WriteFile(const std::string& path, const std::string& content) override {
        if (unwritableFiles.count(path) || !DirectoryExists(ParentOf(path))) return false;
        files[path].content = content;
        return true;
    }
    bool DeleteFile(const std::string& path) override {
        if (unwritableFiles.count(path)) return false;
        files.erase(path);
        return true;
    }
    bool MoveFile(const std::string& from, const std::string& to) override {
        const auto it = files.find(from);
        if (it == files.end() || unwritableFiles.count(to)) return false;
        File moved = std::move(it->second);
        files.erase(it);
        files[to] = std::move(moved);
        return true;
    }

    // A held file reads what ReadFile gave when it was held; held lists the paths open so.
    std::multiset<std::string> held;
    std::unique_ptr<platform::HeldFile> Hold(const std::string& path) override {
        struct Held : platform::HeldFile {
            Held(FakeFileSystem& o, std::string p, std::string c) : owner(o), path(p), content(c) { o.held.insert(p); }
            ~Held() override { owner.held.erase(owner.held.find(path)); }
            bool Read(char* buffer, size_t size, size_t* bytesRead) override {
                at += *bytesRead = content.copy(buffer, size, at);
                return true;
            }
            FakeFileSystem& owner;
            std::string path, content;
            size_t at = 0;
        };
        std::optional<std::string> content = ReadFile(path);
        return content ? std::make_unique<Held>(*this, path, *content) : nullptr;
    }
    std::vector<std::string> FileNamesIn(const std::string& folder) override {
        const std::string parent = Trimmed(folder);
        std::vector<std::string> names;
        for (const auto& [path, file] : files)
            if (ParentOf(path) == parent) names.push_back(path.substr(parent.size() + 1));
        return names;
    }
};

struct FakeSystem {
    FakeClock clock;
    FakeLocale locale;
    FakeSystemInfo system;
    FakeFileSystem files;

    FakeSystem() = default;
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    void Install() {
        platform::Services& services = platform::Current();
        services.clock = &clock;
        services.locale = &locale;
        services.system = &system;
        services.files = &files;
    }
    // Takes the four services out of platform::Current() again.
    void Uninstall() {
        platform::Services& services = platform::Current();
        if (services.clock == &clock) services.clock = nullptr;
        if (services.locale == &locale) services.locale = nullptr;
        if (services.system == &system) services.system = nullptr;
        if (services.files == &files) services.files = nullptr;
    }
};

}  // namespace fakes
