// The base of the control layer: a control keeps its own state (position, size, text, colours,
// visibility) and tells its backend peer what changed; the Win32 backend turns that into real
// windows, the headless backend into nothing but the state itself. Colours, fonts and the kinds
// of control live here too.
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

enum class Alignment { Left, Center };

}  // namespace ui
