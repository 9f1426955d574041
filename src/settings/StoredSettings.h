// The program's settings batches: what each window reads from and writes to the settings store,
// with the defaults and bounds of every value. Each function opens the store, runs its batch in
// a fixed order and closes the store, also when an error stops the batch.
//
// The loaders fill a structure in place: when a refused read stops the batch, the fields read
// before it hold their new values and the others keep what they had. The overloads returning a
// structure start from the defaults.
#pragma once

#include "settings/SettingsStore.h"

namespace settings {

constexpr const char kSection[] = "Defaults";

constexpr const char kMainTop[] = "MainTop";
constexpr const char kMainLeft[] = "MainLeft";
constexpr const char kNormalMode[] = "Normale Modus";
constexpr const char kConfigTop[] = "ConfigTop";
constexpr const char kConfigLeft[] = "ConfigLeft";
constexpr const char kDownloadOn[] = "DownloadTimer Aan";
constexpr const char kLegacyMinutes[] = "Aantal minuten";
constexpr const char kSeconds[] = "Aantal seconden";
constexpr const char kAlarmOn[] = "Alarm Aan";
constexpr const char kUpperBound[] = "Bovengrens";
constexpr const char kLowerBound[] = "Ondergrens";
constexpr const char kSoundOn[] = "Geluid Aan";
constexpr const char kUpdatesOn[] = "Updates Aan";
// Not in the dialog: set in the registry by whoever wants the quote feed never asked.
constexpr const char kFeedOn[] = "Feed Aan";

// The refresh interval's range in seconds, that of the dialog's seconds field.
constexpr int kMinSeconds = 10;
constexpr int kMaxSeconds = 600;

// The main window's position and mode. No bounds here: the window keeps itself on screen.
struct MainWindowSettings {
    int top = 10;
    int left = 10;
    bool normalMode = true;
};

// The eight values of the settings dialog.
struct DialogSettings {
    bool downloadOn = true;
    int seconds = 30;
    bool alarmOn = true;
    int upperBound = 550;
    int lowerBound = 400;
    bool soundOn = true;
    bool updatesOn = true;
    bool normalMode = true;
};

struct Extent {
    int width = 0;
    int height = 0;
};

struct DialogPosition {
    int top = 0;
    int left = 0;
};

// The screen area a dialog is kept in (right and bottom exclusive): all monitors together.
struct ScreenArea {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Pulls a number of seconds into kMinSeconds..kMaxSeconds.
int BoundSeconds(long long seconds);

// Main window creation: "MainTop", "MainLeft", "Normale Modus".
void LoadMainWindowSettings(SettingsStore& store, MainWindowSettings& settings);
MainWindowSettings LoadMainWindowSettings(SettingsStore& store);

// Main window destruction: "MainTop", "MainLeft".
void SaveMainWindowPosition(SettingsStore& store, int top, int left);

// Every mode switch: "Normale Modus".
void SaveWindowMode(SettingsStore& store, bool normalMode);

// Dialog creation: "ConfigTop" then "ConfigLeft". Missing values centre the dialog (outer size
// `dialog`) on the primary screen; a dialog reaching past the right or bottom edge of `area` (by
// default the primary screen) is moved back inside; a Top or Left that is then above or left of
// the area lies 10 pixels inside it.
void LoadDialogPosition(SettingsStore& store, Extent screen, Extent dialog, DialogPosition& position,
                        const ScreenArea& area);
DialogPosition LoadDialogPosition(SettingsStore& store, Extent screen, Extent dialog);
DialogPosition LoadDialogPosition(SettingsStore& store, Extent screen, Extent dialog, const ScreenArea& area);

// Dialog destruction: "ConfigTop", "ConfigLeft".
void SaveDialogPosition(SettingsStore& store, int top, int left);

// Dialog creation and Cancel. An interval stored in minutes by older versions ("Aantal minuten",
// not 0) is converted to seconds and replaces "Aantal seconden"; the minutes are then removed.
void LoadDialogSettings(SettingsStore& store, DialogSettings& settings);
DialogSettings LoadDialogSettings(SettingsStore& store);

// Every refresh: "Feed Aan", whether the quote feed may be asked (default on). A value of a kind the
// store cannot read counts as the default: a refresh never fails on it.
bool LoadFeedSwitch(SettingsStore& store);

// Dialog OK: the eight values in the order of DialogSettings.
void SaveDialogSettings(SettingsStore& store, const DialogSettings& settings);

}  // namespace settings
