// The control layer: the components the forms are built from. A control keeps its own state
// (position, size, text, colours, visibility) and tells its backend peer what changed; the Win32
// backend turns that into real windows, the headless backend into nothing but the state itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Bitmap.h"
#include "ui/Scale.h"

namespace ui {

// Colours are 0x00BBGGRR, the Windows COLORREF layout; a set high byte names a system colour or
// stands for "the parent's colour".
using Color = uint32_t;
constexpr Color Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }
constexpr Color kBlack = Rgb(0, 0, 0);
constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kButtonFace = 0xFF00000Fu;  // the system's button-face colour
constexpr Color kWindowText = 0xFF000008u;  // the system's window-text colour
constexpr Color kWindow = 0xFF000005u;      // the system's window (edit field) colour
constexpr Color kParentColor = 0xFE000000u; // whatever colour the parent shows
constexpr Color kNoColor = 0xFD000000u;     // no colour set

struct Font {
    std::string name = "Verdana";
    int height = 12;  // pixels
    bool bold = false;
    bool italic = false;
    Color color = kWindowText;
};

// The point size a font of this pixel height has on a screen of this many dots per inch, rounded
// as the system rounds it (14 pixels at 96 dpi: 11 points).
int PointSize(const Font& font, int pixelsPerInch = 96);

struct Size { int width = 0, height = 0; };

enum class MouseButton { Left, Right, Middle };

class Control;
class Form;

// Gives a control and everything on it the same font, as a form's controls take the form's.
void SetFontOfAll(Control& root, const Font& font);
class Timer;
class PopupMenu;
class ControlPeer;
class TimerPeer;

// Scale: the window's dpi has changed; sizes, fonts and pictures are to be drawn anew.
enum class Aspect { Bounds, Visible, Text, Colors, Image, Topmost, Enabled, Checked, Value, Hint, Progress, Scale };

using MouseHandler = std::function<void(Control& sender, MouseButton button, int x, int y)>;
using Handler = std::function<void()>;

enum class ControlKind {
    Form, Panel, Label, SpeedButton, Image, CheckBox, RadioButton, SpinEdit, GroupBox, Button, Memo, Gauge, Bevel
};

// The results a modal form can end with.
constexpr int kResultNone = 0;
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

class Control {
public:
    Control(ControlKind kind, Control* parent, std::string name);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind Kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    Control* Parent() const { return parent_; }
    const std::vector<Control*>& Children() const { return children_; }
    Form* OwnerForm();
    const Form* OwnerForm() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);

    // The factor between the control's sizes and its window's pixels: its form's dpi.
    Scale GetScale() const;
    // Where the control's window lies in pixels at that scale: in its parent's client area, its
    // edges scaled (so that controls that touch stay touching); a form's lies on the screen.
    virtual Rect DeviceBounds() const;
    // The control's font at that scale.
    Font DeviceFont() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent visible too: the user can see it.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);

    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& text);

    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c);
    // The colour the control shows: its own, or its parent's when it takes the parent's.
    Color ShownBackColor() const;
    const Font& GetFont() const { return font_; }
    void SetFont(const Font& f);
    void SetFontColor(Color c);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool showHint = false;
    bool handCursor = false;
    // Help context for F1 while this control has the keyboard; 0: the parent's.
    int helpContext = 0;
    int HelpContextInEffect() const;

    // The place in the keyboard's tab order among its siblings; -1: after those that have one, in
    // the order the controls were declared.
    int tabOrder = -1;
    // Stacking among siblings: controls with a higher value lie above; equal values keep windowed
    // controls (panels, edits, buttons) above drawn ones (labels, pictures), later ones above earlier.
    int zOrder = 0;
    // Can take the keyboard from the tab key.
    virtual bool TabStop() const { return false; }
    // A control with a window of its own, as opposed to one painted onto its parent.
    bool Windowed() const;
    bool CanFocus() const;
    void SetFocus();
    bool Focused() const;

    MouseHandler onMouseDown, onMouseMove, onMouseUp;
    Handler onClick;

    // Called by the backend when the user acts on the control.
    void MouseDown(MouseButton b, int x, int y) { if (onMouseDown) onMouseDown(*this, b, x, y); }
    void MouseMove(MouseButton b, int x, int y) { if (onMouseMove) onMouseMove(*this, b, x, y); }
    void MouseUp(MouseButton b, int x, int y) { if (onMouseUp) onMouseUp(*this, b, x, y); }
    virtual void Click() { if (onClick) onClick(); }

    ControlPeer* Peer() const { return peer_.get(); }
    void* userData = nullptr;  // free for the backend

