#include "update/ErrorLog.h"

#include "update/DateFormat.h"

namespace update {

std::optional<std::string> ErrorLogLine(CheckResult result) {
    switch (result) {
        case CheckResult::NoServerResponse: return std::string("Server reageert niet.");
        case CheckResult::FileTooSmall: return std::string("Bestand te klein.");
        case CheckResult::ProgramNotFound: return std::string("Programma-naam niet gevonden.");
        case CheckResult::PingTimeOut: return std::string("Time-out bij Ping.");
        case CheckResult::SignatureInvalid: return std::string("Handtekening van de versielijst klopt niet.");
        case CheckResult::ListOutOfDate: return std::string("Versielijst verlopen of datum van deze computer onjuist.");
        case CheckResult::ListOlderThanBelieved: return std::string("Versielijst ouder dan een eerder ontvangen versielijst.");
        case CheckResult::UpToDate:
        case CheckResult::UpdateAdvised: break;
    }
    return std::nullopt;
}

namespace {

std::string DatedText(const platform::DateTime& today, const std::string& shortDateFormat, const std::string& line) {
    return FormatDate(today, shortDateFormat) + ".\r\n" + line + "\r\n";
}

}  // namespace

std::string ErrorLogText(const platform::DateTime& today, const std::string& shortDateFormat, CheckResult result) {
    const std::optional<std::string> line = ErrorLogLine(result);
    if (!line) return std::string();
    return DatedText(today, shortDateFormat, *line);
}

bool WriteErrorLog(const platform::Services& services, const std::string& dataFolder, CheckResult result) {
    const std::optional<std::string> line = ErrorLogLine(result);
    return !line || WriteErrorLogLine(services, dataFolder, *line);
}

bool WriteErrorLogLine(const platform::Services& services, const std::string& dataFolder, const std::string& line) {
    const std::string text = DatedText(services.clock->Now(), services.locale->ShortDateFormat(), line);
    return services.files->WriteFile(dataFolder + kErrorLogName, text);
}

}  // namespace update
