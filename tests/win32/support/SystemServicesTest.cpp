// The Win32 system services and the support values on top of them, under the environment each
// CTest entry sets (locale, time zone, clock start).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/ClockStart.h"
#include "support/Support.h"
#include "win32/Win32Registry.h"
#include "win32/Win32System.h"

namespace {

constexpr int64_t kTicksPerHour = 36000000000LL;

class Win32Services : public ::testing::Test {
protected:
    platform::Services saved = platform::Current();
    void SetUp() override {
        win32::InstallSystemServices();
        win32::InstallRegistry();
        support::Finalize();
        support::Initialize();
    }
    void TearDown() override {
        support::Finalize();
        platform::Install(saved);
    }
    platform::Services& services() { return platform::Current(); }
};

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A fresh folder below the temporary folder, without trailing backslash.
std::string FreshFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Nobody else holds the file open: it opens without sharing.
bool OpensExclusively(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// A file of that size without data (sparse on the host), made in an instant.
bool MakeEmptyFileOfSize(const std::string& path, long long size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool done = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return done;
}

}  // namespace

// LC_ALL=nl_NL.UTF-8, TZ=Europe/Amsterdam, QUODO_CLOCK in July.
using DutchLocale = Win32Services;

TEST_F(DutchLocale, RegionalSettingsAreDutch) {
    ASSERT_EQ(Env("LC_ALL"), "nl_NL.UTF-8");
    EXPECT_EQ(services().locale->LanguageId(), 1043u);
    EXPECT_EQ(services().locale->DecimalSeparator(), ',');
    EXPECT_EQ(services().locale->TimeSeparator(), ':');
    EXPECT_EQ(services().locale->LongTimeFormat(), "HH:mm:ss");
    EXPECT_EQ(services().locale->ShortDateFormat(), "d-M-yyyy");
    EXPECT_EQ(support::LanguageCode, "NLD");
    EXPECT_EQ(support::FormatNumber(6, 2, 5.5), "  5,50");
}

TEST_F(DutchLocale, AmsterdamZoneHasTheCentralEuropeanRules) {
    const platform::TimeZone zone = services().system->TimeZoneInformation();
    EXPECT_EQ(zone.bias, -60);
    EXPECT_EQ(zone.standardBias, 0);
    EXPECT_EQ(zone.daylightBias, -60);
    EXPECT_EQ(zone.daylightDate.year, 0);
    EXPECT_EQ(zone.daylightDate.month, 3);
    EXPECT_EQ(zone.daylightDate.day, 5);
    EXPECT_EQ(zone.daylightDate.dayOfWeek, 0);
    EXPECT_EQ(zone.daylightDate.hour, 2);
    EXPECT_EQ(zone.standardDate.year, 0);
    EXPECT_EQ(zone.standardDate.month, 10);
    EXPECT_EQ(zone.standardDate.day, 5);
    EXPECT_EQ(zone.standardDate.dayOfWeek, 0);
    EXPECT_EQ(zone.standardDate.hour, 3);
    EXPECT_EQ(support::TransitionMoment(zone.daylightDate, 2026).day, 29);
    EXPECT_EQ(support::TransitionMoment(zone.standardDate, 2026).day, 25);
}

TEST_F(DutchLocale, DaylightSavingInEffectInSummer) {
    const platform::DateTime now = services().clock->Now();
    ASSERT_EQ(now.month, 7) << "QUODO_CLOCK=" << Env("QUODO_CLOCK");
    EXPECT_TRUE(support::DaylightInEffect);
    EXPECT_DOUBLE_EQ(support::DaylightShift, 1.0 / 24);
}

// LC_ALL=en_US.UTF-8, no QUODO_CLOCK.
using EnglishLocale = Win32Services;

TEST_F(EnglishLocale, RegionalSettingsAreEnglish) {
    ASSERT_EQ(Env("LC_ALL"), "en_US.UTF-8");
    EXPECT_EQ(services().locale->LanguageId(), 1033u);
    EXPECT_EQ(services().locale->DecimalSeparator(), '.');
    EXPECT_EQ(services().locale->TimeSeparator(), ':');
    EXPECT_EQ(services().locale->LongTimeFormat(), "h:mm:ss tt");
    EXPECT_EQ(services().locale->ShortDateFormat(), "M/d/yyyy");
    EXPECT_EQ(support::LanguageCode, "ENU");
    EXPECT_EQ(support::FormatNumber(6, 2, 5.5), "  5.50");
    // The United States' country code 1: daylight saving never counts.
    EXPECT_FALSE(support::DaylightInEffect);
    EXPECT_EQ(support::DaylightShift, 0);
}

TEST_F(EnglishLocale, WithoutAStartTheClockIsTheLocalTime) {
    ASSERT_EQ(Env("QUODO_CLOCK"), "");
    SYSTEMTIME before;
    GetLocalTime(&before);
    const platform::DateTime now = services().clock->Now();
    SYSTEMTIME after;
    GetLocalTime(&after);
    // The same day as the system's local time on one side or the other of the call.
    const bool sameDayAsBefore = now.year == before.wYear && now.month == before.wMonth && now.day == before.wDay;
    const bool sameDayAsAfter = now.year == after.wYear && now.month == after.wMonth && now.day == after.wDay;
    EXPECT_TRUE(sameDayAsBefore || sameDayAsAfter);
    EXPECT_EQ(now.dayOfWeek, support::DayOfWeek(support::DateOf(now)));
}

// TZ=Australia/Sydney with QUODO_CLOCK set: the clock's UTC is the system's, whatever the test
// clock says, and a moment's local time follows the southern zone's summer and winter.
using SouthernZone = Win32Services;

TEST_F(SouthernZone, UtcIsTheSystemsAndLocalTimesFollowTheZonesOwnSummer) {
    ASSERT_EQ(Env("TZ"), "Australia/Sydney");
    const int64_t before = _time64(nullptr), utc = services().clock->UtcNow(), after = _time64(nullptr);
    EXPECT_TRUE(before <= utc && utc <= after) << utc;
    // Midnight UTC on the 15th of January and of July: eleven and ten hours later in Sydney.
    platform::DateTime midnight;
    midnight.year = 2026, midnight.day = 15;
    for (const auto& [month, hour] : {std::pair{1, 11}, std::pair{7, 10}}) {
        midnight.month = month;
        EXPECT_EQ(services().clock->LocalTimeOf(support::SecondsSince1970(midnight)).hour, hour) << month;
    }
}

// Default environment with QUODO_CLOCK=2026-04-03 17:29:00.
TEST_F(Win32Services, ClockStartsAtTheGivenMomentAndRunsOn) {
    const auto start = support::ParseClockStart(Env("QUODO_CLOCK"));
    ASSERT_TRUE(start.has_value()) << Env("QUODO_CLOCK");
    const platform::DateTime first = services().clock->Now();
    EXPECT_EQ(first.year, 2026);
    EXPECT_EQ(first.month, 4);
    EXPECT_EQ(first.day, 3);
    EXPECT_EQ(first.dayOfWeek, 5);
    EXPECT_EQ(first.hour, 17);
    EXPECT_EQ(first.minute, 29);
    EXPECT_TRUE(support::IsNonTradingDay(first));  // Good Friday

    // It runs on: poll until it has moved.
    platform::DateTime later = first;
    for (int i = 0; i < 1000 && !support::IsEarlier(first, later); ++i) {
        Sleep(1);
        later = services().clock->Now();
    }
    EXPECT_TRUE(support::IsEarlier(first, later));
    EXPECT_FALSE(support::IsEarlier(later, first));
}

TEST_F(Win32Services, SystemValuesUnderWine) {
    EXPECT_FALSE(support::WindowsName.empty());
    EXPECT_TRUE(support::NtFamily);
    EXPECT_EQ(support::DriveTypeName('C'), "DRIVE_FIXED");
    EXPECT_EQ(support::DriveTypeName('Q'), "");
    EXPECT_EQ(services().system->Environment("QUODO_CLOCK"), Env("QUODO_CLOCK"));
    EXPECT_EQ(services().system->Environment("QUODO_SURELY_UNSET_VARIABLE"), "");
    const std::string program = services().files->ProgramPath();
    EXPECT_EQ(program.substr(program.size() - 4), ".exe");
    EXPECT_TRUE(services().files->FileExists(program));
    EXPECT_FALSE(services().files->DirectoryExists(program));
}

TEST_F(Win32Services, DesktopAndDataFolderFromThePrefixRegistry) {
    char profile[MAX_PATH];
    ASSERT_NE(GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH), 0u);
    EXPECT_EQ(support::DesktopFolder, std::string(profile) + "\\Desktop\\");

