#include "ui/Controls.h"

#include <algorithm>
#include <climits>

#include "support/Support.h"
#include "ui/Application.h"
#include "ui/Backend.h"

namespace ui {

namespace {

// The area inside a parent that its children are placed in.
Size ClientSizeOf(const Control& parent) {
    if (parent.Kind() == ControlKind::Form) {
        const auto& form = static_cast<const Form&>(parent);
        return {form.ClientWidth(), form.ClientHeight()};
    }
    return {parent.Width(), parent.Height()};
}

// Most controls show their parent's colour until they are given one; panels, buttons and text
// fields have their own.
Color DefaultBackColor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
        case ControlKind::SpeedButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::GroupBox:
        case ControlKind::Bevel:
            return kParentColor;
        case ControlKind::SpinEdit:
        case ControlKind::Memo:
            return kWindow;
        case ControlKind::Gauge:
            return kWhite;
        default:
            return kButtonFace;
    }
}

}  // namespace

void SetFontOfAll(Control& root, const Font& font) {
    root.SetFont(font);
    for (Control* child : root.Children()) SetFontOfAll(*child, font);
}

int PointSize(const Font& font, int pixelsPerInch) {
    // Rounded to the nearest point, halves away from zero.
    return (font.height * 72 * 2 + pixelsPerInch) / (pixelsPerInch * 2);
}

// --- Control

Control::Control(ControlKind kind, Control* parent, std::string name)
    : kind_(kind), parent_(parent), name_(std::move(name)), backColor_(DefaultBackColor(kind)) {
    if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
    peer_.reset();
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

Form* Control::OwnerForm() {
    for (Control* c = this; c; c = c->parent_)
        if (c->kind_ == ControlKind::Form) return static_cast<Form*>(c);
    return nullptr;
}

const Form* Control::OwnerForm() const { return const_cast<Control*>(this)->OwnerForm(); }

Scale Control::GetScale() const {
    const Form* form = OwnerForm();
    return Scale(form ? form->Dpi() : CurrentBackend().SystemDpi());
}

Rect Control::DeviceBounds() const { return GetScale().ToDevice(Rect{left_, top_, left_ + width_, top_ + height_}); }

Font Control::DeviceFont() const { return GetScale().ToDevice(font_); }

Scale ScreenScale() {
    const Form* main = App().MainForm();
    return main ? main->GetScale() : Scale(CurrentBackend().SystemDpi());
}

void Control::CreatePeer() {
    peer_ = CurrentBackend().CreatePeer(*this);
    for (Control* child : children_) child->CreatePeer();
}

void Control::Changed(Aspect a) {
    if (peer_) peer_->Changed(a);
}

void Control::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed(Aspect::Bounds);
    for (Control* child : children_) {
        if (child->kind_ == ControlKind::Panel) static_cast<Panel*>(child)->Realign();
    }
}

void Control::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    Changed(Aspect::Visible);
}

bool Control::Showing() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void Control::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Changed(Aspect::Enabled);
}

void Control::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Changed(Aspect::Text);
}

void Control::SetBackColor(Color c) {
    if (c == backColor_) return;
    backColor_ = c;
    Changed(Aspect::Colors);
}

Color Control::ShownBackColor() const {
    for (const Control* c = this; c; c = c->parent_)
        if (c->backColor_ != kParentColor) return c->backColor_;
    return kButtonFace;
}

void Control::SetFont(const Font& f) {
    font_ = f;
    Changed(Aspect::Colors);
}

void Control::SetFontColor(Color c) {
    if (c == font_.color) return;
    font_.color = c;
    Changed(Aspect::Colors);
}

void Control::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    Changed(Aspect::Hint);
}

int Control::HelpContextInEffect() const {
    for (const Control* c = this; c; c = c->parent_)
        if (c->helpContext != 0) return c->helpContext;
    return 0;
}

bool Control::Windowed() const {
    switch (kind_) {
        case ControlKind::Label:
        case ControlKind::SpeedButton:
        case ControlKind::Image:
        case ControlKind::Gauge:
        case ControlKind::Bevel:
            return false;
        default:
            return true;
    }
}

