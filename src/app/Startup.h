// The program's start-up and end, after the platform services and the window backend are in place.
#pragma once

namespace dialogs {
class TAboutBox;
class TMessageForm;
}

namespace settings {
class TOptionsForm;
}

namespace update {
class TVersionsForm;
}

namespace app {

class TMainForm;

// Connects the settings dialog to the main window: the mode switch shows in its radio buttons, the
// first show greys its sound switch, the alarm reads its bound fields and the menu shows it.
void ConnectOptions(TMainForm& main, settings::TOptionsForm& options);

// Connects the update window: the main window's update timer runs the automatic check, the settings
// dialog's "Check nu" the one on demand, which greys that button while it waits.
void ConnectUpdates(TMainForm& main, settings::TOptionsForm& options, update::TVersionsForm& versions);

// Connects the information box to the main window: the info menu's "Over Quodo" shows it modally.
void ConnectAbout(TMainForm& main, dialogs::TAboutBox& about);

// At the main window's first show, tells once of an install the update started that failed (a note
// the installer left): in the message popup over the main window and in "Error.log".
void ConnectInstallOutcome(TMainForm& main, dialogs::TMessageForm& popup);

// The automatic check's notice that no check has succeeded for a long time: in the message popup
// over the main window.
void ConnectUpdateNotice(TMainForm& main, update::TVersionsForm& versions, dialogs::TMessageForm& popup);

// Creates the windows, runs the message loop until the main window closes, and ends the program.
int RunProgram();

}  // namespace app
