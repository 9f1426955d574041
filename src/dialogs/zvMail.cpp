#include "dialogs/zvMail.h"

#include "dialogs/Author.h"
#include "platform/Platform.h"
#include "quotes/Hosts.h"
#include "support/Support.h"

namespace dialogs {
namespace {

// Results of the shell's open operation above this mean it opened the address.
constexpr intptr_t kShellSuccessAbove = 32;

bool OpenAddress(const std::string& address) {
    if (address.size() > kMaxShellAddressLength) return false;
    platform::Shell* shell = platform::Current().shell;
    return shell && shell->Open("open", address, "", nullptr) > kShellSuccessAbove;
}

}  // namespace

std::vector<std::string> AuthorMailLines(bool dutch) {
    const std::string firstName = author::kFirstName;
    if (dutch)
        return {"Hallo " + firstName, "", "Ik vond op je Home Page het programma Quodo.",
                "Hierover wil ik het volgende opmerken:", "", "", "", "", "", "Met vriendelijke groet,", ""};
    return {"Hi " + firstName, "", "On your Home Page I found the program Quodo.",
            "About this program I want to let you know:", "", "", "", "", "", "Kind regards,", ""};
}

std::string MailBody(const std::vector<std::string>& lines) {
    std::string body;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) body += "%0D%0A";
        body += lines[i];
    }
    return body;
}

std::string MailSubject(const std::string& productName, const std::string& versionText, bool dutch) {
    return (dutch ? "Programma " : "Program ") + MailProgramName(productName, versionText);
}

std::string MailProgramName(const std::string& productName, const std::string& versionText) {
    return productName + ", " + versionText;
}

std::string MailtoAddress(const std::string& subject, const std::string& body) {
    return "mailto:" + author::EmailAddress() + "?Subject=" + subject + "&Body=" + body;
}

std::string WebFormAddress(const std::string& programName, const std::string& body, bool dutch) {
    const char* form = dutch ? "/mailform_n_php.php?ProgNam=" : "/mailform_e_php.php?ProgNam=";
    return std::string("https://") + hosts::kMakerWebHost + form + programName + "&Contents=" + body;
}

std::string MailCommand() {
    platform::Registry* registry = platform::Current().registry;
    if (!registry) return {};
    return registry->ClassesRootDefault(kMailCommandKey).value_or("");
}

bool UsesWebMailForm(const std::string& mailCommand) { return mailCommand.find(kWebMailHandler) != std::string::npos; }

uint8_t SendMailToAuthor(const std::vector<std::string>& lines, const std::string& productName,
                         const std::string& versionText) {
    const bool dutch = support::LanguageCode == "NLD";
    const std::string body = MailBody(lines);
    if (UsesWebMailForm(MailCommand())) {
        const std::string address = WebFormAddress(MailProgramName(productName, versionText), body, dutch);
        return OpenAddress(address) ? kMailHandedOver : kWebFormRefused;
    }
    const std::string address = MailtoAddress(MailSubject(productName, versionText, dutch), body);
    return OpenAddress(address) ? kMailHandedOver : kMailtoRefused;
}

}  // namespace dialogs
