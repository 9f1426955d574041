#include "win32/Win32System.h"

#include <windows.h>
// The file-system interface has methods of these names; the ...A functions are called by name.
#undef CreateDirectory
#undef CopyFile
#undef SetCurrentDirectory
#undef DeleteFile
#undef MoveFile

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "support/ClockStart.h"
#include "win32/Scoped.h"

namespace win32 {
namespace {

std::string EnvironmentValue(const char* name) {
    const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return {};
    std::string value(size, '\0');
    const DWORD length = GetEnvironmentVariableA(name, &value[0], size);
    if (length == 0 || length >= size) return {};
    value.resize(length);
    return value;
}

platform::DateTime FromSystemTime(const SYSTEMTIME& st) {
    platform::DateTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    t.dayOfWeek = st.wDayOfWeek;
    return t;
}

// FILETIME counts 100-nanosecond ticks from 1601-01-01 00:00:00 UTC.
constexpr long long kTicksPerSecond = 10000000;
constexpr long long kTicksTo1970 = 116444736000000000LL;

// Local time; or, with a start moment set, that moment plus the real time passed since. UTC always
// comes from the system: the start moment only moves the local clock that the quotes are read by.
class Clock : public platform::Clock {
public:
    Clock() {
        start_ = support::ParseClockStart(EnvironmentValue("QUODO_CLOCK"));
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&startCounter_);
    }

    platform::DateTime Now() override {
        if (!start_) {
            SYSTEMTIME st;
            GetLocalTime(&st);
            return FromSystemTime(st);
        }
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        const long long elapsed = counter.QuadPart - startCounter_.QuadPart;
        const long long milliseconds =
            elapsed / frequency_.QuadPart * 1000 + elapsed % frequency_.QuadPart * 1000 / frequency_.QuadPart;
        return support::AddMilliseconds(*start_, milliseconds);
    }

    int64_t UtcNow() override {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        return (ticks - kTicksTo1970) / kTicksPerSecond;
    }

    platform::DateTime LocalTimeOf(int64_t utcSeconds) override {
        const long long ticks = utcSeconds * kTicksPerSecond + kTicksTo1970;
        FILETIME moment;
        moment.dwLowDateTime = static_cast<DWORD>(ticks);
        moment.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
        SYSTEMTIME utc, local;
        // The zone's rules for that moment, its own summer time included (southern zones too).
        if (ticks < 0 || !FileTimeToSystemTime(&moment, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
            return support::MomentAfter1970(utcSeconds);
        return FromSystemTime(local);
    }

private:
    std::optional<platform::DateTime> start_;
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER startCounter_{};
};

std::string LocaleText(LCTYPE type) {
    char buffer[100];
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return length > 1 ? std::string(buffer, length - 1) : std::string();
}

class Locale : public platform::Locale {
public:
    unsigned LanguageId() override { return GetUserDefaultLangID(); }
    char DecimalSeparator() override { return FirstCharOr(LocaleText(LOCALE_SDECIMAL), '.'); }
    char TimeSeparator() override { return FirstCharOr(LocaleText(LOCALE_STIME), ':'); }
    std::string LongTimeFormat() override {
        const std::string format = LocaleText(LOCALE_STIMEFORMAT);
        return format.empty() ? "HH:mm:ss" : format;
    }
    std::string ShortDateFormat() override {
        const std::string format = LocaleText(LOCALE_SSHORTDATE);
        return format.empty() ? "d-M-yyyy" : format;
    }

private:
    static char FirstCharOr(const std::string& text, char fallback) { return text.empty() ? fallback : text[0]; }
};

platform::TransitionDate FromTransition(const SYSTEMTIME& st) {
    platform::TransitionDate t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.dayOfWeek = st.wDayOfWeek;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    return t;
}

class SystemInfo : public platform::SystemInfo {
public:
    platform::WindowsVersion Version() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        platform::WindowsVersion version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(&info)) return version;
#pragma GCC diagnostic pop
        version.platformId = info.dwPlatformId;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.servicePack = info.szCSDVersion;
        return version;
    }

    platform::TimeZone TimeZoneInformation() override {
        TIME_ZONE_INFORMATION info{};
        platform::TimeZone zone;
        if (GetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID) return zone;
        zone.bias = info.Bias;
        zone.standardBias = info.StandardBias;
        zone.daylightBias = info.DaylightBias;
        zone.standardDate = FromTransition(info.StandardDate);
        zone.daylightDate = FromTransition(info.DaylightDate);
        return zone;
    }

    unsigned DriveType(const std::string& root) override { return GetDriveTypeA(root.c_str()); }

    std::string Environment(const std::string& name) override { return EnvironmentValue(name.c_str()); }

