#include "update/InstallOutcome.h"

#include "update/ErrorLog.h"

namespace update {
namespace {

constexpr const char* kVersionValue = "FailedVersion";
constexpr const char* kReasonValue = "FailedReason";

InstallFailure ReasonOf(const std::optional<platform::RegistryValue>& value) {
    if (!value || value->type != platform::kRegDword || value->data.size() != 4) return InstallFailure::Unknown;
    const uint8_t low = static_cast<uint8_t>(value->data[0]);
    const bool small = value->data[1] == 0 && value->data[2] == 0 && value->data[3] == 0;
    if (!small || low > static_cast<uint8_t>(InstallFailure::AnotherInstallRunning)) return InstallFailure::Unknown;
    return static_cast<InstallFailure>(low);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What the lines name: the version, or an unknown one when the note holds no version text.
std::string VersionPhrase(bool dutch, const std::string& version) {
    if (IsVersionText(version)) return (dutch ? "versie " : "version ") + version;
    return dutch ? "een onbekende versie" : "an unknown version";
}

}  // namespace

bool IsVersionText(const std::string& text) {
    if (text.size() != 4 && text.size() != 5) return false;
    if (!IsDigit(text[0]) || text[1] != '.' || !IsDigit(text[2]) || !IsDigit(text[3])) return false;
    return text.size() == 4 || (text[4] >= 'a' && text[4] <= 'z');
}

std::string InstallNoteKey(const std::string& productName) { return "Software\\" + productName + "\\Update"; }

std::optional<FailedInstall> TakeFailedInstall(platform::Registry& registry, const std::string& productName) {
    const std::string key = InstallNoteKey(productName);
    const std::optional<platform::RegistryValue> version = registry.Query(key, kVersionValue);
    if (!version) return std::nullopt;
    FailedInstall failure;
    if (version->type == platform::kRegSz) failure.version = version->data.substr(0, version->data.find('\0'));
    failure.reason = ReasonOf(registry.Query(key, kReasonValue));
    registry.DeleteValue(key, kReasonValue);
    // Told once: a note that stays would be told at every start.
    if (!registry.DeleteValue(key, kVersionValue)) return std::nullopt;
    return failure;
}

PopupLines FailedInstallLines(bool dutch, const FailedInstall& failure) {
    PopupLines lines;
    if (dutch) {
        lines.first = "Installatie van " + VersionPhrase(dutch, failure.version) + " is mislukt.";
        if (failure.reason == InstallFailure::ProgramStillRunning) lines.second = "Het programma was nog actief.";
        if (failure.reason == InstallFailure::FileNotReplaced) lines.second = "Een bestand kon niet worden vervangen.";
        if (failure.reason == InstallFailure::AnotherInstallRunning)
            lines.second = "Er was nog een andere installatie bezig.";
    } else {
        lines.first = "Installation of " + VersionPhrase(dutch, failure.version) + " failed.";
        if (failure.reason == InstallFailure::ProgramStillRunning) lines.second = "The program was still running.";
        if (failure.reason == InstallFailure::FileNotReplaced) lines.second = "A file could not be replaced.";
        if (failure.reason == InstallFailure::AnotherInstallRunning)
            lines.second = "Another installation was still running.";
    }
    return lines;
}

std::string FailedInstallLogLine(const FailedInstall& failure) {
    const PopupLines lines = FailedInstallLines(true, failure);
    std::string line = "Installatie van " + VersionPhrase(true, failure.version) + " mislukt.";
    if (!lines.second.empty()) line += " " + lines.second;
    return line;
}

void ReportFailedInstall(const platform::Services& services, const std::string& productName,
                         const std::string& dataFolder, bool dutch, const ShowPopup& show) {
    const std::optional<FailedInstall> failure = TakeFailedInstall(*services.registry, productName);
    if (!failure) return;
    const PopupLines lines = FailedInstallLines(dutch, *failure);
    show(lines.first, lines.second, kFailedInstallPopupMs);
    WriteErrorLogLine(services, dataFolder, FailedInstallLogLine(*failure));  // a log that cannot be written is no news
}

}  // namespace update
