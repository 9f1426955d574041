#include "ui/Labels.h"

#include "ui/Backend.h"

namespace ui {

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

}  // namespace ui
