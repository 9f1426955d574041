// The program's start-up and end, after the platform services and the window backend are in place.
#pragma once

namespace app {

class TMainForm;

// Applies the stored refresh interval and switches and the alarm settings to the main window.
void ApplyStoredSettings(TMainForm& form);

// Creates the windows, runs the message loop until the main window closes, and ends the program.
int RunProgram();

}  // namespace app
