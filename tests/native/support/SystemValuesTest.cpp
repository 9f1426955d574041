#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "fakes/FakeSystem.h"
#include "support/Support.h"

using fakes::MakeDateTime;

namespace {

// Just enough of the registry for the values read at start-up.
struct TestRegistry : platform::Registry {
    std::map<std::pair<std::string, std::string>, platform::RegistryValue> values;

    void SetText(const std::string& path, const std::string& name, const std::string& text) {
        values[{path, name}] = {platform::kRegSz, text};
    }
    void SetNumber(const std::string& path, const std::string& name, uint32_t number) {
        std::string bytes;
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>(number >> (8 * i) & 0xff);
        values[{path, name}] = {platform::kRegDword, bytes};
    }
    bool KeyExists(const std::string&) override { return true; }
    std::optional<std::string> ClassesRootDefault(const std::string&) override { return std::nullopt; }
    bool CreateKey(const std::string&) override { return true; }
    std::optional<platform::RegistryValue> Query(const std::string& path, const std::string& name) override {
        const auto it = values.find({path, name});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool SetDword(const std::string& path, const std::string& name, uint32_t value) override {
        SetNumber(path, name, value);
        return true;
    }
    bool SetString(const std::string& path, const std::string& name, const std::string& value) override {
        SetText(path, name, value);
        return true;
    }
    bool DeleteValue(const std::string& path, const std::string& name) override {
        return values.erase({path, name}) > 0;
    }
};

const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kInternational = "Control Panel\\International";
constexpr int64_t kTicksPerHour = 36000000000LL;

class SystemValues : public ::testing::Test {
protected:
    fakes::FakeSystem sys;
    TestRegistry registry;
    platform::Services saved = platform::Current();

    void SetUp() override {
        sys.Install();
        platform::Current().registry = &registry;
        registry.SetText(kShellFolders, "Desktop", "C:\\Users\\user\\Desktop");
        registry.SetText(kInternational, "iCountry", "31");
        support::Finalize();
    }
    void TearDown() override {
        support::Finalize();
        platform::Install(saved);
    }
    void InitializeAt(const platform::DateTime& now) {
        sys.clock.now = now;
        support::Finalize();
        support::Initialize();
    }
};

platform::WindowsVersion Version(unsigned platformId, unsigned major, unsigned minor, const std::string& sp = "") {
    return {platformId, major, minor, sp};
}

}  // namespace

TEST(LanguageCode, DutchAndAfrikaansGiveNldOthersEnu) {
    EXPECT_EQ(support::LanguageCodeFor(1043), "NLD");
    EXPECT_EQ(support::LanguageCodeFor(2067), "NLD");
    EXPECT_EQ(support::LanguageCodeFor(1078), "NLD");
    EXPECT_EQ(support::LanguageCodeFor(1031), "ENU");
    EXPECT_EQ(support::LanguageCodeFor(1033), "ENU");
    EXPECT_EQ(support::LanguageCodeFor(19), "ENU");  // the neutral Dutch language alone
}

TEST(WindowsName, NtVersions) {
    EXPECT_EQ(support::WindowsNameFor(Version(2, 3, 51)), "NT");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 4, 0)), "NT");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 5, 0)), "2000");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 5, 1)), "XP");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 5, 2)), "Server 2003");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 5, 3)), "");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 6, 0)), "Vista");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 6, 1)), "Windows 7");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 6, 2)), "Windows 8");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 6, 3)), "Future Windows version (unknown)");
    EXPECT_EQ(support::WindowsNameFor(Version(2, 10, 0)), "Future Windows version (unknown)");
}

TEST(WindowsName, NineXVersionsByServicePackLetter) {
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 0)), "95");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 0, "B")), "95 OSR2");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 0, "C")), "95 OSR2");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 0, "A")), "95");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 10)), "98");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 10, " A ")), "98");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 10, "A")), "98 SE");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 90)), "ME");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 4, 50)), "");
    EXPECT_EQ(support::WindowsNameFor(Version(1, 5, 0)), "9x version (unknown)");
    EXPECT_EQ(support::WindowsNameFor(Version(0, 3, 10)), "");  // Win32s
}

TEST(WindowsName, NtFamilyFollowsTheName) {
    for (const char* name : {"NT", "2000", "XP", "Server 2003", "Vista", "Windows 7", "Windows 8",
                             "Future Windows version (unknown)"}) {
        EXPECT_TRUE(support::IsNtFamilyName(name)) << name;
    }
    for (const char* name : {"", "95", "95 OSR2", "98", "98 SE", "ME", "9x version (unknown)", "nt"}) {
        EXPECT_FALSE(support::IsNtFamilyName(name)) << name;
    }
}

