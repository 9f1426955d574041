// The shell's open operation and the mail to the author under Wine, with a recorder program of
// our own registered as the mailto, http and https handler.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "../update/StandIns.h"
#include "ClassesRoot.h"
#include "dialogs/zvMail.h"
#include "support/Support.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"

namespace {

using namespace dialogs;
using classesroot::RegisterHandler;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class ShellWine : public ::testing::Test {
protected:
    void SetUp() override {
        win32::InstallSystemServices();
        win32::InstallRegistry();
        win32::InstallShell();
        folder = standins::FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        recorder = standins::Install(QUODO_SHELL_RECORDER, folder, "recorder.exe");
        support::LanguageCode = "NLD";
    }
    void TearDown() override {
        standins::RemoveTree(folder);
        platform::Install(saved);
        support::LanguageCode = savedLanguage;
    }

    std::string RecordFile(const std::string& name) { return folder + "\\" + name + ".txt"; }
    // An open command that records the command line it is started with into record.
    std::string RecorderCommand(const std::string& record, const std::string& extra = "") {
        return Quoted(recorder) + " " + Quoted(record) + " " + extra + "\"%1\"";
    }
    std::string MissingProgramCommand() { return Quoted(folder + "\\none.exe") + " \"%1\""; }
    // The record shows under its name as the recorder renames it, but cannot be opened for reading
    // until the recorder has closed the handle the rename went through (it holds delete access): so
    // the wait is for its text, which is never empty.
    std::optional<std::string> Recorded(const std::string& record) {
        std::string text;
        if (!standins::WaitUntil([&] { return !(text = standins::ReadAll(record)).empty(); }, std::chrono::seconds(10)))
            return std::nullopt;
        return text;
    }
    // Whether the handler got exactly this address as its last argument.
    void ExpectHandedOver(const std::string& record, const std::string& address) {
        const auto recorded = Recorded(record);
        ASSERT_TRUE(recorded);
        EXPECT_TRUE(EndsWith(*recorded, " " + Quoted(address))) << *recorded;
    }
    intptr_t Open(const std::string& address) { return platform::Current().shell->Open("open", address, "", nullptr); }
    uint8_t SendMail(const std::vector<std::string>& lines) { return SendMailToAuthor(lines, "Quodo", "versie 1.06"); }

    // Constructed first and so destroyed last: the prefix's own handlers come back after each test.
    classesroot::SavedClassKeys savedKeys{{"mailto", "http", "https"}};
    platform::Services saved = platform::Current();
    std::string savedLanguage = support::LanguageCode;
    std::string folder, recorder;
};

TEST_F(ShellWine, TheHandlerGetsTheAddressVerbatimAndTheShellsFailuresAreItsCodes) {
    RegisterHandler("http", RecorderCommand(RecordFile("http")));
    const std::string address = "http://www.quodosoft.nl/index.php?a=b c,d%0D%0Ae";
    EXPECT_GT(Open(address), 32);
    ExpectHandedOver(RecordFile("http"), address);

    RegisterHandler("http", MissingProgramCommand());
    EXPECT_EQ(Open("http://www.quodosoft.nl/"), 2);
    classesroot::DeleteKey(HKEY_CLASSES_ROOT, "https");
    EXPECT_EQ(Open("https://www.quodosoft.nl/"), 31);
}

TEST_F(ShellWine, AMailProgramGetsTheMailtoAddress) {
    RegisterHandler("mailto", RecorderCommand(RecordFile("mailto")));
    EXPECT_EQ(MailCommand(), RecorderCommand(RecordFile("mailto")));
    EXPECT_EQ(SendMail(AuthorMailLines(true)), kMailHandedOver);
    ExpectHandedOver(RecordFile("mailto"),
                     MailtoAddress(MailSubject("Quodo", "versie 1.06", true), MailBody(AuthorMailLines(true))));
}

TEST_F(ShellWine, TheWebMailHandlerLeadsToTheMakersMailForm) {
    support::LanguageCode = "ENU";
    RegisterHandler("mailto", RecorderCommand(RecordFile("mailto"), "/MailToProtocolHandler "));
    RegisterHandler("https", RecorderCommand(RecordFile("https")));
    EXPECT_EQ(SendMail(AuthorMailLines(false)), kMailHandedOver);
    ExpectHandedOver(RecordFile("https"),
                     WebFormAddress("Quodo, versie 1.06", MailBody(AuthorMailLines(false)), false));
    EXPECT_EQ(GetFileAttributesA(RecordFile("mailto").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ShellWine, AHandlerThatDoesNotStartOrNoMailKeyGivesTheRoutesCode) {
    RegisterHandler("mailto", MissingProgramCommand());
    EXPECT_EQ(SendMail(AuthorMailLines(true)), kMailtoRefused);
    RegisterHandler("mailto", MissingProgramCommand() + " MailToProtocolHandler");
    RegisterHandler("https", MissingProgramCommand());
    EXPECT_EQ(SendMail(AuthorMailLines(true)), kWebFormRefused);

    classesroot::DeleteKey(HKEY_CLASSES_ROOT, "mailto");
    EXPECT_EQ(SendMail(AuthorMailLines(true)), kMailtoRefused);
    EXPECT_FALSE(classesroot::KeyExists("mailto"));  // looked up, never created
}

TEST_F(ShellWine, TheLongestAddressReachesTheLongestHandlerCommandWholeALongerOneIsRefused) {
    // A registered command of 255 characters, the most the shell reads.
    const std::string shortCommand = RecorderCommand(RecordFile("m"));
    ASSERT_LT(shortCommand.size(), 255u);
    const std::string record = RecordFile("m" + std::string(255 - shortCommand.size(), 'm'));
    RegisterHandler("mailto", RecorderCommand(record));
    ASSERT_EQ(RecorderCommand(record).size(), 255u);

    const std::string empty = MailtoAddress(MailSubject("Quodo", "versie 1.06", true), "");
    const std::string longest(kMaxShellAddressLength - empty.size(), 'q');
    EXPECT_EQ(SendMail({longest}), kMailHandedOver);
    ExpectHandedOver(record, empty + longest);

    // Longer addresses were left out of the command line, or overran the shell; now they are refused.
    EXPECT_EQ(SendMail({longest + "q"}), kMailtoRefused);
    EXPECT_EQ(SendMail(std::vector<std::string>(30, std::string(300, 'q'))), kMailtoRefused);
}

}  // namespace
