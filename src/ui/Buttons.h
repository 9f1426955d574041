// Buttons: picture buttons, check boxes and radio buttons, and push buttons.
#pragma once

#include <string>

#include "ui/Control.h"

namespace ui {

// A flat button showing a small picture; glyph names one of the pictures the backend knows.
class SpeedButton : public Control {
public:
    SpeedButton(Control* parent, std::string name, std::string glyph);
    const std::string& Glyph() const { return glyph_; }

private:
    std::string glyph_;
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

}  // namespace ui
