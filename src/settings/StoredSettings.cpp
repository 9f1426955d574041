#include "settings/StoredSettings.h"

#include <algorithm>
#include <stdexcept>

namespace settings {
namespace {

int ReadSeconds(SettingsStore& store) {
    int minutes = store.ReadInteger(kSection, kLegacyMinutes, 0);
    if (minutes == 0) return BoundSeconds(store.ReadInteger(kSection, kSeconds, 30));

    int seconds = BoundSeconds(static_cast<long long>(minutes) * 60);
    // The converted interval is stored before the minutes go, so that no restart and no Cancel
    // falls back to an older "Aantal seconden". If the registry refuses the write, the minutes
    // stay and the next load converts them again.
    try {
        store.WriteInteger(kSection, kSeconds, seconds);
    } catch (const std::runtime_error&) {
        return seconds;
    }
    store.Remove(kSection, kLegacyMinutes);
    return seconds;
}

// A stored place keeps the whole dialog on the screen: a modal dialog out of sight, with the main
// window disabled, would look like a program that hangs. Before the left or top edge counts as 10
// inside it.
int PositionOnScreen(int coordinate, int extent, int screenStart, int screenEnd) {
    long long place = coordinate;
    if (place + extent > screenEnd) place = (long long)screenEnd - extent;
    return place < screenStart ? screenStart + 10 : int(place);
}

}  // namespace

int BoundSeconds(long long seconds) {
    return static_cast<int>(std::clamp<long long>(seconds, kMinSeconds, kMaxSeconds));
}

void LoadMainWindowSettings(SettingsStore& store, MainWindowSettings& settings) {
    StoreBatch batch(store);
    settings.top = store.ReadInteger(kSection, kMainTop, 10);
    settings.left = store.ReadInteger(kSection, kMainLeft, 10);
    settings.normalMode = store.ReadFlag(kSection, kNormalMode, true);
}

MainWindowSettings LoadMainWindowSettings(SettingsStore& store) {
    MainWindowSettings settings;
    LoadMainWindowSettings(store, settings);
    return settings;
}

void SaveMainWindowPosition(SettingsStore& store, int top, int left) {
    StoreBatch batch(store);
    store.WriteInteger(kSection, kMainTop, top);
    store.WriteInteger(kSection, kMainLeft, left);
}

void SaveWindowMode(SettingsStore& store, bool normalMode) {
    StoreBatch batch(store);
    store.WriteFlag(kSection, kNormalMode, normalMode);
}

void LoadDialogPosition(SettingsStore& store, Extent screen, Extent dialog, DialogPosition& position,
                        const ScreenArea& area) {
    StoreBatch batch(store);
    position.top = PositionOnScreen(store.ReadInteger(kSection, kConfigTop, (screen.height - dialog.height) / 2),
                                    dialog.height, area.top, area.bottom);
    position.left = PositionOnScreen(store.ReadInteger(kSection, kConfigLeft, (screen.width - dialog.width) / 2),
                                     dialog.width, area.left, area.right);
}

DialogPosition LoadDialogPosition(SettingsStore& store, Extent screen, Extent dialog, const ScreenArea& area) {
    DialogPosition position;
    LoadDialogPosition(store, screen, dialog, position, area);
    return position;
}

DialogPosition LoadDialogPosition(SettingsStore& store, Extent screen, Extent dialog) {
    return LoadDialogPosition(store, screen, dialog, ScreenArea{0, 0, screen.width, screen.height});
}

void SaveDialogPosition(SettingsStore& store, int top, int left) {
    StoreBatch batch(store);
    store.WriteInteger(kSection, kConfigTop, top);
    store.WriteInteger(kSection, kConfigLeft, left);
}

void LoadDialogSettings(SettingsStore& store, DialogSettings& settings) {
    StoreBatch batch(store);
    settings.downloadOn = store.ReadFlag(kSection, kDownloadOn, true);
    settings.seconds = ReadSeconds(store);
    settings.alarmOn = store.ReadFlag(kSection, kAlarmOn, true);
    settings.upperBound = store.ReadInteger(kSection, kUpperBound, 550);
    settings.lowerBound = store.ReadInteger(kSection, kLowerBound, 400);
    settings.soundOn = store.ReadFlag(kSection, kSoundOn, true);
    settings.updatesOn = store.ReadFlag(kSection, kUpdatesOn, true);
    settings.normalMode = store.ReadFlag(kSection, kNormalMode, true);
}

DialogSettings LoadDialogSettings(SettingsStore& store) {
    DialogSettings settings;
    LoadDialogSettings(store, settings);
    return settings;
}

bool LoadFeedSwitch(SettingsStore& store) {
    StoreBatch batch(store);
    try {
        return store.ReadFlag(kSection, kFeedOn, true);
    } catch (const std::runtime_error&) {
        return true;
    }
}

void SaveDialogSettings(SettingsStore& store, const DialogSettings& settings) {
    StoreBatch batch(store);
    store.WriteFlag(kSection, kDownloadOn, settings.downloadOn);
    store.WriteInteger(kSection, kSeconds, settings.seconds);
    store.WriteFlag(kSection, kAlarmOn, settings.alarmOn);
    store.WriteInteger(kSection, kUpperBound, settings.upperBound);
    store.WriteInteger(kSection, kLowerBound, settings.lowerBound);
    store.WriteFlag(kSection, kSoundOn, settings.soundOn);
    store.WriteFlag(kSection, kUpdatesOn, settings.updatesOn);
    store.WriteFlag(kSection, kNormalMode, settings.normalMode);
}

}  // namespace settings
