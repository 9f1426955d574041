// What the windows share: the window mode, whether the exchange is closed, the data folder and
// the alarm's switches and bounds. Owned by the start-up and handed to the windows that need it.
#pragma once

#include <functional>
#include <string>

namespace app {

// The alarm switches as the settings dialog last applied them, and its bounds as the dialog's
// fields hold them at the moment of each evaluation.
struct AlarmSettings {
    bool alarmOn = true;  // AlarmOn
    bool soundOn = true;  // SoundOn
    std::function<int()> upperBound = [] { return 550; };
    std::function<int()> lowerBound = [] { return 400; };
};

struct ProgramState {
    bool normalMode = true;     // NormalMode: the window mode, read from the store at creation
    bool marketClosed = false;  // MarketClosed: recomputed at every refresh
    std::string dataFolder;     // DataFolder, with a trailing backslash, known once the main window is made
    AlarmSettings alarm;
};

}  // namespace app