TEST(DaylightSaving, TransitionsInDayInMonthForm) {
    platform::TransitionDate firstSundayOfApril;
    firstSundayOfApril.month = 4, firstSundayOfApril.day = 1, firstSundayOfApril.dayOfWeek = 0;
    firstSundayOfApril.hour = 2;
    auto t = support::TransitionMoment(firstSundayOfApril, 2026);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 4);
    EXPECT_EQ(t.day, 5);
    EXPECT_EQ(t.hour, 2);

    platform::TransitionDate secondSundayOfMarch;
    secondSundayOfMarch.month = 3, secondSundayOfMarch.day = 2, secondSundayOfMarch.dayOfWeek = 0;
    EXPECT_EQ(support::TransitionMoment(secondSundayOfMarch, 2026).day, 8);

    const platform::TimeZone cet = fakes::CentralEuropeanZone();
    EXPECT_EQ(support::TransitionMoment(cet.daylightDate, 2026).day, 29);  // last Sunday of March
    EXPECT_EQ(support::TransitionMoment(cet.standardDate, 2026).day, 25);  // last Sunday of October
    EXPECT_EQ(support::TransitionMoment(cet.daylightDate, 2027).day, 28);
    EXPECT_EQ(support::TransitionMoment(cet.standardDate, 2027).day, 31);  // the 31st is a Sunday itself

    platform::TransitionDate fourthSaturdayOfFebruary;  // Saturday 28 February 2026
    fourthSaturdayOfFebruary.month = 2, fourthSaturdayOfFebruary.day = 4, fourthSaturdayOfFebruary.dayOfWeek = 6;
    EXPECT_EQ(support::TransitionMoment(fourthSaturdayOfFebruary, 2026).day, 28);
}

TEST(DaylightSaving, TransitionsInAbsoluteForm) {
    platform::TransitionDate absolute;
    absolute.year = 2007, absolute.month = 3, absolute.day = 11, absolute.hour = 2, absolute.dayOfWeek = 3;
    const auto t = support::TransitionMoment(absolute, 2026);
    EXPECT_EQ(t.year, 2007);
    EXPECT_EQ(t.month, 3);
    EXPECT_EQ(t.day, 11);
    EXPECT_EQ(t.hour, 2);
}

TEST(DaylightSaving, InEffectStrictlyBetweenTheTransitions) {
    const platform::TimeZone cet = fakes::CentralEuropeanZone();
    EXPECT_TRUE(support::DaylightSavingAt(cet, MakeDateTime(2026, 7, 1, 12, 0)));
    EXPECT_FALSE(support::DaylightSavingAt(cet, MakeDateTime(2026, 12, 1, 12, 0)));
    EXPECT_FALSE(support::DaylightSavingAt(cet, MakeDateTime(2026, 3, 29, 2, 0)));
    EXPECT_TRUE(support::DaylightSavingAt(cet, MakeDateTime(2026, 3, 29, 2, 0, 0, 1)));
    EXPECT_TRUE(support::DaylightSavingAt(cet, MakeDateTime(2026, 10, 25, 2, 59, 59)));
    EXPECT_FALSE(support::DaylightSavingAt(cet, MakeDateTime(2026, 10, 25, 3, 0)));
    EXPECT_DOUBLE_EQ(support::DaylightShiftOf(cet), 1.0 / 24);
}

TEST(DaylightSaving, ZonesWithoutTransitionsOrSpanningNewYearAreNeverInEffect) {
    platform::TimeZone utc;  // all transition fields 0
    EXPECT_FALSE(support::DaylightSavingAt(utc, MakeDateTime(2026, 7, 1, 12, 0)));

    platform::TimeZone southern;  // daylight from October to April
    southern.daylightDate.month = 10, southern.daylightDate.day = 1, southern.daylightDate.hour = 2;
    southern.standardDate.month = 4, southern.standardDate.day = 1, southern.standardDate.hour = 3;
    southern.daylightBias = -60;
    EXPECT_FALSE(support::DaylightSavingAt(southern, MakeDateTime(2026, 1, 15, 12, 0)));
    EXPECT_FALSE(support::DaylightSavingAt(southern, MakeDateTime(2026, 7, 15, 12, 0)));
}

