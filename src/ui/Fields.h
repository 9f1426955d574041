// Fields: the number field with its arrows and the multi-line text box.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

// A number field with up and down arrows. The text stays as the user types it; its value is the
// text read as a decimal 32-bit integer, or the minimum when it is none. Values are pulled into
// minimum to maximum when set, and when the user leaves the field; equal limits mean no limits.
class SpinEdit : public Control {
public:
    SpinEdit(Control* parent, std::string name);
    int Value() const;
    void SetValue(int v);
    int minValue = 0, maxValue = 0, increment = 1;
    Handler onChange;
    bool TabStop() const override { return true; }

    // Called by the backend: the text as the user typed it; the user left the field; an arrow.
    void UserTyped(const std::string& text);
    void Exit();
    void Step(int direction);

    // The number a text stands for: optional blanks, an optional sign and decimal digits that fit
    // 32 bits; nothing for anything else.
    static bool ParseValue(const std::string& text, int& value);

private:
    int Limited(long long v) const;
};

// A multi-line text box, read-only, wrapping long lines at word boundaries.
class Memo : public Control {
public:
    Memo(Control* parent, std::string name);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear();
    void Add(const std::string& line);
    void SetLines(const std::vector<std::string>& lines);
    Alignment alignment = Alignment::Left;
    bool border = true;
    // The number of lines the box shows its text in, counting every line a long one wraps into.
    int DisplayedLineCount() const;
    // Puts the caret at the start with nothing selected.
    void SelectNone();

private:
    void LinesChanged();
    std::vector<std::string> lines_;
};

// The number of lines a text box of this width shows the lines in, wrapped at word boundaries,
// with the text widths the measure gives.
int WrappedLineCount(const std::vector<std::string>& lines, int width,
                     const std::function<int(const std::string&)>& measure);

}  // namespace ui
