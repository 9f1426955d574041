// What the settings dialog may ask of the running ticker (the main window): its refresh, its
// automatic update check, its alarm and its window mode. The main window provides it; the dialog
// knows nothing else of it.
#pragma once

namespace settings {

class TickerControl {
public:
    virtual ~TickerControl() = default;
    // Normal mode (true) or always on top.
    virtual bool NormalMode() const = 0;
    // Switches to the other mode, as the window's own menu does.
    virtual void SwitchMode() = 0;
    // The refresh timer: its interval, and whether it runs. A different interval, or a start, begins
    // a new full period.
    virtual void SetRefresh(unsigned intervalMs, bool on) = 0;
    // Whether the automatic version check comes a minute from now.
    virtual void SetUpdateCheck(bool on) = 0;
    // The alarm's switches, as the level's next evaluation takes them.
    virtual void SetAlarmSwitches(bool alarmOn, bool soundOn) = 0;
    // On: both markers blink until the level is evaluated, which leaves the right one; off: no
    // marker shows.
    virtual void ShowAlarm(bool on) = 0;
};

}  // namespace settings
