// What an installer that the update started tells the program it starts again afterwards: when the
// install failed, a note in the program's registry key with the version it could not install and
// why. The program tells the user once, at its first show: in the message popup over the main window
// and in "Error.log".
//
//   HKEY_CURRENT_USER\Software\<product>\Update
//     "FailedVersion"  REG_SZ     the version the installer could not install, such as 1.07
//     "FailedReason"   REG_DWORD  1: the program still ran when the wait was over;
//                                 2: a file could not be replaced (the old ones were put back);
//                                 3: another installation still ran when the wait was over
// Anyone who runs as the user can write that key, so the version is told only when it reads as a
// version (1.07, 1.07a); anything else is told as an unknown version.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace update {

enum class InstallFailure : uint32_t {
    Unknown = 0,
    ProgramStillRunning = 1,
    FileNotReplaced = 2,
    AnotherInstallRunning = 3,
};

struct FailedInstall {
    std::string version;
    InstallFailure reason = InstallFailure::Unknown;
};

// A digit, a point, two digits and at most one lower-case letter.
bool IsVersionText(const std::string& text);

// The registry key of the note: "Software\" + product + "\Update".
std::string InstallNoteKey(const std::string& productName);

// The note, taken away so that it is told once; nothing when there is none, or when it cannot be
// taken away.
std::optional<FailedInstall> TakeFailedInstall(platform::Registry& registry, const std::string& productName);

// The popup's two lines, Dutch or English; the second is empty for a reason not known.
struct PopupLines {
    std::string first, second;
};
PopupLines FailedInstallLines(bool dutch, const FailedInstall& failure);
// The line of "Error.log", in Dutch.
std::string FailedInstallLogLine(const FailedInstall& failure);

constexpr int kFailedInstallPopupMs = 10000;

// At start-up: when the installer left a note, shows its lines (show) and writes "Error.log".
using ShowPopup = std::function<void(const std::string& line1, const std::string& line2, int durationMs)>;
void ReportFailedInstall(const platform::Services& services, const std::string& productName,
                         const std::string& dataFolder, bool dutch, const ShowPopup& show);

}  // namespace update