    std::string SystemFolder() override { return SystemFolderPath(); }
};

int64_t TicksOf(const FILETIME& ft) {
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

// Read through a handle that shares reading only: no one may open the file for writing or
// deleting (nor rename or replace it) while the handle is open.
class HeldFile : public platform::HeldFile {
public:
    explicit HeldFile(OwnedHandle file) : file_(std::move(file)) {}
    bool Read(char* buffer, size_t size, size_t* bytesRead) override {
        DWORD read = 0;
        if (!::ReadFile(file_.get(), buffer, static_cast<DWORD>(std::min<size_t>(size, 1u << 20)), &read, nullptr))
            return false;
        *bytesRead = read;
        return true;
    }

private:
    OwnedHandle file_;
};

class FileSystem : public platform::FileSystem {
public:
    bool FileExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool DirectoryExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool CreateDirectory(const std::string& path) override { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }

    std::string CurrentDirectory() override {
        const DWORD size = GetCurrentDirectoryA(0, nullptr);
        if (size == 0) return {};
        std::string folder(size, '\0');
        const DWORD length = GetCurrentDirectoryA(size, &folder[0]);
        if (length == 0 || length >= size) return {};
        folder.resize(length);
        if (!folder.empty() && folder.back() == '\\') folder.pop_back();  // a drive root: "C:"
        return folder;
    }

    bool SetCurrentDirectory(const std::string& path) override {
        // "C:" alone would mean the remembered folder on drive C, not its root.
        const std::string folder = path.size() == 2 && path[1] == ':' ? path + "\\" : path;
        return ::SetCurrentDirectoryA(folder.c_str()) != 0;
    }

    std::string ProgramPath() override {
        char buffer[MAX_PATH + 1];
        const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
    }

    std::string ExpandPath(const std::string& path) override {
        const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
        if (size == 0) return path;
        std::string full(size, '\0');
        const DWORD length = GetFullPathNameA(path.c_str(), size, &full[0], nullptr);
        if (length == 0 || length >= size) return path;
        full.resize(length);
        return full;
    }

    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
        return ::CopyFileA(from.c_str(), to.c_str(), failIfExists) != 0;
    }

    std::optional<int64_t> ModifiedTime(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
        return TicksOf(data.ftLastWriteTime);
    }

    bool SetModifiedTime(const std::string& path, int64_t ticks) override {
        const OwnedHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        FILETIME ft;
        ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xffffffffu);
        ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
        return SetFileTime(file.get(), nullptr, nullptr, &ft) != 0;
    }

    std::optional<std::string> ReadFile(const std::string& path) override {
        return ReadFileUpTo(path, std::numeric_limits<uint64_t>::max());
    }

    // A file larger than the bound is not read at all; one that grows meanwhile stops at the bound.
    // A file too large for memory raises an error, with the handle closed.
    std::optional<std::string> ReadFileUpTo(const std::string& path, uint64_t maxBytes) override {
        const OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return std::nullopt;
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) > maxBytes) return std::nullopt;
        if (static_cast<uint64_t>(size.QuadPart) > std::numeric_limits<size_t>::max()) throw std::bad_alloc();
        std::string content;
        content.reserve(static_cast<size_t>(size.QuadPart));
        char buffer[64 * 1024];
        for (;;) {
            DWORD read = 0;
            if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
            if (read == 0) return content;
            if (content.size() + uint64_t{read} > maxBytes) return std::nullopt;
            content.append(buffer, read);
        }
    }

    bool WriteFile(const std::string& path, const std::string& content) override {
        const OwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        bool ok = true;
        for (size_t at = 0; ok && at < content.size();) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - at, 1u << 20));
            DWORD written = 0;
            ok = ::WriteFile(file.get(), content.data() + at, chunk, &written, nullptr) && written == chunk;
            at += chunk;
        }
        return ok;
    }

    bool DeleteFile(const std::string& path) override {
        if (::DeleteFileA(path.c_str())) return true;
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }

    bool MoveFile(const std::string& from, const std::string& to) override {
        return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    std::unique_ptr<platform::HeldFile> Hold(const std::string& path) override {
        OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return nullptr;
        return std::make_unique<HeldFile>(std::move(file));
    }

    std::vector<std::string> FileNamesIn(const std::string& folder) override {
        std::string pattern = folder;
        if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
        pattern += '*';
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }
};

}  // namespace

std::string SystemFolderPath() {
    const UINT size = GetSystemDirectoryA(nullptr, 0);
    if (size == 0) return {};
    std::string folder(size, '\0');
    const UINT length = GetSystemDirectoryA(&folder[0], size);
    if (length == 0 || length >= size) return {};
    folder.resize(length);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string SystemFilePath(const std::string& name) {
    const std::string folder = SystemFolderPath();
    return folder.empty() ? std::string() : folder + "\\" + name;
}

void InstallSystemServices() {
    // The clock and the files live until the process ends: work cut short at the end (a download
    // deleting its partial file) may still use them while the static objects are destroyed.
    static Clock* const clock = new Clock;
    static Locale locale;
    static SystemInfo system;
    static FileSystem* const files = new FileSystem;
    platform::Services& services = platform::Current();
    services.clock = clock;
    services.locale = &locale;
    services.system = &system;
    services.files = files;
}

}  // namespace win32
