#include "update/UpdateTexts.h"

#include "quotes/Hosts.h"

namespace update {
namespace {

std::string Choose(bool dutch, const char* nl, const char* en) { return dutch ? nl : en; }

std::vector<std::string> AdvisedLines(bool dutch, const std::string& versionText, const std::string& latestVersion,
                                      const std::string& installerName) {
    return {Choose(dutch, "Een Update wordt aanbevolen", "Update is advised"), "",
            Choose(dutch, "Uw huidige versie is ", "Your current version is ") + versionText,
            Choose(dutch, "De nieuwste versie is ", "The latest version is ") + latestVersion,
            Choose(dutch, "De Downloadnaam is ", "The Download Name is ") + installerName};
}

std::string ClockLine(bool dutch, const ClockDates& dates) {
    if (dutch)
        return "De datum van deze computer (" + dates.computer + ") valt buiten de geldigheid van de versielijst (" +
               dates.from + " t/m " + dates.until + "). Controleer de datum en tijd.";
    return "This computer's date (" + dates.computer + ") lies outside the version list's validity (" + dates.from +
           " to " + dates.until + "). Check the date and time.";
}

std::vector<std::string> ResultLines(bool dutch, CheckResult result, const std::string& versionText,
                                     const ClockDates& dates) {
    switch (result) {
        case CheckResult::UpToDate:
            return {Choose(dutch, "Een Update is niet nodig,", "No Update is needed,"),
                    Choose(dutch, "u heeft de nieuwste versie.", "you are using the latest version."),
                    Choose(dutch, "Uw huidige versie is ", "Your current version is ") + versionText + "."};
        case CheckResult::NoServerResponse:
            return {Choose(dutch, "De server reageert niet", "No reaction from Server")};
        case CheckResult::FileTooSmall:
            return {Choose(dutch, "Het bestand is te klein", "File not downloaded correctly")};
        case CheckResult::ProgramNotFound:
            return {Choose(dutch, "Programma-naam niet gevonden", "Program Name not found")};
        case CheckResult::PingTimeOut: return {PingTimeOutLine(dutch)};
        case CheckResult::SignatureInvalid:
            return {Choose(dutch, "Handtekening van de versielijst klopt niet.",
                           "The version list's signature is not valid.")};
        case CheckResult::ListOutOfDate: return {ClockLine(dutch, dates)};
        case CheckResult::ListOlderThanBelieved:
            return {Choose(dutch, "De versielijst is ouder dan een eerder ontvangen versielijst.",
                           "The version list is older than one received before.")};
        case CheckResult::UpdateAdvised: break;
    }
    return {};
}

}  // namespace

bool IsDutch(const std::string& languageCode) { return languageCode == "NLD"; }

std::string UpdateWindowCaption(const std::string& productName) { return productName + " - Update"; }

std::vector<std::string> AutomaticCheckMemo(bool dutch, const std::string& versionText,
                                            const std::string& latestVersion, const std::string& installerName) {
    std::vector<std::string> memo{""};
    for (const std::string& line : AdvisedLines(dutch, versionText, latestVersion, installerName)) memo.push_back(line);
    return memo;
}

std::vector<std::string> OnDemandMemo(bool dutch, CheckResult result, const std::string& versionText,
                                      const std::string& latestVersion, const std::string& installerName,
                                      const ClockDates& dates) {
    if (result == CheckResult::UpdateAdvised)
        return AutomaticCheckMemo(dutch, versionText, latestVersion, installerName);
    std::vector<std::string> memo{""};
    for (const std::string& line : ResultLines(dutch, result, versionText, dates)) memo.push_back(line);
    return memo;
}

std::vector<std::string> FailureLines(bool dutch, CheckResult result, const ClockDates& dates) {
    return ResultLines(dutch, result, std::string(), dates);
}

std::vector<std::string> StaleNoticeLines(bool dutch, const std::string& sinceDate, CheckResult result,
                                          const ClockDates& dates) {
    std::string reason;
    for (const std::string& line : FailureLines(dutch, result, dates)) reason += (reason.empty() ? "" : " ") + line;
    return {dutch ? "Sinds " + sinceDate + " is geen controle op een nieuwe versie gelukt."
                  : "No check for a new version has succeeded since " + sinceDate + ".",
            reason};
}

std::string PingTimeOutLine(bool dutch) {
    return dutch ? std::string("Ping naar ") + hosts::kMakerDomain + " geeft Time-out"
                 : std::string("Ping to ") + hosts::kMakerDomain + " gives Time-out";
}

std::string StartDownloadCaption(bool dutch) { return Choose(dutch, "Start Downloaden", "Start Downloading"); }
std::string DownloadLaterCaption(bool automaticCheck) { return automaticCheck ? "Download Later" : "Download later"; }
std::string CloseWindowCaption(bool dutch) { return Choose(dutch, "Sluit Venster", "Close Window"); }
std::string InstallCaption(bool dutch) { return Choose(dutch, "Installeer", "Install"); }

std::vector<std::string> DownloadedMemo(bool dutch, const std::string& downloadName) {
    if (dutch)
        return {"", downloadName + " is met succes gedownload", "Klik \"Installeer\" om het progamma te installeren"};
    return {"", downloadName + " has been succesfully downloaded", "Click \"Install\" to install the progam"};
}

std::string DownloadFailedLine(bool dutch) { return Choose(dutch, "Download mislukt.", "Download failed."); }

std::string InstallStartingLine(bool dutch, const std::string& displayName) {
    return dutch ? "De installatie van " + displayName + " wordt gestart."
                 : "The installation of " + displayName + " is started.";
}

std::string InstallStartedLine(bool dutch, const std::string& displayName) {
    return dutch ? "De installatie van " + displayName + " is gestart."
                 : "The installation of " + displayName + " has started.";
}

std::string InstallFailedLine(bool dutch) { return Choose(dutch, "Installatie is mislukt.", "Installation failed."); }

}  // namespace update
