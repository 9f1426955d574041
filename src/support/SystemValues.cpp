// The program-wide system values (language, Windows name, desktop folder, daylight saving),
// the data folder and the copy of a file with its modification date.
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "support/Support.h"

namespace support {

std::string LanguageCode = "ENU";
std::string WindowsName;
bool NtFamily = false;
std::string DesktopFolder;
bool DaylightInEffect = false;
double DaylightShift = 0;

namespace {

bool g_initialized = false;

constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kInternationalKey = "Control Panel\\International";
constexpr size_t kMaxPathLength = 259;
constexpr double kTicksPerDay = 24.0 * 60 * 60 * 10000000;

std::string WithoutTrailingZeros(std::string text) {
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

std::optional<std::string> ReadRegistryText(const std::string& key, const std::string& name) {
    platform::Registry* registry = platform::Current().registry;
    if (!registry) return std::nullopt;
    const auto value = registry->Query(key, name);
    if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) return std::nullopt;
    return WithoutTrailingZeros(value->data);
}

std::string ReadDesktopFolder() {
    const auto desktop = ReadRegistryText(kShellFoldersKey, "Desktop");
    if (!desktop || desktop->empty()) return {};
    return desktop->back() == '\\' ? *desktop : *desktop + "\\";
}

// "iCountry" as a whole number; 1 when missing or unreadable.
long ReadCountryCode() {
    platform::Registry* registry = platform::Current().registry;
    if (!registry) return 1;
    const auto value = registry->Query(kInternationalKey, "iCountry");
    if (!value) return 1;
    if (value->type == platform::kRegDword && value->data.size() >= 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(value->data.data());
        return static_cast<long>(static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24));
    }
    if (value->type == platform::kRegSz || value->type == platform::kRegExpandSz) {
        const std::string text = WithoutTrailingZeros(value->data);
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        if (!text.empty() && end && *end == '\0') return number;
    }
    return 1;
}

void ComputeDaylightSaving() {
    DaylightInEffect = false;
    DaylightShift = 0;
    platform::Services& services = platform::Current();
    if (ReadCountryCode() == 1 || !services.system || !services.clock) return;
    const platform::TimeZone zone = services.system->TimeZoneInformation();
    DaylightInEffect = DaylightSavingAt(zone, services.clock->Now());
    DaylightShift = DaylightInEffect ? DaylightShiftOf(zone) : 0;
}

// The version as the program saw it before it declared, in its manifest, the systems it supports:
// Windows then told every program without that declaration 6.2 from Windows 8 on. The program's
// Windows name stays the one it always had ("Windows 8" on 8.1, 10 and 11).
platform::WindowsVersion AsWithoutManifest(platform::WindowsVersion v) {
    if (v.platformId == 2 && (v.major > 6 || (v.major == 6 && v.minor > 2))) {
        v.major = 6;
        v.minor = 2;
    }
    return v;
}

bool IsDriveOnly(const std::string& path) { return path.size() == 2 && path[1] == ':'; }

// The drive letter of a path; a relative path lies on the drive of its full name.
char DriveLetterOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path[0];
    const std::string full = platform::Current().files->ExpandPath(path);
    return full.empty() ? '\0' : full[0];
}

bool OnFixedDrive(const std::string& path) {
    const char letter = DriveLetterOf(path);
    return letter != '\0' && DriveTypeName(letter) == "DRIVE_FIXED";
}

}  // namespace

std::string LanguageCodeFor(unsigned languageId) {
    return languageId == 1043 || languageId == 2067 || languageId == 1078 ? "NLD" : "ENU";
}

std::string WindowsNameFor(const platform::WindowsVersion& v) {
    if (v.platformId == 1) {
        if (v.major != 4) return "9x version (unknown)";
        const char first = v.servicePack.empty() ? '\0' : v.servicePack[0];
        switch (v.minor) {
            case 0: return first == 'B' || first == 'C' ? "95 OSR2" : "95";
            case 10: return first == 'A' ? "98 SE" : "98";
            case 90: return "ME";
            default: return "";
        }
    }
    if (v.platformId == 2) {
        if (v.major <= 4) return "NT";
        if (v.major == 5) {
            static const char* const kNames[] = {"2000", "XP", "Server 2003"};
            return v.minor <= 2 ? kNames[v.minor] : "";
        }
        if (v.major == 6 && v.minor <= 2) {
            static const char* const kNames[] = {"Vista", "Windows 7", "Windows 8"};
            return kNames[v.minor];
        }
        return "Future Windows version (unknown)";
    }
    return "";
}

bool IsNtFamilyName(const std::string& name) {
    static const char* const kNtNames[] = {"NT",    "2000",      "XP",        "Server 2003",
                                           "Vista", "Windows 7", "Windows 8", "Future Windows version (unknown)"};
    for (const char* nt : kNtNames) {
        if (name == nt) return true;
    }
    return false;
}

void Initialize() {
    if (g_initialized) return;
    g_initialized = true;
    platform::Services& services = platform::Current();
    LanguageCode = LanguageCodeFor(services.locale ? services.locale->LanguageId() : 0);
    WindowsName = services.system ? WindowsNameFor(AsWithoutManifest(services.system->Version())) : "";
    NtFamily = IsNtFamilyName(WindowsName);
    DesktopFolder = ReadDesktopFolder();
    ComputeDaylightSaving();
}