protected:
    void Changed(Aspect a);
    void CreatePeer();
    friend class Form;

    ControlKind kind_;
    Control* parent_;
    std::string name_;
    std::vector<Control*> children_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true, enabled_ = true;
    std::string text_;
    std::string hint_;
    Color backColor_ = kButtonFace;
    Font font_;
    std::unique_ptr<ControlPeer> peer_;
};

enum class BevelCut { None, Raised, Lowered };

class Panel : public Control {
public:
    Panel(Control* parent, std::string name);
    void SetBounds(int left, int top, int width, int height) override;
    bool alignBottom = false;
    bool alignClient = false;  // fills its parent
    // Keeps an aligned panel in its place when the parent's size changes.
    void Realign();
    BevelCut bevelOuter = BevelCut::Raised;
    BevelCut bevelInner = BevelCut::None;
    int bevelWidth = 1;
    int borderWidth = 0;      // space between the outer and the inner bevel
    bool singleBorder = false;  // a one-pixel line around everything
};

enum class Alignment { Left, Center };

// A text label; with autoSize its width and height follow its text. Takes its parent's colour
// until it is given one of its own.
class Label : public Control {
public:
    Label(Control* parent, std::string name);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool centered = false;
    void SetText(const std::string& text) override;

private:
    void Fit();
    bool autoSize_ = true;
};

// A flat button showing a small picture; glyph names one of the pictures the backend knows.
class SpeedButton : public Control {
public:
    SpeedButton(Control* parent, std::string name, std::string glyph);
    const std::string& Glyph() const { return glyph_; }

private:
    std::string glyph_;
};

// A picture area with a drawing surface of its own size.
class Image : public Control {
public:
    Image(Control* parent, std::string name);
    void SetBounds(int left, int top, int width, int height) override;
    // Draws the bitmap at (x, y) without scaling; what falls outside the surface is cut off.
    void Draw(const Bitmap& bitmap, int x, int y);
    const Bitmap& Surface() const { return surface_; }

private:
    Bitmap surface_;
};

// Check box and radio button: setting the state runs the click handler, as a click does.
class CheckBox : public Control {
public:
    CheckBox(Control* parent, std::string name, ControlKind kind = ControlKind::CheckBox);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    void Click() override;  // a user's click toggles (a radio button selects)
    bool TabStop() const override { return true; }

private:
    bool checked_ = false;
};

// Radio buttons with the same parent form one group: selecting one clears the others. Only the
// selected one is reached with the tab key; the arrow keys move within the group.
class RadioButton : public CheckBox {
public:
    RadioButton(Control* parent, std::string name);
    bool TabStop() const override { return Checked(); }
};

// A number field with up and down arrows. The text stays as the user types it; its value is the
// text read as a decimal 32-bit integer, or the minimum when it is none. Values are pulled into
// minimum to maximum when set, and when the user leaves the field; equal limits mean no limits.
class SpinEdit : public Control {
public:
    SpinEdit(Control* parent, std::string name);
    int Value() const;
    void SetValue(int v);
    int minValue = 0, maxValue = 0, increment = 1;
    Handler onChange;
    bool TabStop() const override { return true; }

    // Called by the backend: the text as the user typed it; the user left the field; an arrow.
    void UserTyped(const std::string& text);
    void Exit();
    void Step(int direction);

    // The number a text stands for: optional blanks, an optional sign and decimal digits that fit
    // 32 bits; nothing for anything else.
    static bool ParseValue(const std::string& text, int& value);

private:
    int Limited(long long v) const;
};

// A frame with a caption around other controls.
class GroupBox : public Control {
public:
    GroupBox(Control* parent, std::string name);
};