bool Control::CanFocus() const {
    if (!Windowed() || !Showing()) return false;
    for (const Control* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void Control::SetFocus() { CurrentBackend().Focus(*this); }

bool Control::Focused() const { return CurrentBackend().FocusedControl() == this; }

// --- Panel

Panel::Panel(Control* parent, std::string name) : Control(ControlKind::Panel, parent, std::move(name)) {}

void Panel::SetBounds(int left, int top, int width, int height) {
    if (parent_ && (alignBottom || alignClient)) {
        const Size area = ClientSizeOf(*parent_);
        left = 0;
        width = area.width;
        if (alignClient) {
            top = 0;
            height = area.height;
        } else {
            top = area.height - height;
        }
    }
    Control::SetBounds(left, top, width, height);
}

void Panel::Realign() { SetBounds(left_, top_, width_, height_); }

// --- Label

Label::Label(Control* parent, std::string name) : Control(ControlKind::Label, parent, std::move(name)) {}

void Label::SetAutoSize(bool v) {
    autoSize_ = v;
    Fit();
}

void Label::SetText(const std::string& text) {
    Control::SetText(text);
    Fit();
}

// Measured in the font the window shows, so that the text fits at any scale.
void Label::Fit() {
    if (!autoSize_) return;
    const Scale scale = GetScale();
    const Size shown = CurrentBackend().MeasureText(scale.ToDevice(font_), text_);
    SetBounds(left_, top_, scale.FromDeviceUp(shown.width), scale.FromDeviceUp(shown.height));
}

// --- SpeedButton

SpeedButton::SpeedButton(Control* parent, std::string name, std::string glyph)
    : Control(ControlKind::SpeedButton, parent, std::move(name)), glyph_(std::move(glyph)) {
    handCursor = true;
}

// --- Image

Image::Image(Control* parent, std::string name) : Control(ControlKind::Image, parent, std::move(name)) {}

void Image::SetBounds(int left, int top, int width, int height) {
    if (width != surface_.width || height != surface_.height) {
        Bitmap resized;
        resized.width = std::max(width, 0);
        resized.height = std::max(height, 0);
        resized.pixels.assign(size_t(resized.width) * resized.height, 0xFFF5F5F5u);
        Blit(resized, surface_, 0, 0);
        surface_ = std::move(resized);
    }
    Control::SetBounds(left, top, width, height);
}

void Image::Draw(const Bitmap& bitmap, int x, int y) {
    Blit(surface_, bitmap, x, y);
    Changed(Aspect::Image);
}

// --- CheckBox, RadioButton

CheckBox::CheckBox(Control* parent, std::string name, ControlKind kind)
    : Control(kind, parent, std::move(name)) {}

void CheckBox::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    Changed(Aspect::Checked);
    if (kind_ == ControlKind::RadioButton && v && parent_) {
        for (Control* sibling : parent_->Children()) {
            if (sibling != this && sibling->Kind() == ControlKind::RadioButton)
                static_cast<CheckBox*>(sibling)->SetChecked(false);
        }
    }
    // A state set by the program runs the click handler, as a click by the user does.
    if (onClick) onClick();
}

void CheckBox::Click() {
    if (kind_ == ControlKind::RadioButton) {
        if (!checked_) SetChecked(true);
    } else {
        SetChecked(!checked_);
    }
}

RadioButton::RadioButton(Control* parent, std::string name)
    : CheckBox(parent, std::move(name), ControlKind::RadioButton) {}

// --- SpinEdit

SpinEdit::SpinEdit(Control* parent, std::string name) : Control(ControlKind::SpinEdit, parent, std::move(name)) {
    text_ = "0";
}

bool SpinEdit::ParseValue(const std::string& text, int& value) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const size_t last = text.find_last_not_of(' ');
    int32_t number = 0;
    if (!support::ParseDecimalInteger(text.substr(first, last - first + 1), number)) return false;
    value = number;
    return true;
}

int SpinEdit::Value() const {
    int value = 0;
    return ParseValue(text_, value) ? value : minValue;
}

