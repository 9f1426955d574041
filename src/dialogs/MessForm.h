// The message popup: one or two lines in a small pale-yellow window without a border, centred over
// the window that asked for it, gone again after a given time. It never takes the keyboard and
// never blocks its caller; it is made once and hidden between messages.
#pragma once

#include <string>

#include "ui/Controls.h"

namespace dialogs {

class TMessageForm : public ui::Form {
public:
    TMessageForm();

    // Components, in the order the window declares them.
    ui::Panel MessagePanel{this, "MessagePanel"};
    ui::Timer Timer{*this, "Timer", 1000, false};
    ui::Memo MessageMemo{this, "MessageMemo"};
    ui::Image Image{&MessagePanel, "Image"};

    // Event handlers.
    void FormCreate();
    void FormShow();
    void TimerTimer();

    // Shows line1 and line2 (an empty line is left out) centred over the screen rectangle top,
    // left, height, width of the calling window, for duration milliseconds. Returns at once; a
    // call while a message shows replaces it.
    void ShowMessagePopup(int top, int left, int height, int width, const std::string& line1,
                          const std::string& line2, int duration);

private:
    void SetUpComponents();
    int MeasuredWidth(const std::string& text) const;
};

}  // namespace dialogs
