// The texts of the update window: its caption, the lines of its text box and its button captions,
// in Dutch or English. A memo's first line is the empty line the window starts with.
#pragma once

#include <string>
#include <vector>

#include "update/VersionList.h"

namespace update {

// Dutch for the language code "NLD", English for every other.
bool IsDutch(const std::string& languageCode);

std::string UpdateWindowCaption(const std::string& productName);  // "Quodo - Update"

// The automatic check's text when an update is advised: an empty line, the advice, an empty line
// and the three version lines.
std::vector<std::string> AutomaticCheckMemo(bool dutch, const std::string& versionText,
                                            const std::string& latestVersion, const std::string& installerName);
// The dates of a list that does not hold at the computer's clock, in the user's short date format:
// the computer's date, and the first and last day of the list's validity.
struct ClockDates {
    std::string computer, from, until;
};
// The on-demand check's text for each result (ListOutOfDate names the dates); UpdateAdvised as the
// automatic check.
std::vector<std::string> OnDemandMemo(bool dutch, CheckResult result, const std::string& versionText,
                                      const std::string& latestVersion, const std::string& installerName,
                                      const ClockDates& dates = {});
// What a failed check tells, without the memo's empty first line.
std::vector<std::string> FailureLines(bool dutch, CheckResult result, const ClockDates& dates);

// The automatic check's notice when no check has succeeded since a date: its two lines.
std::vector<std::string> StaleNoticeLines(bool dutch, const std::string& sinceDate, CheckResult result,
                                          const ClockDates& dates);
constexpr int kStaleNoticeMs = 15000;

std::string PingTimeOutLine(bool dutch);  // names the maker's domain

// Button captions.
constexpr const char* kDownloadNowCaption = "Download nu";  // BtnDownload before any check
std::string StartDownloadCaption(bool dutch);               // "Start Downloaden" / "Start Downloading"
// "Download Later" after an automatic check, "Download later" after one on demand (both languages).
std::string DownloadLaterCaption(bool automaticCheck);
std::string CloseWindowCaption(bool dutch);  // "Sluit Venster" / "Close Window"
std::string InstallCaption(bool dutch);      // "Installeer" / "Install"

// After a sound download: an empty line and the two lines that offer to install.
std::vector<std::string> DownloadedMemo(bool dutch, const std::string& downloadName);
std::string DownloadFailedLine(bool dutch);  // "Download mislukt." / "Download failed."

// While installing, announced by InstallerDisplayName.
std::string InstallStartingLine(bool dutch, const std::string& displayName);
std::string InstallStartedLine(bool dutch, const std::string& displayName);
std::string InstallFailedLine(bool dutch);

}  // namespace update
