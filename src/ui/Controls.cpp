#include "ui/Controls.h"

#include <algorithm>

#include "chart/Png.h"
#include "ui/Application.h"
#include "ui/Backend.h"

namespace ui {


// --- Control

Control::Control(ControlKind kind, Control* parent, std::string name)
    : kind_(kind), parent_(parent), name_(std::move(name)) {
    if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
    peer_.reset();
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
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

void Control::SetFont(const Font& f) {
    font_ = f;
    Changed(Aspect::Colors);
}

void Control::SetFontColor(Color c) {
    if (c == font_.color) return;
    font_.color = c;
    Changed(Aspect::Colors);
}

// --- Panel

Panel::Panel(Control* parent, std::string name) : Control(ControlKind::Panel, parent, std::move(name)) {}

void Panel::SetBounds(int left, int top, int width, int height) {
    if (alignBottom && parent_) {
        left = 0;
        top = parent_->Height() - height;
        width = parent_->Width();
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

void Label::Fit() {
    if (!autoSize_) return;
    Size s = CurrentBackend().MeasureText(font_, text_);
    SetBounds(left_, top_, s.width, s.height);
}

// --- SpeedButton

SpeedButton::SpeedButton(Control* parent, std::string name, std::string glyph)
    : Control(ControlKind::SpeedButton, parent, std::move(name)), glyph_(std::move(glyph)) {}

// --- Image

Image::Image(Control* parent, std::string name) : Control(ControlKind::Image, parent, std::move(name)) {}

void Image::SetBounds(int left, int top, int width, int height) {
    if (width != surface_.width || height != surface_.height) {
        Bitmap resized;
        resized.width = std::max(width, 0);
        resized.height = std::max(height, 0);
        resized.pixels.assign(size_t(resized.width) * resized.height, 0xFFF5F5F5u);
        chart::Blit(resized, surface_, 0, 0);
        surface_ = std::move(resized);
    }
    Control::SetBounds(left, top, width, height);
}

void Image::Draw(const Bitmap& bitmap, int x, int y) {
    chart::Blit(surface_, bitmap, x, y);
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

SpinEdit::SpinEdit(Control* parent, std::string name) : Control(ControlKind::SpinEdit, parent, std::move(name)) {}

void SpinEdit::SetValue(int v) {
    if (maxValue > minValue) v = std::clamp(v, minValue, maxValue);
    if (v == value_) return;
    value_ = v;
    Control::SetText(std::to_string(v));
    Changed(Aspect::Value);
    if (onChange) onChange();
}

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

void PopupMenu::Popup(int x, int y) { CurrentBackend().Popup(*this, x, y); }

// --- Form

Form::Form(std::string className, std::string name)
    : Control(ControlKind::Form, nullptr, std::move(name)), className_(std::move(className)) {
    visible_ = false;
    backColor_ = kButtonFace;
}

Form::~Form() {
    // Children are members of the derived form and are already gone; drop the window last.
    peer_.reset();
}

void Form::Realize() {
    if (realized_) return;
    realized_ = true;
    CreatePeer();
    CurrentBackend().Realized(*this);
}

void Form::SetTopmost(bool v) {
    if (v == topmost_) return;
    topmost_ = v;
    Changed(Aspect::Topmost);
}

// The show handler runs before the window appears, so that what it arranges is painted once. The
// window appears also when the handler fails; its error then goes on to the caller.
void Form::ShowForm() {
    if (visible_) return;
    Realize();
    try {
        if (onShow) onShow();
    } catch (...) {
        SetVisible(true);
        throw;
    }
    SetVisible(true);
}

void Form::ShowModal() { CurrentBackend().ShowModal(*this); }

void Form::Close() {
    if (App().MainForm() == this) {
        App().Terminate();
    } else {
        CurrentBackend().EndModal(*this);
        SetVisible(false);
    }
}

bool Form::RunShortcut(const std::string& keyName) {
    for (PopupMenu* menu : shortcutMenus) {
        for (MenuItem& item : menu->Items()) {
            if (!item.separator && item.shortcut == keyName && item.onClick) {
                item.onClick();
                return true;
            }
        }
    }
    return false;
}

void Form::Repaint() { Changed(Aspect::Colors); }

}  // namespace ui