int SpinEdit::Limited(long long v) const {
    if (maxValue != minValue) v = std::clamp<long long>(v, minValue, maxValue);
    return int(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

void SpinEdit::SetValue(int v) {
    const std::string text = std::to_string(Limited(v));
    if (text == text_) return;
    Control::SetText(text);
    if (onChange) onChange();
}

void SpinEdit::UserTyped(const std::string& text) {
    if (text == text_) return;
    text_ = text;  // the window shows it already; rewriting it would move the caret
    if (onChange) onChange();
}

void SpinEdit::Exit() {
    const int value = Value();
    if (Limited(value) != value) SetValue(value);
}

void SpinEdit::Step(int direction) {
    const long long next = (long long)Value() + (long long)increment * direction;
    SetValue(int(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

// --- GroupBox, Button, Bevel

GroupBox::GroupBox(Control* parent, std::string name) : Control(ControlKind::GroupBox, parent, std::move(name)) {}

Button::Button(Control* parent, std::string name) : Control(ControlKind::Button, parent, std::move(name)) {}

void Button::Click() {
    Control::Click();
    if (modalResult == kResultNone) return;
    if (Form* form = OwnerForm(); form && form->Modal()) form->EndModal(modalResult);
}

Bevel::Bevel(Control* parent, std::string name, BevelShape shape)
    : Control(ControlKind::Bevel, parent, std::move(name)), shape(shape) {
    zOrder = -1;
}

// --- Memo

Memo::Memo(Control* parent, std::string name) : Control(ControlKind::Memo, parent, std::move(name)) {}

void Memo::Clear() {
    if (lines_.empty()) return;
    lines_.clear();
    LinesChanged();
}

void Memo::Add(const std::string& line) {
    lines_.push_back(line);
    LinesChanged();
}

void Memo::SetLines(const std::vector<std::string>& lines) {
    lines_ = lines;
    LinesChanged();
}

void Memo::LinesChanged() {
    std::string text;
    for (size_t i = 0; i < lines_.size(); ++i) text += (i ? "\r\n" : "") + lines_[i];
    Control::SetText(text);
}

int Memo::DisplayedLineCount() const {
    if (lines_.empty()) return 0;
    if (peer_) {
        const int counted = peer_->DisplayedLineCount();
        if (counted >= 0) return counted;
    }
    // The text area lies a few pixels inside the box.
    const int textWidth = width_ - (border ? 8 : 4);
    return WrappedLineCount(lines_, textWidth,
                            [&](const std::string& s) { return CurrentBackend().MeasureText(font_, s).width; });
}

void Memo::SelectNone() {
    if (peer_) peer_->SelectNone();
}

int WrappedLineCount(const std::vector<std::string>& lines, int width,
                     const std::function<int(const std::string&)>& measure) {
    int count = 0;
    for (const std::string& line : lines) {
        ++count;
        std::string current;
        size_t at = 0;
        while (at < line.size()) {
            size_t next = line.find(' ', at);
            if (next == std::string::npos) next = line.size();
            std::string word = line.substr(at, next - at);
            at = next + 1;
            const std::string candidate = current.empty() ? word : current + " " + word;
            if (measure(candidate) <= width) {
                current = candidate;
                continue;
            }
            if (!current.empty()) ++count;
            // A word wider than the box is broken wherever it reaches the edge.
            while (measure(word) > width && word.size() > 1) {
                size_t fits = 1;
                while (fits < word.size() && measure(word.substr(0, fits + 1)) <= width) ++fits;
                word.erase(0, fits);
                ++count;
            }
            current = word;
        }
    }
    return count;
}

// --- Gauge

Gauge::Gauge(Control* parent, std::string name) : Control(ControlKind::Gauge, parent, std::move(name)) {}

void Gauge::SetMaxValue(int v) {
    maxValue_ = std::max(v, 0);
    progress_ = std::min(progress_, maxValue_);
    Changed(Aspect::Progress);
}

// A progress beyond the end fills the bar; the bar never runs over.
void Gauge::SetProgress(int v) {
    v = std::clamp(v, 0, maxValue_);
    if (v == progress_) return;
    progress_ = v;
    Changed(Aspect::Progress);
}

int Gauge::PercentDone() const { return maxValue_ <= 0 ? 0 : int(100LL * progress_ / maxValue_); }

// --- Timer

Timer::Timer(Form&, std::string name, unsigned interval, bool enabled)
    : name_(std::move(name)), interval_(interval), enabled_(enabled) {
    peer_ = CurrentBackend().CreateTimerPeer(*this);
    if (peer_) peer_->Restart();
}

Timer::~Timer() = default;

void Timer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (peer_) peer_->Restart();
}

void Timer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    if (peer_) peer_->Restart();
}

// --- PopupMenu

MenuItem& PopupMenu::Add(std::string name, std::string caption, std::string shortcut, Handler onClick) {
    items_.push_back(MenuItem{std::move(name), std::move(caption), std::move(shortcut), false, std::move(onClick)});
    return items_.back();
}

MenuItem& PopupMenu::AddSeparator(std::string name) {
    items_.push_back(MenuItem{std::move(name), "-", "", true, nullptr});
    return items_.back();
}

MenuItem* PopupMenu::Find(const std::string& name) {
    for (auto& item : items_)
        if (item.name == name) return &item;
    return nullptr;
}

void PopupMenu::Popup(int x, int y) {
    const Scale scale = ScreenScale();
    CurrentBackend().Popup(*this, scale.ToDevice(x), scale.ToDevice(y));
}

void PopupMenu::Choose(const MenuItem& item) {
    if (item.onClick) App().Dispatch(item.onClick);
}

}  // namespace ui
