// What a backend provides to the control layer: peers for controls and timers, and the few
// application-wide services (text metrics, menus, message boxes, the message loop, the screen,
// the keyboard focus, modal forms).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Screens.h"

namespace ui {

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Changed(Aspect aspect) = 0;  // the control's state has changed in this aspect
    // The number of lines a text box shows its text in; -1 when the backend cannot tell, and the
    // control layer counts them itself.
    virtual int DisplayedLineCount() { return -1; }
    virtual void SelectNone() {}
};

class TimerPeer {
public:
    virtual ~TimerPeer() = default;
    virtual void Restart() = 0;  // interval or enabled changed: start a new full period, or stop
};

enum class MessageKind { Plain, Information, Error, Warning };

class Backend {
public:
    virtual ~Backend() = default;
    virtual std::unique_ptr<ControlPeer> CreatePeer(Control& control) = 0;
    virtual std::unique_ptr<TimerPeer> CreateTimerPeer(Timer& timer) = 0;
    // The size of a text in a font, both in the screen's pixels (the font as a window shows it).
    virtual Size MeasureText(const Font& font, const std::string& text) = 0;
    // Writes a text onto an opaque picture in the font (its height in the picture's pixels) and its
    // colour, the text's cell (as MeasureText gives it) at (x, y); the picture shows through
    // between the letters, and stays opaque.
    virtual void WriteText(Bitmap& onto, int x, int y, const Font& font, const std::string& text) = 0;
    virtual void Popup(PopupMenu& menu, int x, int y) = 0;  // runs the chosen item's handler
    virtual void MessageDialog(const std::string& text, const std::string& caption, MessageKind kind) = 0;
    virtual void Run(Form& mainForm) = 0;  // the message loop, until the main form closes
    virtual void Quit() = 0;
    // Runs the form modally until it has a modal result (or the program ends).
    virtual void ShowModal(Form& form) = 0;
    // The primary monitor's size and the monitors (the primary one first) in the forms' screen
    // units (ScreenScale), which the forms place their windows in.
    Size ScreenSize();
    std::vector<Monitor> Monitors();
    // The same in the screen's pixels; by default the primary screen alone, all of it work area.
    virtual Size DeviceScreenSize() = 0;
    virtual std::vector<Monitor> DeviceMonitors();
    // The dots per inch of the forms' units: their sizes are pixels of a 96-dpi screen everywhere.
    virtual int PixelsPerInch() { return kDesignDpi; }
    // The dots per inch of the system (of the primary monitor when the program started): a form's
    // until its window says otherwise.
    virtual int SystemDpi() { return kDesignDpi; }
    // How much a title bar and border of this style add to the client area's width and height, in
    // pixels at this dpi.
    virtual Size FrameSize(BorderStyle style, int dpi) = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void SetApplicationTitle(const std::string& title) = 0;
    virtual void Focus(Control& control) = 0;
    virtual Control* FocusedControl() = 0;
    virtual void BringToFront(Form& form) = 0;
    // The form and all its controls have their peers now.
    virtual void Realized(Form& form) { (void)form; }
};

Backend& CurrentBackend();
void SetBackend(Backend* backend);

}  // namespace ui
