// The mail to the author. The program sends no mail itself: it hands a prepared message to the
// user's mail program as a mailto address or, when the system's mail handler is a web-mail one,
// opens the maker's mail form in the browser with the message filled in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dialogs {

// SendMailToAuthor's results.
constexpr uint8_t kMailHandedOver = 0;
constexpr uint8_t kMailtoRefused = 1;   // the shell would not open the mailto address
constexpr uint8_t kWebFormRefused = 2;  // the shell would not open the web form address

// Below HKEY_CLASSES_ROOT: the key whose default value is the command that opens mailto addresses.
constexpr const char* kMailCommandKey = "mailto\\shell\\open\\command";
// The longest address handed to the shell. The shell puts the address into the handler's command
// line in a buffer of 1,024 characters, beside a registered command of up to 255: a longer address
// is left out of that command line or overruns the shell. A longer address is refused instead.
constexpr size_t kMaxShellAddressLength = 768;
// A mail command holding this (in exactly this case) hands mail to a web page: the maker's mail
// form is used instead of a mailto address.
constexpr const char* kWebMailHandler = "MailToProtocolHandler";

// Hands a mail with these lines as its body to the mail program or to the web form, with the
// subject or program name made of the product name and version text, in the language of
// support::LanguageCode. Returns one of the results above; an address longer than
// kMaxShellAddressLength counts as refused, and the shell is not asked.
uint8_t SendMailToAuthor(const std::vector<std::string>& lines, const std::string& productName,
                         const std::string& versionText);

// The eleven lines of the mail text that the information box prepares.
std::vector<std::string> AuthorMailLines(bool dutch);

// The lines joined by "%0D%0A"; nothing else in them is escaped.
std::string MailBody(const std::vector<std::string>& lines);
// "Programma Quodo, versie 1.06" (Dutch) or "Program Quodo, versie 1.06".
std::string MailSubject(const std::string& productName, const std::string& versionText, bool dutch);
// "Quodo, versie 1.06": the program's name on the web form.
std::string MailProgramName(const std::string& productName, const std::string& versionText);
std::string MailtoAddress(const std::string& subject, const std::string& body);
std::string WebFormAddress(const std::string& programName, const std::string& body, bool dutch);

// The system's mail command (read-only; the key is never created); empty when it cannot be read.
std::string MailCommand();
bool UsesWebMailForm(const std::string& mailCommand);

}  // namespace dialogs