// A push button with a caption and optionally a picture. Its face is its back colour; with a hover
// colour set the face takes that colour while the pointer is over it; a flat one has no raised
// edge. Enter presses the button that has the keyboard, and from other controls the default
// button; a modal result closes a modal form with that result after the click handler.
class Button : public Control {
public:
    Button(Control* parent, std::string name);
    Color hoverColor = kNoColor;
    bool flat = false;
    std::string glyph;  // "ok": the standard OK tick; empty: none
    bool isDefault = false;
    int modalResult = kResultNone;
    bool TabStop() const override { return true; }
    void Click() override;
};

// A multi-line text box, read-only, wrapping long lines at word boundaries.
class Memo : public Control {
public:
    Memo(Control* parent, std::string name);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear();
    void Add(const std::string& line);
    void SetLines(const std::vector<std::string>& lines);
    Alignment alignment = Alignment::Left;
    bool border = true;
    // The number of lines the box shows its text in, counting every line a long one wraps into.
    int DisplayedLineCount() const;
    // Puts the caret at the start with nothing selected.
    void SelectNone();

private:
    void LinesChanged();
    std::vector<std::string> lines_;
};

// The number of lines a text box of this width shows the lines in, wrapped at word boundaries,
// with the text widths the measure gives.
int WrappedLineCount(const std::vector<std::string>& lines, int width,
                     const std::function<int(const std::string&)>& measure);

// A progress bar showing how much of maxValue is done, with the percentage written on it.
class Gauge : public Control {
public:
    Gauge(Control* parent, std::string name);
    int MaxValue() const { return maxValue_; }
    int Progress() const { return progress_; }
    void SetMaxValue(int v);
    void SetProgress(int v);
    int PercentDone() const;
    Color foreColor = kBlack;

private:
    int maxValue_ = 100;
    int progress_ = 0;
};

enum class BevelShape { Frame, Box };

// A sunken frame or box drawn around other controls. Its window fills its whole area, so it lies
// behind its siblings (zOrder -1): what it frames shows whatever the order of declaration.
class Bevel : public Control {
public:
    Bevel(Control* parent, std::string name, BevelShape shape);
    BevelShape shape;
};

class Timer {
public:
    Timer(Form& owner, std::string name, unsigned interval, bool enabled);
    ~Timer();
    const std::string& Name() const { return name_; }
    unsigned Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    // A different interval, or enabling, starts a new full period.
    void SetInterval(unsigned ms);
    void SetEnabled(bool v);
    void Start() { SetEnabled(true); }
    void Stop() { SetEnabled(false); }
    Handler onTimer;
    // A tick that comes after the timer was stopped does nothing.
    void Fire() {
        if (enabled_ && onTimer) onTimer();
    }
    TimerPeer* Peer() const { return peer_.get(); }

private:
    std::string name_;
    unsigned interval_;
    bool enabled_;
    std::unique_ptr<TimerPeer> peer_;
};

struct MenuItem {
    std::string name;
    std::string caption;   // empty caption with separator set: a separator line
    std::string shortcut;  // the shortcut text shown, e.g. "F5"
    bool separator = false;
    Handler onClick;
};

class PopupMenu {
public:
    explicit PopupMenu(std::string name) : name_(std::move(name)) {}
    MenuItem& Add(std::string name, std::string caption, std::string shortcut = "", Handler onClick = nullptr);
    MenuItem& AddSeparator(std::string name);
    MenuItem* Find(const std::string& name);
    std::vector<MenuItem>& Items() { return items_; }
    const std::string& Name() const { return name_; }
    // Shows the menu at a screen position (in the forms' units, see ScreenScale) and runs the
    // chosen item's handler.
    void Popup(int x, int y);
    // The user has chosen the item (called by the backend).
    static void Choose(const MenuItem& item);

private:
    std::string name_;
    std::vector<MenuItem> items_;
};

enum class BorderStyle {
    None,                // no title bar, no border: the client area is the whole window
    Single,              // title bar with the system menu and close box, a thin border
    Dialog,              // title bar with the system menu and close box, a dialog frame
    DialogNoSystemMenu,  // title bar without any box, a dialog frame
};

// The keys a form handles for the keyboard of its controls.
enum class Key { Tab, ShiftTab, Up, Down, Left, Right, Enter, Escape };