TEST_F(SystemValues, InitializeFillsEveryValue) {
    sys.locale.languageId = 2067;
    sys.system.version = Version(2, 6, 1);
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_EQ(support::LanguageCode, "NLD");
    EXPECT_EQ(support::WindowsName, "Windows 7");
    EXPECT_TRUE(support::NtFamily);
    EXPECT_EQ(support::DesktopFolder, "C:\\Users\\user\\Desktop\\");
    EXPECT_TRUE(support::DaylightInEffect);
    EXPECT_DOUBLE_EQ(support::DaylightShift, 1.0 / 24);
}

// The manifest declares Windows 10 and 11 supported, so the system tells the program its real
// version; the name stays the one the program had before, and with it the data folder.
TEST_F(SystemValues, NewerSystemsKeepTheNameTheyHadWithoutTheManifest) {
    for (const auto& version : {Version(2, 6, 3), Version(2, 10, 0)}) {
        sys.system.version = version;
        InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
        EXPECT_EQ(support::WindowsName, "Windows 8") << version.major << "." << version.minor;
        EXPECT_TRUE(support::NtFamily);
    }
}

TEST_F(SystemValues, InitializeRunsOnce) {
    sys.locale.languageId = 1031;
    sys.system.version = Version(2, 5, 3);
    InitializeAt(MakeDateTime(2026, 12, 1, 12, 0));
    EXPECT_EQ(support::LanguageCode, "ENU");
    EXPECT_EQ(support::WindowsName, "");
    EXPECT_FALSE(support::NtFamily);
    EXPECT_FALSE(support::DaylightInEffect);
    EXPECT_EQ(support::DaylightShift, 0);

    sys.locale.languageId = 1043;
    sys.system.version = Version(2, 6, 3);
    sys.clock.now = MakeDateTime(2026, 7, 1, 12, 0);
    support::Initialize();
    EXPECT_EQ(support::LanguageCode, "ENU");
    EXPECT_EQ(support::WindowsName, "");
    EXPECT_FALSE(support::DaylightInEffect);
}

TEST_F(SystemValues, CountryCodeOneMeansNoDaylightSaving) {
    registry.SetText(kInternational, "iCountry", "1");
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_FALSE(support::DaylightInEffect);
    EXPECT_EQ(support::DaylightShift, 0);

    registry.values.erase({kInternational, "iCountry"});  // missing counts as 1
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_FALSE(support::DaylightInEffect);

    registry.SetNumber(kInternational, "iCountry", 31);  // a number value is read too
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_TRUE(support::DaylightInEffect);

    registry.SetNumber(kInternational, "iCountry", 1);
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_FALSE(support::DaylightInEffect);
}

TEST_F(SystemValues, MissingDesktopValueGivesEmptyFolder) {
    registry.values.erase({kShellFolders, "Desktop"});
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_EQ(support::DesktopFolder, "");
    sys.files.currentDirectory = "D:\\Work";
    sys.files.AddFolder("D:\\Work");
    EXPECT_EQ(support::DataFolder("Quodo"), "\\UserData\\Quodo\\");
    EXPECT_TRUE(sys.files.DirectoryExists("\\UserData\\Quodo"));
    EXPECT_EQ(sys.files.currentDirectory, "D:\\Work");
}

TEST_F(SystemValues, DataFolderOnNtLiesBesideTheDesktop) {
    sys.files.AddFolder("C:\\Users\\user\\Desktop");
    sys.files.AddFolder(sys.files.currentDirectory);
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_EQ(support::DataFolder("Quodo"), "C:\\Users\\user\\UserData\\Quodo\\");
    EXPECT_TRUE(sys.files.DirectoryExists("C:\\Users\\user\\UserData\\Quodo"));
    EXPECT_EQ(sys.files.createdFolders,
              (std::vector<std::string>{"C:\\Users\\user\\UserData", "C:\\Users\\user\\UserData\\Quodo"}));
    EXPECT_EQ(sys.files.currentDirectory, "C:\\Program Files\\Quodo");

    // A second call finds the folder there.
    EXPECT_EQ(support::DataFolder("Quodo"), "C:\\Users\\user\\UserData\\Quodo\\");
    EXPECT_EQ(sys.files.createdFolders.size(), 2u);
}

TEST_F(SystemValues, DataFolderOutsideNtIsTheCurrentFolder) {
    sys.system.version = Version(1, 4, 10, "A");
    sys.files.AddFolder(sys.files.currentDirectory);
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_EQ(support::DataFolder("Quodo"), "C:\\Program Files\\Quodo\\");
    EXPECT_TRUE(sys.files.createdFolders.empty());
}

TEST_F(SystemValues, DataFolderRaisesWhenTheCurrentFolderCannotBeRestored) {
    sys.files.AddFolder(sys.files.currentDirectory);
    sys.files.unenterableFolders.insert(sys.files.currentDirectory);
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_THROW(support::DataFolder("Quodo"), support::InOutError);
}