    const std::string before = services().files->CurrentDirectory();
    const std::string folder = support::DataFolder("QuodoSupportTest");
    EXPECT_EQ(folder, std::string(profile) + "\\UserData\\QuodoSupportTest\\");
    EXPECT_TRUE(services().files->DirectoryExists(folder));
    EXPECT_EQ(services().files->CurrentDirectory(), before);
    RemoveDirectoryA(folder.c_str());
}

TEST_F(Win32Services, MakeFolderCreatesParentsAndEntersIt) {
    const std::string base = FreshFolder("quodo-make");
    const std::string before = services().files->CurrentDirectory();
    const std::string folder = base + "\\a\\b\\c\\";
    EXPECT_TRUE(support::MakeFolder(folder));
    EXPECT_TRUE(services().files->DirectoryExists(folder));
    EXPECT_EQ(services().files->CurrentDirectory() + "\\", folder);
    EXPECT_TRUE(services().files->SetCurrentDirectory(before));
    EXPECT_EQ(services().files->ExpandPath("x.txt"), before + "\\x.txt");
}

TEST_F(Win32Services, CopyFileWithDateOnRealFiles) {
    const std::string base = FreshFolder("quodo-copy");
    const std::string source = base + "\\ErrorGraph.png";
    WriteFile(source, std::string("png\0bytes", 9));
    const int64_t sourceTime = 132900000000000000LL;  // a moment in 2022
    ASSERT_TRUE(services().files->SetModifiedTime(source, sourceTime));
    ASSERT_EQ(services().files->ModifiedTime(source).value_or(0), sourceTime);

    // Fixed drive to fixed drive, into folders that do not exist yet: the time stays.
    const std::string target = base + "\\Data\\Quodo\\ErrorGraph.png";
    EXPECT_TRUE(support::CopyFileWithDate(source, target, false));
    EXPECT_EQ(ReadAll(target), std::string("png\0bytes", 9));
    EXPECT_EQ(services().files->ModifiedTime(target).value_or(0), sourceTime);

    // An existing target is kept when asked to, replaced otherwise.
    WriteFile(source, "new");
    ASSERT_TRUE(services().files->SetModifiedTime(source, sourceTime + kTicksPerHour));
    EXPECT_FALSE(support::CopyFileWithDate(source, target, true));
    EXPECT_EQ(ReadAll(target), std::string("png\0bytes", 9));
    EXPECT_TRUE(support::CopyFileWithDate(source, target, false));
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_EQ(services().files->ModifiedTime(target).value_or(0), sourceTime + kTicksPerHour);

    EXPECT_FALSE(support::CopyFileWithDate(base + "\\Missing.png", base + "\\Other\\Missing.png", false));
    EXPECT_FALSE(services().files->FileExists(base + "\\Other\\Missing.png"));
}