class Form : public Control {
public:
    Form(std::string className, std::string name);
    ~Form() override;
    const std::string& ClassName() const { return className_; }
    // The window's title (never shown on a border-less window, but kept for others to read).
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& c) { SetText(c); }

    BorderStyle Border() const { return border_; }
    void SetBorder(BorderStyle style);
    // The client area is the window less its title bar and border; Width and Height are the outer size.
    int ClientWidth() const { return width_ - frame_.width; }
    int ClientHeight() const { return height_ - frame_.height; }
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
    void SetBounds(int left, int top, int width, int height) override;

    // Where the window lies on the screen, in the screen's pixels: the place that is stored. Left
    // and Top are this place in the form's units; a move through them moves it by as much, scaled,
    // and a place the system gives is kept as it is, so that nothing drifts by rounding.
    Point ScreenPlace() const { return screen_; }
    void PlaceOnScreen(int x, int y);
    // The system has moved the window to this screen place (the user dragged its title bar): the
    // form takes it over, without placing the window again.
    void Moved(int x, int y);
    Rect DeviceBounds() const override;

    // The dots per inch of the monitor the window is on; the system's until the window exists.
    int Dpi() const;
    // The window is on a monitor of this dpi now (it was made there, or moved there): it keeps its
    // client size and its controls in the form's units and its place on the screen, and every
    // window of it takes its new size and font.
    void SetDpi(int dpi);
    // The system has moved the window onto a monitor of another dpi and suggests where it goes
    // now: the form takes the suggested place and lays itself out again at the new dpi (its size
    // follows from its layout, which is what the suggestion scaled it to, up to rounding).
    void DpiChanged(int dpi, const Rect& suggested);

    bool Topmost() const { return topmost_; }
    void SetTopmost(bool v);

    // Creates the peers of the form and every control on it (backend windows).
    void Realize();
    void ShowForm();        // shows the form, running onShow
    // Shows the form while every other shown form is disabled, until a button with a modal result,
    // EndModal or Close ends it; returns the result.
    int ShowModal();
    void EndModal(int result);
    bool Modal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void Close();           // ends a modal form (Cancel), hides another, ends the program for the main form
    // Runs when a form that is neither modal nor the main one is closed, before it hides.
    Handler onClose;
    void BringToFront();    // above the other windows, without taking the keyboard
    // Called by the backend when the monitors have changed (one unplugged, the resolution
    // lowered): a form that lies on no monitor any more comes back onto the nearest one.
    void DisplayChanged();
    void Repaint();
    Handler onShow, onDestroy, onPaint;
    // Called by the backend when the form is painted.
    void Painted() { if (onPaint) onPaint(); }
    // Menus whose shortcut keys act while this form has the keyboard.
    std::vector<PopupMenu*> shortcutMenus;
    // Runs the handler of the first item whose shortcut text is keyName; true when one was found.
    bool RunShortcut(const std::string& keyName);
    // The menu that the keyboard opens (Shift+F10, the menu key), at the top-left corner of
    // `contextMenuPlace` (of the form itself when none).
    PopupMenu* contextMenu = nullptr;
    Control* contextMenuPlace = nullptr;
    // The keyboard asks for the context menu (called by the backend); false when there is none.
    bool OpenContextMenu();
    bool Realized() const { return realized_; }

    // The controls that the tab key visits, in order: visible, enabled tab stops.
    std::vector<Control*> TabOrderList();
    // A dialog key pressed while `focused` has the keyboard; true when the form acted on it.
    bool DialogKey(Key key, Control* focused);
    // The shown, enabled default button, if there is one.
    Button* DefaultButton();
    bool dialogKeys = false;  // Tab, arrows and Enter act (set for every form with a title bar)

    // Set by the backend while the form runs modally.
    void SetModalState(bool modal) { modal_ = modal; if (modal) modalResult_ = kResultNone; }

private:
    void SelectNext(Control* from, bool forward);
    void MoveInRadioGroup(Control* from, bool forward);

    std::string className_;
    BorderStyle border_ = BorderStyle::None;
    Size frame_;         // the title bar and border in the form's units
    Size deviceFrame_;   // and in the window's pixels
    Point screen_;
    int dpi_ = 0;        // 0: the system's
    bool topmost_ = false;
    bool realized_ = false;
    bool modal_ = false;
    int modalResult_ = kResultNone;
};

// The factor between the screen positions the forms work with (their places, the monitors, menu
// positions) and the screen's pixels: the main window's, or the system's before there is one.
Scale ScreenScale();

}  // namespace ui