TEST_F(SystemValues, DataFolderIsReturnedEvenWhenItCannotBeCreated) {
    sys.files.AddFolder(sys.files.currentDirectory);
    sys.files.refusedFolders.insert("C:\\Users\\user\\UserData");
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_EQ(support::DataFolder("Quodo"), "C:\\Users\\user\\UserData\\Quodo\\");
    EXPECT_FALSE(sys.files.DirectoryExists("C:\\Users\\user\\UserData\\Quodo"));
    EXPECT_EQ(sys.files.currentDirectory, "C:\\Program Files\\Quodo");
}

TEST_F(SystemValues, MakeFolderCreatesParentsAndEntersTheFolder) {
    EXPECT_TRUE(support::MakeFolder("C:\\a\\b\\c\\"));
    EXPECT_EQ(sys.files.createdFolders, (std::vector<std::string>{"C:\\a", "C:\\a\\b", "C:\\a\\b\\c"}));
    EXPECT_EQ(sys.files.currentDirectory, "C:\\a\\b\\c");

    EXPECT_TRUE(support::MakeFolder("C:\\a\\b\\"));  // existing: entered, nothing created
    EXPECT_EQ(sys.files.createdFolders.size(), 3u);
    EXPECT_EQ(sys.files.currentDirectory, "C:\\a\\b");

    // The result compares the current folder with the argument, which must end in a backslash.
    EXPECT_FALSE(support::MakeFolder("C:\\a\\b\\c"));
    EXPECT_EQ(sys.files.currentDirectory, "C:\\a\\b\\c");

    sys.files.refusedFolders.insert("C:\\x");
    EXPECT_FALSE(support::MakeFolder("C:\\x\\y\\"));
    EXPECT_EQ(sys.files.currentDirectory, "C:\\a\\b\\c");
}

TEST_F(SystemValues, DriveTypeNames) {
    sys.system.driveTypes = {{"A:\\", 2}, {"C:\\", 3}, {"N:\\", 4}, {"D:\\", 5}, {"R:\\", 6}, {"U:\\", 0}, {"V:\\", 7}};
    EXPECT_EQ(support::DriveTypeName('A'), "DRIVE_REMOVABLE");
    EXPECT_EQ(support::DriveTypeName('C'), "DRIVE_FIXED");
    EXPECT_EQ(support::DriveTypeName('N'), "DRIVE_REMOTE");
    EXPECT_EQ(support::DriveTypeName('D'), "DRIVE_CDROM");
    EXPECT_EQ(support::DriveTypeName('R'), "DRIVE_RAMDISK");
    EXPECT_EQ(support::DriveTypeName('U'), "");
    EXPECT_EQ(support::DriveTypeName('V'), "");
    EXPECT_EQ(support::DriveTypeName('Q'), "");  // no such root (1)
    EXPECT_EQ(sys.system.driveTypeQueries.front(), "A:\\");
}

class CopyWithDate : public SystemValues {
protected:
    const int64_t sourceTime = 133000000000000000LL;
    void SetUp() override {
        SystemValues::SetUp();
        sys.system.driveTypes = {{"C:\\", 3}, {"D:\\", 3}, {"E:\\", 2}, {"F:\\", 4}};
        sys.files.AddFile("C:\\Quodo\\ErrorGraph.png", "png bytes", sourceTime);
        sys.files.AddFile("E:\\Stick\\ErrorGraph.png", "png bytes", sourceTime);
    }
    int64_t TargetTime(const std::string& path) { return sys.files.ModifiedTime(path).value_or(-1); }
};

TEST_F(CopyWithDate, FixedToFixedKeepsTheTimeAndCreatesTheFolder) {
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    ASSERT_TRUE(support::DaylightInEffect);
    EXPECT_TRUE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "D:\\Data\\Quodo\\ErrorGraph.png", false));
    EXPECT_EQ(sys.files.files["D:\\Data\\Quodo\\ErrorGraph.png"].content, "png bytes");
    EXPECT_EQ(TargetTime("D:\\Data\\Quodo\\ErrorGraph.png"), sourceTime);
}

TEST_F(CopyWithDate, FixedToOtherDrivesMovesTheTimeBackByTheShift) {
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_TRUE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "E:\\Copy\\ErrorGraph.png", false));
    EXPECT_EQ(TargetTime("E:\\Copy\\ErrorGraph.png"), sourceTime - kTicksPerHour);
    EXPECT_TRUE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "F:\\Share\\ErrorGraph.png", false));
    EXPECT_EQ(TargetTime("F:\\Share\\ErrorGraph.png"), sourceTime - kTicksPerHour);
}

