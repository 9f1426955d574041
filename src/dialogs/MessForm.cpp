#include "dialogs/MessForm.h"

#include <algorithm>

#include "ui/Backend.h"

namespace dialogs {


namespace {

constexpr ui::Color kPaleYellow = ui::Rgb(0xFF, 0xFF, 0xE3);
// A wider text wraps inside the memo.
constexpr int kMaxTextWidth = 500;
constexpr int kMemoLeft = 20;
constexpr int kMemoExtraWidth = 20;
constexpr int kWindowExtraWidth = 30;
// The memo is two lines taller than its text; the window 50 pixels taller than the memo.
constexpr int kExtraLines = 2;
constexpr int kWindowExtraHeight = 50;
// The memo never comes closer than this to the screen's height.
constexpr int kScreenMargin = 200;

}  // namespace

TMessageForm::TMessageForm() : ui::Form("TMessageForm", "MessageForm") { SetUpComponents(); }

// The design: a border-less window filled by a framed panel, with the memo lying over it.
void TMessageForm::SetUpComponents() {
    SetBorder(ui::BorderStyle::None);
    SetClientSize(678, 100);
    ui::Font font;
    font.name = "Verdana";
    font.height = 14;
    font.color = ui::kWindowText;
    ui::SetFontOfAll(*this, font);

    MessagePanel.alignClient = true;
    MessagePanel.bevelInner = ui::BevelCut::Lowered;
    MessagePanel.bevelWidth = 2;
    MessagePanel.borderWidth = 2;
    MessagePanel.singleBorder = true;
    MessagePanel.SetBackColor(ui::kParentColor);
    MessagePanel.Realign();

    MessageMemo.SetBounds(8, 8, 513, 84);
    MessageMemo.border = false;
    MessageMemo.SetBackColor(ui::kParentColor);

    // It shows nothing: the text is measured in the memo's font without it.
    Image.SetBounds(43, 26, 8, 8);
    Image.Hide();

    Timer.onTimer = [this] { TimerTimer(); };
    onShow = [this] { FormShow(); };
}

void TMessageForm::FormCreate() { SetBackColor(kPaleYellow); }

void TMessageForm::FormShow() { Timer.Start(); }

void TMessageForm::TimerTimer() {
    Timer.Stop();
    Hide();
    Close();
}

int TMessageForm::MeasuredWidth(const std::string& text) const {
    return ui::CurrentBackend().MeasureText(MessageMemo.GetFont(), text).width;
}

void TMessageForm::ShowMessagePopup(int top, int left, int height, int width, const std::string& line1,
                                    const std::string& line2, int duration) {
    // The memo's own window counts its wrapped lines, so it must exist before the count.
    Realize();
    const std::string& longer = line1.size() > line2.size() ? line1 : line2;
    const int textWidth = std::min(MeasuredWidth(longer), kMaxTextWidth);

    MessageMemo.Clear();
    if (!line1.empty()) MessageMemo.Add(line1);
    if (!line2.empty()) MessageMemo.Add(line2);

    // Counted while the memo still has the width of the previous message.
    ui::Backend& backend = ui::CurrentBackend();
    const int lines = MessageMemo.DisplayedLineCount();
    const int lineHeight = ui::PointSize(MessageMemo.GetFont(), backend.PixelsPerInch());
    const int memoHeight = std::min((lines + kExtraLines) * lineHeight, backend.ScreenSize().height - kScreenMargin);
    MessageMemo.SetHeight(memoHeight);
    SetHeight(memoHeight + kWindowExtraHeight);

    MessageMemo.SetBounds(kMemoLeft, MessageMemo.Top(), textWidth + kMemoExtraWidth, memoHeight);
    SetClientWidth(MessageMemo.Width() + kWindowExtraWidth);
    MessageMemo.SelectNone();
    Timer.SetInterval(unsigned(std::max(duration, 0)));

    // Integer division truncates toward zero, also for a popup larger than the window under it.
    SetTop(top + (height - Height()) / 2);
    SetLeft(left + (width - Width()) / 2);

    // Hidden first, so that the show handler starts the timer for every message.
    Hide();
    ShowForm();
    BringToFront();
}

}  // namespace dialogs
