// The mail to the author: the texts it builds, the choice between the mail program and the web
// form by the registered mail command, the result codes from the shell's answer, and the bound
// on the address handed to the shell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/Author.h"
#include "dialogs/zvMail.h"
#include "fakes/FakeShell.h"
#include "fakes/MemoryRegistry.h"
#include "support/Support.h"

namespace {

using namespace dialogs;

const std::string kBreak = "%0D%0A";

std::string Repeat(const std::string& text, int times) {
    std::string result;
    while (times-- > 0) result += text;
    return result;
}

TEST(MailTextTest, DutchBodyIsTheElevenLinesJoinedByEncodedLineBreaks) {
    EXPECT_EQ(MailBody(AuthorMailLines(true)),
              std::string("Hallo ") + author::kFirstName + Repeat(kBreak, 2) +
                  "Ik vond op je Home Page het programma Quodo." + kBreak + "Hierover wil ik het volgende opmerken:" +
                  Repeat(kBreak, 6) + "Met vriendelijke groet," + kBreak);
    EXPECT_EQ(MailBody(AuthorMailLines(false)),
              std::string("Hi ") + author::kFirstName + Repeat(kBreak, 2) +
                  "On your Home Page I found the program Quodo." + kBreak +
                  "About this program I want to let you know:" + Repeat(kBreak, 6) + "Kind regards," + kBreak);
}

TEST(MailTextTest, NothingButTheLineBreaksIsEscaped) {
    EXPECT_EQ(MailBody({"a b,c:d", "\xE9\xEB&?=%"}), "a b,c:d%0D%0A\xE9\xEB&?=%");
    EXPECT_EQ(MailBody({"only"}), "only");
    EXPECT_EQ(MailBody({}), "");
    EXPECT_EQ(MailSubject("Quodo", "versie 1.06", true), "Programma Quodo, versie 1.06");
    EXPECT_EQ(MailSubject("Quodo", "versie 1.06", false), "Program Quodo, versie 1.06");
    EXPECT_EQ(MailtoAddress("S t", "B"), "mailto:" + author::EmailAddress() + "?Subject=S t&Body=B");
    EXPECT_EQ(WebFormAddress("Quodo, versie 1.06", "Hi", true),
              "https://www.quodosoft.nl/mailform_n_php.php?ProgNam=Quodo, versie 1.06&Contents=Hi");
    EXPECT_EQ(WebFormAddress("Quodo, versie 1.06", "Hi", false),
              "https://www.quodosoft.nl/mailform_e_php.php?ProgNam=Quodo, versie 1.06&Contents=Hi");
}

class MailTest : public ::testing::Test {
protected:
    void SetUp() override {
        shell.Install();
        platform::Current().registry = &registry;
        support::LanguageCode = "NLD";
    }
    void TearDown() override {
        platform::Install(saved);
        support::LanguageCode = savedLanguage;
    }

    void RegisterMailCommand(const std::string& command) { registry.classesRoot[kMailCommandKey] = command; }
    uint8_t Send(const std::vector<std::string>& lines) { return SendMailToAuthor(lines, "Quodo", "versie 1.06"); }
    uint8_t Send() { return Send(AuthorMailLines(support::LanguageCode == "NLD")); }
    const std::string& Opened() const { return shell.calls.back().file; }
    // One line that makes the route's address exactly length characters long.
    static std::vector<std::string> LinesForAddressOf(size_t length, bool webForm) {
        const std::string empty = webForm ? WebFormAddress("Quodo, versie 1.06", "", true)
                                          : MailtoAddress("Programma Quodo, versie 1.06", "");
        return {std::string(length - empty.size(), 'q')};
    }

    platform::Services saved = platform::Current();
    std::string savedLanguage = support::LanguageCode;
    fakes::FakeShell shell;
    fakes::MemoryRegistry registry;
};

TEST_F(MailTest, AMailProgramGetsTheMailtoAddressInTheUsersLanguage) {
    RegisterMailCommand("\"C:\\Program Files\\Mail\\mail.exe\" /mailurl:%1");
    EXPECT_EQ(Send(), kMailHandedOver);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].verb, "open");
    EXPECT_EQ(shell.calls[0].parameters, "");
    EXPECT_EQ(shell.calls[0].owner, nullptr);
    EXPECT_EQ(Opened(), "mailto:" + author::EmailAddress() + "?Subject=Programma Quodo, versie 1.06&Body=" +
                            MailBody(AuthorMailLines(true)));
    support::LanguageCode = "ENU";
    EXPECT_EQ(Send(), kMailHandedOver);
    EXPECT_EQ(Opened(), "mailto:" + author::EmailAddress() + "?Subject=Program Quodo, versie 1.06&Body=" +
                            MailBody(AuthorMailLines(false)));
}

TEST_F(MailTest, OnlyTheWebMailHandlerInExactCaseLeadsToTheMailForm) {
    support::LanguageCode = "ENU";
    RegisterMailCommand("rundll32.exe webmail.dll,MailToProtocolHandler %1");
    EXPECT_EQ(Send(), kMailHandedOver);
    EXPECT_EQ(Opened(), "https://www.quodosoft.nl/mailform_e_php.php?ProgNam=Quodo, versie 1.06&Contents=" +
                            MailBody(AuthorMailLines(false)));
    support::LanguageCode = "NLD";
    EXPECT_EQ(Send(), kMailHandedOver);
    EXPECT_EQ(Opened().rfind("https://www.quodosoft.nl/mailform_n_php.php?ProgNam=Quodo, versie 1.06&Contents=", 0),
              0u);

    RegisterMailCommand("rundll32.exe webmail.dll,mailtoprotocolhandler %1");
    EXPECT_EQ(Send(), kMailHandedOver);
    EXPECT_EQ(Opened().rfind("mailto:", 0), 0u);
}

TEST_F(MailTest, RefusalsGiveTheRoutesCode) {
    shell.result = 31;  // no mail key at all: the mailto route
    EXPECT_EQ(Send(), kMailtoRefused);
    EXPECT_EQ(Opened().rfind("mailto:", 0), 0u);
    shell.result = 32;
    EXPECT_EQ(Send(), kMailtoRefused);
    shell.result = 33;
    EXPECT_EQ(Send(), kMailHandedOver);
    RegisterMailCommand("MailToProtocolHandler");
    shell.result = 2;
    EXPECT_EQ(Send(), kWebFormRefused);
}

TEST_F(MailTest, AnAddressUpToTheBoundIsHandedOverWholeALongerOneIsRefusedWithoutTheShell) {
    for (bool webForm : {false, true}) {
        SCOPED_TRACE(webForm);
        if (webForm) RegisterMailCommand("MailToProtocolHandler");
        shell.calls.clear();
        EXPECT_EQ(Send(LinesForAddressOf(kMaxShellAddressLength, webForm)), kMailHandedOver);
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(Opened().size(), kMaxShellAddressLength);
        EXPECT_EQ(Send(LinesForAddressOf(kMaxShellAddressLength + 1, webForm)),
                  webForm ? kWebFormRefused : kMailtoRefused);
        EXPECT_EQ(shell.calls.size(), 1u);
    }
    // Texts of any length are built whole, and refused.
    const std::vector<std::string> lines(40, std::string(500, 'x'));
    EXPECT_EQ(MailBody(lines).size(), 40 * 500 + 39 * kBreak.size());
    EXPECT_EQ(SendMailToAuthor(lines, "Quodo", std::string(2000, 'v')), kWebFormRefused);
    EXPECT_EQ(shell.calls.size(), 1u);
}

}  // namespace
