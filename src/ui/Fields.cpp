#include "ui/Fields.h"

#include <algorithm>
#include <climits>

#include "support/Support.h"
#include "ui/Backend.h"

namespace ui {

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

}  // namespace ui
