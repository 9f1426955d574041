#include "ui/Control.h"

#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/Form.h"

namespace ui {

namespace {

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

}  // namespace ui