TEST_F(Win32Services, FileReadsAreBoundedAndLeaveNoHandleOpen) {
    const std::string base = FreshFolder("quodo-read");
    const std::string path = base + "\\DayGraph.png";
    WriteFile(path, std::string("png\0", 4) + std::string(996, 'c'));
    platform::FileSystem* files = services().files;
    EXPECT_EQ(files->ReadFileUpTo(path, 1000), std::string("png\0", 4) + std::string(996, 'c'));
    EXPECT_FALSE(files->ReadFileUpTo(path, 999).has_value());
    EXPECT_EQ(files->ReadFile(path).value_or("").size(), 1000u);
    EXPECT_FALSE(files->ReadFile(base + "\\Missing.png").has_value());
    EXPECT_TRUE(OpensExclusively(path));

    // Larger than a 32-bit process can hold: the bounded read does not start, the whole read fails
    // with an error, and neither leaves the file open.
    const std::string huge = base + "\\Huge.png";
    ASSERT_TRUE(MakeEmptyFileOfSize(huge, 3LL << 30));
    EXPECT_FALSE(files->ReadFileUpTo(huge, 4u << 20).has_value());
    EXPECT_TRUE(OpensExclusively(huge));
    EXPECT_ANY_THROW(files->ReadFile(huge));
    EXPECT_TRUE(OpensExclusively(huge));
    EXPECT_TRUE(files->DeleteFile(huge));
}
