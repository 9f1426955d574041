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
    if (small && low == 1) return InstallFailure::ProgramStillRunning;
    if (small && low == 2) return InstallFailure::FileNotReplaced;
    return InstallFailure::Unknown;
}

}  // namespace

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
        lines.first = "Installatie van versie " + failure.version + " is mislukt.";
        if (failure.reason == InstallFailure::ProgramStillRunning) lines.second = "Het programma was nog actief.";
        if (failure.reason == InstallFailure::FileNotReplaced) lines.second = "Een bestand kon niet worden vervangen.";
    } else {
        lines.first = "Installation of version " + failure.version + " failed.";
        if (failure.reason == InstallFailure::ProgramStillRunning) lines.second = "The program was still running.";
        if (failure.reason == InstallFailure::FileNotReplaced) lines.second = "A file could not be replaced.";
    }
    return lines;
}

std::string FailedInstallLogLine(const FailedInstall& failure) {
    const PopupLines lines = FailedInstallLines(true, failure);
    std::string line = "Installatie van versie " + failure.version + " mislukt.";
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