TEST_F(CopyWithDate, OtherDriveToFixedMovesTheTimeForwardByTheShift) {
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_TRUE(support::CopyFileWithDate("E:\\Stick\\ErrorGraph.png", "C:\\Data\\ErrorGraph.png", false));
    EXPECT_EQ(TargetTime("C:\\Data\\ErrorGraph.png"), sourceTime + kTicksPerHour);
    EXPECT_TRUE(support::CopyFileWithDate("E:\\Stick\\ErrorGraph.png", "F:\\ErrorGraph.png", false));
    EXPECT_EQ(TargetTime("F:\\ErrorGraph.png"), sourceTime);  // neither drive fixed
}

TEST_F(CopyWithDate, NoShiftOutsideDaylightSaving) {
    InitializeAt(MakeDateTime(2026, 12, 1, 12, 0));
    EXPECT_TRUE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "E:\\Copy\\ErrorGraph.png", false));
    EXPECT_EQ(TargetTime("E:\\Copy\\ErrorGraph.png"), sourceTime);
    EXPECT_TRUE(support::CopyFileWithDate("E:\\Stick\\ErrorGraph.png", "C:\\Data\\ErrorGraph.png", false));
    EXPECT_EQ(TargetTime("C:\\Data\\ErrorGraph.png"), sourceTime);
}

TEST_F(CopyWithDate, RelativePathsLieOnTheDriveOfTheCurrentFolder) {
    // "ErrorGraph.png" begins with E, a removable drive here; the file is on C: nonetheless.
    sys.files.currentDirectory = "C:\\Quodo";
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    sys.files.files["ErrorGraph.png"] = sys.files.files["C:\\Quodo\\ErrorGraph.png"];  // as the fake sees it
    sys.files.AddFolder("D:\\Data");
    EXPECT_TRUE(support::CopyFileWithDate("ErrorGraph.png", "D:\\Data\\Second.png", false));
    EXPECT_EQ(TargetTime("D:\\Data\\Second.png"), sourceTime);
}

TEST_F(CopyWithDate, OverwritesOnlyWhenAllowed) {
    InitializeAt(MakeDateTime(2026, 12, 1, 12, 0));
    sys.files.AddFile("D:\\Data\\ErrorGraph.png", "old", 5);
    EXPECT_FALSE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "D:\\Data\\ErrorGraph.png", true));
    EXPECT_EQ(sys.files.files["D:\\Data\\ErrorGraph.png"].content, "old");
    EXPECT_EQ(TargetTime("D:\\Data\\ErrorGraph.png"), 5);
    EXPECT_TRUE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "D:\\Data\\ErrorGraph.png", false));
    EXPECT_EQ(sys.files.files["D:\\Data\\ErrorGraph.png"].content, "png bytes");
    EXPECT_EQ(TargetTime("D:\\Data\\ErrorGraph.png"), sourceTime);
}

TEST_F(CopyWithDate, FailuresOfSourceAndCopyGiveFalseOthersAreSwallowed) {
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    EXPECT_FALSE(support::CopyFileWithDate("C:\\Quodo\\Missing.png", "D:\\Data\\Missing.png", false));
    EXPECT_FALSE(sys.files.DirectoryExists("D:\\Data"));  // nothing done for a missing source
    EXPECT_FALSE(support::CopyFileWithDate("", "D:\\Data\\x.png", false));

    sys.files.failCopy = true;
    EXPECT_FALSE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "D:\\Data\\ErrorGraph.png", false));
    sys.files.failCopy = false;

    sys.files.failSetModifiedTime = true;
    EXPECT_TRUE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "D:\\Data\\ErrorGraph.png", false));
    EXPECT_EQ(sys.files.files["D:\\Data\\ErrorGraph.png"].content, "png bytes");

    sys.files.refusedFolders.insert("D:\\Refused");  // the copy itself then fails
    EXPECT_FALSE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", "D:\\Refused\\ErrorGraph.png", false));
}

TEST_F(CopyWithDate, PathsLongerThan259CharactersAreRefused) {
    InitializeAt(MakeDateTime(2026, 7, 1, 12, 0));
    const std::string folder = "D:\\" + std::string(240, 'f');
    const std::string fits = folder + "\\" + std::string(259 - folder.size() - 1, 'n');
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_TRUE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", fits, false));
    EXPECT_FALSE(support::CopyFileWithDate("C:\\Quodo\\ErrorGraph.png", fits + "x", false));
    EXPECT_EQ(sys.files.files.count(fits + "x"), 0u);
}
