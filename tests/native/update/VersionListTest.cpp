#include <gtest/gtest.h>

#include <string>

#include "TestSigner.h"
#include "fakes/FakeSystem.h"
#include "native/NativeCrypto.h"
#include "fakes/MemoryRegistry.h"
#include "update/ListMark.h"
#include "update/VersionList.h"

namespace {

using update::CheckResult;
using update::CurrentVersion;
using update::DisplayVersion;
using update::IsNewer;
using update::IsPlainInstallerName;
using update::ListedVersion;
using update::MalformedEntry;
using update::ParseEntry;
using update::ReadVersionListText;
using update::SplitFields;
using update::Version;

const char* const kProduct = "Quodo";
const char* const kRunning = "versie 1.06";
const std::string kHash(64, 'a');

// The maker's keys: they sign our entries in these lists, and the check believes them.
const testing_keys::TestMaker maker;
native::OpenSslCrypto crypto;
const update::EntryTrust trust{crypto, maker.Keys()};
std::string Signed(const std::string& entry) { return maker.Signed(entry); }

// A list as the maker writes it: other programs around our signed entry, CR LF line ends.
std::string Around(const std::string& ourLine) {
    return "zvTool,zvtool12.exe,,312," + kHash + ",Een ander programma,Another program\r\n" + ourLine +
           "\r\nOtherApp,OtherApp200.exe,,1024,-\r\n";
}
std::string List(const std::string& ourEntry) { return Around(Signed(ourEntry)); }

const update::UtcSeconds kNow = update::ParseListTime("2026-01-05T11:00:00Z").value();

update::CheckOutcome Read(const std::string& text, const std::string& versionText = kRunning,
                          update::UtcSeconds now = kNow, const update::ListMark& mark = {}) {
    return ReadVersionListText(text, kProduct, versionText, trust, mark, now);
}
update::UtcSeconds At(const char* time) { return update::ParseListTime(time).value(); }

TEST(Versions, CurrentFromTheVersionTextListedFromTheInstallerNameAndTheirDisplay) {
    EXPECT_EQ(CurrentVersion("versie 1.06").digits, "106");
    EXPECT_EQ(CurrentVersion("versie 1.06").letter, 0);
    EXPECT_EQ(CurrentVersion("versie 1.06a").digits, "106");
    EXPECT_EQ(CurrentVersion("versie 1.06a").letter, 'a');
    EXPECT_EQ(CurrentVersion("versie 1.06B").letter, 0) << "only a lower-case letter counts";
    EXPECT_EQ(CurrentVersion("versie 106").digits, "") << "no point: no digits";
    EXPECT_EQ(ListedVersion("Quodo1010.setup.exe", 'b').digits, "1010");
    EXPECT_EQ(DisplayVersion({"107", 0}), "1.07");
    EXPECT_EQ(DisplayVersion({"106", 'a'}), "1.06a");
    EXPECT_EQ(DisplayVersion({"1010", 0}), "1.010") << "every digit shown";
    EXPECT_EQ(DisplayVersion({"", 'a'}), "");
}

TEST(CompareVersions, DigitsAsNumbersThenTheLetter) {
    const Version current{"106", 0};
    EXPECT_FALSE(IsNewer({"99", 0}, current)) << "99 is older than 106: no downgrade";
    EXPECT_FALSE(IsNewer({"106", 0}, current));
    EXPECT_TRUE(IsNewer({"107", 0}, current));
    EXPECT_TRUE(IsNewer({"1010", 0}, {"109", 0})) << "1010 is newer than 109";
    EXPECT_FALSE(IsNewer({"0106", 0}, current)) << "leading zeros do not count";
    EXPECT_TRUE(IsNewer({"106", 'a'}, current));
    EXPECT_FALSE(IsNewer({"106", 'a'}, {"106", 'b'}));
    EXPECT_TRUE(IsNewer({"106", 'c'}, {"106", 'b'}));
    EXPECT_FALSE(IsNewer({"105", 'z'}, current));
    EXPECT_FALSE(IsNewer({"", 0}, current)) << "no digits are no newer version";
}

TEST(InstallerName, OnlyAPlainExeNameOfAtMost64Characters) {
    for (const char* good : {"Quodo107.exe", "Quodo107.EXE", "quodo-setup_1.07.Exe", "7zip.exe",
                             "Console.exe", "COM10.exe", "Nul1.exe"})
        EXPECT_TRUE(IsPlainInstallerName(good)) << good;
    EXPECT_TRUE(IsPlainInstallerName(std::string(60, 'q') + ".exe"));
    EXPECT_FALSE(IsPlainInstallerName(std::string(61, 'q') + ".exe"));
    for (const char* bad : {"", ".exe", "Quodo107", "Quodo107.exe.txt", "Quodo107.ex", "..\\Quodo107.exe",
                            "../Quodo107.exe", "C:Quodo107.exe", "C:\\Temp\\Quodo107.exe", "Quodo 107.exe",
                            "-Quodo.exe", ".Quodo.exe", "Quodo107.exe ", "Quodo\"107.exe", "Quodo%20.exe",
                            "CON.exe", "nul.exe", "Com1.exe", "LPT9.setup.exe", "Quodo\xe9.exe"})
        EXPECT_FALSE(IsPlainInstallerName(bad)) << bad;
}

TEST(SplitFields, EmptyFieldsKeepTheirPlaceATrailingCommaAddsNone) {
    EXPECT_EQ(SplitFields("Quodo,Quodo107.exe,,850,x"),
              (std::vector<std::string>{"Quodo", "Quodo107.exe", "", "850", "x"}));
    EXPECT_EQ(SplitFields("Quodo,Quodo107.exe,,850,x,"),
              (std::vector<std::string>{"Quodo", "Quodo107.exe", "", "850", "x"}));
    EXPECT_EQ(SplitFields("Quodo,Quodo107.exe,,850,,"),
              (std::vector<std::string>{"Quodo", "Quodo107.exe", "", "850", ""}));
    EXPECT_EQ(SplitFields("Quodo"), (std::vector<std::string>{"Quodo"}));
    EXPECT_EQ(SplitFields("a,b,c,d,e,f,g,h,i,j,k,l" + std::string(100000, ',')).size(), 11u);  // no more than it reads
    EXPECT_EQ(SplitFields(""), (std::vector<std::string>{""}));
}

TEST(ReadVersionList, FailureCodesOfTheWorker) {
    EXPECT_EQ(Read("1").result, CheckResult::NoServerResponse);
    EXPECT_EQ(Read("2").result, CheckResult::FileTooSmall);
    EXPECT_EQ(Read("").result, CheckResult::NoServerResponse) << "a worker that ended without a result";
    EXPECT_FALSE(Read("1").entry.has_value());
    EXPECT_EQ(static_cast<int>(CheckResult::UpToDate), 0);
    EXPECT_EQ(static_cast<int>(CheckResult::ProgramNotFound), 3);
    EXPECT_EQ(static_cast<int>(CheckResult::UpdateAdvised), 4);
    EXPECT_EQ(static_cast<int>(CheckResult::PingTimeOut), 5);
}

// Our entry's fields 0 to 6, with the hash and both texts.
std::string Ours(const std::string& installer, const std::string& letter = "", const std::string& size = "850") {
    return "Quodo," + installer + "," + letter + "," + size + "," + kHash + ",Nieuwe versie,New version";
}

TEST(ReadVersionList, AdvisedUpdateWithEveryField) {
    const auto outcome = Read(List(Ours("Quodo107.exe")));
    EXPECT_EQ(outcome.result, CheckResult::UpdateAdvised);
    ASSERT_TRUE(outcome.entry.has_value());
    EXPECT_EQ(outcome.entry->installerName, "Quodo107.exe");
    EXPECT_EQ(outcome.entry->letter, 0);
    EXPECT_EQ(outcome.entry->sizeKB, 850);
    EXPECT_EQ(outcome.entry->hashField, kHash);
    EXPECT_EQ(outcome.entry->dutchText, "Nieuwe versie");
    EXPECT_EQ(outcome.entry->englishText, "New version");
    EXPECT_EQ(outcome.entry->releaseSignature.size(), 128u);
    EXPECT_EQ(outcome.entry->freshnessSignature.size(), 128u);
    EXPECT_EQ(outcome.latestVersion, "1.07");
    EXPECT_EQ(outcome.listFromEntry.substr(0, 19), "Quodo,Quodo107.exe,");
    EXPECT_NE(outcome.listFromEntry.find("OtherApp"), std::string::npos);
    EXPECT_EQ(outcome.listFromEntry.find("zvTool"), std::string::npos);
}

// A signed list is no answer once its time is over; a computer whose clock is behind the maker's
// takes a list signed in its future.
TEST(ReadVersionList, UntilTheSignedTimeIsOver) {
    const std::string list = List(Ours("Quodo107.exe"));
    for (const char* now : {"2026-01-31T00:00:00Z", "2025-10-01T00:00:00Z"})
        EXPECT_EQ(Read(list, kRunning, At(now)).result, CheckResult::UpdateAdvised) << now;
    EXPECT_EQ(Read(list, kRunning, At("2026-01-31T00:00:01Z")).result, CheckResult::ListOutOfDate);
    const std::string replayed = maker.Signed(Ours("Quodo105.exe"), "2025-11-01T00:00:00Z", "2025-12-01T00:00:00Z");
    EXPECT_EQ(Read(replayed + "\r\n" + list).result, CheckResult::ListOutOfDate);
    EXPECT_FALSE(update::ParseListTime("2023-02-29T00:00:00Z"));
}

// A validity of at most 45 days that ends no earlier than it starts: one list signed for years would
// hold a program back for years.
TEST(ReadVersionList, AValidityLongerThan45DaysOrEndingBeforeItStartsIsNotBelieved) {
    for (const auto& [from, until, result] :
         {std::tuple{"2025-12-01T11:00:00Z", "2026-01-15T11:00:00Z", CheckResult::UpdateAdvised},
          std::tuple{"2025-12-01T11:00:00Z", "2026-01-15T11:00:01Z", CheckResult::SignatureInvalid},
          std::tuple{"2026-01-05T00:00:00Z", "9999-12-31T23:59:59Z", CheckResult::SignatureInvalid},
          std::tuple{"2026-01-06T00:00:00Z", "2026-01-05T23:59:59Z", CheckResult::SignatureInvalid}})
        EXPECT_EQ(Read(Around(maker.Signed(Ours("Quodo107.exe"), from, until))).result, result) << from << " " << until;
}

// Once a list was believed, one signed before it, or naming an older version, is a list served back
// from the past: refused, not "up to date", even while its own time holds; the mark moves only with
// a list believed whole.
TEST(ReadVersionList, AListOlderThanTheMarkIsRefusedAndOnlyABelievedListMovesIt) {
    fakes::MemoryRegistry registry;
    const auto check = [&](const std::string& list) {
        const update::ListMark mark = update::ReadListMark(registry, kProduct);
        const auto outcome = ReadVersionListText(list, kProduct, kRunning, trust, mark, kNow);
        EXPECT_TRUE(update::KeepBelieved(registry, kProduct, mark, outcome));
        return outcome.result;
    };
    const std::string newer = Around(maker.Signed(Ours("Quodo107.exe"), "2026-01-03T00:00:00Z", "2026-02-01T00:00:00Z"));
    const std::string older = Around(maker.Signed(Ours("Quodo106.exe"), "2026-01-02T00:00:00Z", "2026-02-01T00:00:00Z"));
    EXPECT_EQ(check(older), CheckResult::UpToDate) << "before the newer: believed";
    EXPECT_EQ(check(newer), CheckResult::UpdateAdvised);
    EXPECT_EQ(registry.GetString("Software\\Quodo\\Update", "ListSignedAt"), "2026-01-03T00:00:00Z");
    EXPECT_EQ(registry.GetString("Software\\Quodo\\Update", "ListVersion"), "1.07");
    EXPECT_EQ(check(older), CheckResult::ListOlderThanBelieved);
    // Signed later, with fresh times, yet naming a version older than one believed: what a stolen
    // freshness key could serve.
    const std::string rolledBack = Around(maker.Signed(Ours("Quodo106.exe"), "2026-01-04T00:00:00Z", "2026-02-01T00:00:00Z"));
    EXPECT_EQ(check(rolledBack), CheckResult::ListOlderThanBelieved);

    // Lists that fail leave the mark where it is: one other keys signed, and one that has run out.
    testing_keys::TestMaker other;
    const std::string otherKeys = Around(other.Signed(Ours("Quodo109.exe"), "2026-01-04T12:00:00Z", "2026-02-01T00:00:00Z"));
    const std::string runOut = Around(maker.Signed(Ours("Quodo108.exe"), "2026-01-04T00:00:00Z", "2026-01-05T00:00:00Z"));
    EXPECT_EQ(check(otherKeys), CheckResult::SignatureInvalid);
    EXPECT_EQ(check(runOut), CheckResult::ListOutOfDate);
    EXPECT_EQ(check(newer), CheckResult::UpdateAdvised) << "the mark unmoved";
}

// Other programs' lines, and older lists, may have five or six fields.
TEST(ParseEntry, FiveAndSixFieldsAreReadWithoutTheTexts) {
    const auto five = ParseEntry("Quodo,Quodo107.exe,a,850,-", kProduct);
    EXPECT_EQ(five.letter, 'a');
    EXPECT_EQ(five.hashField, "-");
    EXPECT_EQ(ParseEntry("Quodo,Quodo107.exe,,850,-,Alleen Nederlands", kProduct).dutchText, "")
        << "the texts are taken only with seven fields";
    const auto emptyHash = ParseEntry("Quodo,Quodo107.exe,,850,,", kProduct);
    EXPECT_EQ(emptyHash.hashField, "");
    EXPECT_EQ(emptyHash.sizeKB, 850);
}

TEST(ReadVersionList, VersionsComparedAsNumbersThenLetters) {
    EXPECT_EQ(Read(List(Ours("Quodo106.exe"))).result, CheckResult::UpToDate);
    EXPECT_EQ(Read(List(Ours("Quodo106.exe", "a")), "versie 1.06b").result, CheckResult::UpToDate);
    EXPECT_EQ(Read(List(Ours("Quodo99.exe"))).result, CheckResult::UpToDate) << "no downgrade offered";
    const auto newer = Read(List(Ours("Quodo1010.exe")), "versie 1.09");
    EXPECT_EQ(newer.result, CheckResult::UpdateAdvised);
    EXPECT_EQ(newer.latestVersion, "1.010");
    const auto letter = Read(List(Ours("Quodo107.exe", "a")));
    EXPECT_EQ(letter.latestVersion, "1.07a");
    const auto older = Read(List(Ours("Quodo105.exe")));
    ASSERT_TRUE(older.entry.has_value()) << "the size is read for every entry";
    EXPECT_EQ(older.entry->sizeKB, 850);
}

TEST(ReadVersionList, OnlyALineWhoseFirstFieldIsTheProductName) {
    const std::string list = "QuodoPro,QuodoPro210.exe,,900,-\r\nMyQuodo,MyQuodo300.exe,,10,-\r\n"
                             "Quodo Lite,QuodoLite400.exe,,10,-\r\n" + Signed(Ours("Quodo107.exe")) + "\r\n" +
                             Signed(Ours("Quodo999.exe")) + "\r\n";
    const auto outcome = Read(list);
    ASSERT_TRUE(outcome.entry.has_value());
    EXPECT_EQ(outcome.entry->installerName, "Quodo107.exe") << "the first of our lines";
    EXPECT_EQ(outcome.result, CheckResult::UpdateAdvised);

    EXPECT_EQ(Read("QuodoPro,QuodoPro210.exe,,900,-\r\nquodo,Quodo107.exe,,850,-\r\n" + std::string(30, ' ')).result,
              CheckResult::ProgramNotFound)
        << "the name is compared case-sensitively";
    EXPECT_EQ(Read(List("Other,Other107.exe,,850,-")).result, CheckResult::ProgramNotFound);
    EXPECT_EQ(Read(std::string(60, 'x') + "\r\nQuodo").result, CheckResult::ProgramNotFound)
        << "the name alone at the very end of the list";
}

TEST(ReadVersionList, LineEnds) {
    // The last line may have no line end: it runs to the end of the text.
    const auto last = Read("OtherApp,OtherApp200.exe,,1024,-,Een,Een ander\r\n" + Signed(Ours("Quodo107.exe")));
    ASSERT_TRUE(last.entry.has_value());
    EXPECT_EQ(last.entry->hashField, kHash);
    // Lines ended by LF alone are lines too.
    const auto lf =
        Read("OtherApp,OtherApp200.exe,,1024,-,Een,Een ander\n" + Signed(Ours("Quodo107.exe")) + "\nX,Y,,1,-\n");
    ASSERT_TRUE(lf.entry.has_value());
    EXPECT_EQ(lf.result, CheckResult::UpdateAdvised);
}

TEST(ReadVersionList, MalformedSignedEntriesRaiseAnErrorWithAClearMessage) {
    auto message = [](const std::string& installer, const std::string& size) -> std::string {
        try {
            Read(List(Ours(installer, "", size)));
        } catch (const MalformedEntry& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(message("Quodo107.exe", "85x"), "The version list entry for Quodo: '85x' is not a valid integer value.");
    EXPECT_EQ(message("Quodo107.exe", ""), "The version list entry for Quodo: '' is not a valid integer value.");
    EXPECT_EQ(message("Quodo107.exe", "99999999999"),
              "The version list entry for Quodo: '99999999999' is not a valid integer value.");
    EXPECT_EQ(message("..\\..\\Quodo107.exe", "850"),
              "The version list entry for Quodo: '..\\..\\Quodo107.exe' is not a plain installer file name.");
    EXPECT_EQ(message("", "850"), "The version list entry for Quodo: '' is not a plain installer file name.");
    EXPECT_EQ(message("Quodo107.exe", "-12"), "no error") << "a sign is allowed; the download check refuses it";
    try {
        ParseEntry("Quodo,Quodo107.exe,,850,", kProduct);
        ADD_FAILURE() << "no error";
    } catch (const MalformedEntry& error) {
        EXPECT_EQ(std::string(error.what()), "The version list entry for Quodo has only 4 of its 5 fields.");
    }
}

}  // namespace