void Finalize() {
    g_initialized = false;
    LanguageCode = "ENU";
    WindowsName.clear();
    NtFamily = false;
    DesktopFolder.clear();
    DaylightInEffect = false;
    DaylightShift = 0;
}

bool IsEarlier(const platform::DateTime& a, const platform::DateTime& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.millisecond) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.millisecond);
}

platform::DateTime TransitionMoment(const platform::TransitionDate& transition, int year) {
    platform::DateTime t;
    t.hour = transition.hour;
    t.minute = transition.minute;
    t.second = transition.second;
    t.millisecond = transition.millisecond;
    t.month = transition.month;
    if (transition.year != 0) {
        t.year = transition.year;
        t.day = transition.day;
    } else {
        // The n-th given weekday of the month; n = 5 (or beyond the month's end) is the last one.
        t.year = year;
        const int firstWeekday = DayOfWeek({year, transition.month, 1});
        const int firstOccurrence = 1 + (transition.dayOfWeek - firstWeekday + 7) % 7;
        const int occurrence = transition.day < 1 ? 1 : transition.day;
        t.day = firstOccurrence + 7 * (occurrence - 1);
        while (t.day > DaysInMonth(year, transition.month)) t.day -= 7;
    }
    t.dayOfWeek = DayOfWeek({t.year, t.month, t.day});
    return t;
}

bool DaylightSavingAt(const platform::TimeZone& zone, const platform::DateTime& now) {
    // Month 0: the zone has no daylight saving at all.
    if (zone.daylightDate.month < 1 || zone.daylightDate.month > 12 || zone.standardDate.month < 1 ||
        zone.standardDate.month > 12) {
        return false;
    }
    const platform::DateTime daylightStart = TransitionMoment(zone.daylightDate, now.year);
    const platform::DateTime standardStart = TransitionMoment(zone.standardDate, now.year);
    return IsEarlier(daylightStart, now) && IsEarlier(now, standardStart);
}

double DaylightShiftOf(const platform::TimeZone& zone) {
    return static_cast<double>(zone.standardBias - zone.daylightBias) / 1440.0;
}

std::string DataFolder(const std::string& programName) {
    platform::FileSystem* files = platform::Current().files;
    if (!NtFamily) return files->CurrentDirectory() + "\\";

    // Desktop folder C:\Users\user\Desktop\ -> profile folder C:\Users\user
    const std::string profile = TextBeforeLastChar('\\', TextBeforeLastChar('\\', DesktopFolder));
    const std::string folder = profile + "\\UserData\\" + programName + "\\";
    const std::string previous = files->CurrentDirectory();
    MakeFolder(folder);
    if (!files->SetCurrentDirectory(previous)) throw InOutError("I/O error: cannot return to " + previous);
    return folder;
}

bool ForceFolders(platform::FileSystem& files, const std::string& folder) {
    std::string path = folder;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    if (path.empty() || IsDriveOnly(path)) return true;
    if (files.DirectoryExists(path)) return true;
    const std::string parent = TextBeforeLastChar('\\', path);
    if (!parent.empty() && !ForceFolders(files, parent)) return false;
    return files.CreateDirectory(path) || files.DirectoryExists(path);
}

bool MakeFolder(const std::string& folder) {
    platform::FileSystem* files = platform::Current().files;
    ForceFolders(*files, folder);
    if (files->DirectoryExists(folder)) files->SetCurrentDirectory(folder);
    return files->CurrentDirectory() + "\\" == folder;
}

bool CopyFileWithDate(const std::string& source, const std::string& target, bool failIfExists) {
    platform::FileSystem* files = platform::Current().files;
    // Longer paths do not fit the system's path buffers; refuse them rather than copy to a cut name.
    if (source.size() > kMaxPathLength || target.size() > kMaxPathLength) return false;
    if (source.empty() || !files->FileExists(source)) return false;
    const std::optional<int64_t> modified = files->ModifiedTime(source);
    const std::string targetFolder = TextBeforeLastChar('\\', target);
    if (!targetFolder.empty()) ForceFolders(*files, targetFolder);
    if (!files->CopyFile(source, target, failIfExists)) return false;

    if (modified) {
        // The system keeps file times in UTC on fixed drives and in local time on others, so
        // crossing between them while daylight saving is in effect shifts the time.
        int64_t ticks = *modified;
        const int64_t shift = std::llround(DaylightShift * kTicksPerDay);
        const bool sourceFixed = OnFixedDrive(source), targetFixed = OnFixedDrive(target);
        if (DaylightInEffect && sourceFixed && !targetFixed) ticks -= shift;
        if (DaylightInEffect && !sourceFixed && targetFixed) ticks += shift;
        files->SetModifiedTime(target, ticks);
    }
    return true;
}

std::string DriveTypeName(char driveLetter) {
    platform::SystemInfo* system = platform::Current().system;
    if (!system) return {};
    switch (system->DriveType(std::string(1, driveLetter) + ":\\")) {
        case 2: return "DRIVE_REMOVABLE";
        case 3: return "DRIVE_FIXED";
        case 4: return "DRIVE_REMOTE";
        case 5: return "DRIVE_CDROM";
        case 6: return "DRIVE_RAMDISK";
        default: return "";
    }
}

}  // namespace support
