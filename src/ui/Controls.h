// The control layer: the components the forms are built from. A control keeps its own state
// (position, size, text, colours, visibility) and tells its backend peer what changed; the Win32
// backend turns that into real windows, the headless backend into nothing but the state itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// Colours are 0x00BBGGRR, the Windows COLORREF layout.
using Color = uint32_t;
constexpr Color Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }
constexpr Color kBlack = Rgb(0, 0, 0);
constexpr Color kButtonFace = 0xFF00000Fu;  // the system's button-face colour
constexpr Color kWindowText = 0xFF000008u;  // the system's window-text colour

struct Font {
    std::string name = "Verdana";
    int height = 12;  // pixels
    bool bold = false;
    Color color = kWindowText;
};

struct Size { int width = 0, height = 0; };

enum class MouseButton { Left, Right, Middle };

class Control;
class Form;
class Timer;
class PopupMenu;
class ControlPeer;
class TimerPeer;

enum class Aspect { Bounds, Visible, Text, Colors, Image, Topmost, Enabled, Checked, Value };

using MouseHandler = std::function<void(Control& sender, MouseButton button, int x, int y)>;
using Handler = std::function<void()>;

enum class ControlKind { Form, Panel, Label, SpeedButton, Image, CheckBox, RadioButton, SpinEdit, GroupBox, Button };

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

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);

    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& text);

    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c);
    const Font& GetFont() const { return font_; }
    void SetFont(const Font& f);
    void SetFontColor(Color c);

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
    Color backColor_ = kButtonFace;
    Font font_;
    std::unique_ptr<ControlPeer> peer_;
};

class Panel : public Control {
public:
    Panel(Control* parent, std::string name);
    void SetBounds(int left, int top, int width, int height) override;
    bool alignBottom = false;
    // Keeps a bottom-aligned panel at the bottom of its parent, full width.
    void Realign();
};

// A text label; with autoSize its width and height follow its text.
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
    bool handCursor = true;

private:
    std::string glyph_;
};

// A 32-bit top-down BGRA picture.
struct Bitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB
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

private:
    bool checked_ = false;
};

class RadioButton : public CheckBox {
public:
    RadioButton(Control* parent, std::string name);
};

// A number field with up and down arrows; the value is pulled into [minValue, maxValue].
class SpinEdit : public Control {
public:
    SpinEdit(Control* parent, std::string name);
    int Value() const { return value_; }
    void SetValue(int v);
    int minValue = 0, maxValue = 0, increment = 1;
    Handler onChange;

private:
    int value_ = 0;
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
    void Fire() { if (onTimer) onTimer(); }
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
    // Shows the menu at a screen position and runs the chosen item's handler.
    void Popup(int x, int y);

private:
    std::string name_;
    std::vector<MenuItem> items_;
};

class Form : public Control {
public:
    Form(std::string className, std::string name);
    ~Form() override;
    const std::string& ClassName() const { return className_; }
    // The window's title (never shown on a border-less window, but kept for others to read).
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& c) { SetText(c); }
    int ClientWidth() const { return width_; }
    int ClientHeight() const { return height_; }
    bool borderless = true;
    bool Topmost() const { return topmost_; }
    void SetTopmost(bool v);
    int helpContext = 0;

    // Creates the peers of the form and every control on it (backend windows).
    void Realize();
    void ShowForm();        // shows the form, running onShow
    void ShowModal();       // shows the form and waits until it is closed
    void Close();           // hides a modal form, or ends the program for the main form
    void Repaint();
    Handler onShow, onDestroy;
    // Menus whose shortcut keys act while this form has the keyboard.
    std::vector<PopupMenu*> shortcutMenus;
    // Runs the handler of the first item whose shortcut text is keyName; true when one was found.
    bool RunShortcut(const std::string& keyName);
    bool Realized() const { return realized_; }
    bool modalResultSet = false;

private:
    std::string className_;
    bool topmost_ = false;
    bool realized_ = false;
};

}  // namespace ui
