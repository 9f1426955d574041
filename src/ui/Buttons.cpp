#include "ui/Buttons.h"

#include "ui/Form.h"

namespace ui {

// --- SpeedButton

SpeedButton::SpeedButton(Control* parent, std::string name, std::string glyph)
    : Control(ControlKind::SpeedButton, parent, std::move(name)), glyph_(std::move(glyph)) {
    handCursor = true;
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

Button::Button(Control* parent, std::string name) : Control(ControlKind::Button, parent, std::move(name)) {}

void Button::Click() {
    Control::Click();
    if (modalResult == kResultNone) return;
    if (Form* form = OwnerForm(); form && form->Modal()) form->EndModal(modalResult);
}

}  // namespace ui
