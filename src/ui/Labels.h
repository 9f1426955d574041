// Text labels: static text that sizes itself to its text.
#pragma once

#include <string>

#include "ui/Control.h"

namespace ui {

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

}  // namespace ui
