// The control layer's own behaviour on the headless backend: number fields, the keyboard of a
// dialog, memos, gauges and form frames.
#include <gtest/gtest.h>

#include <climits>

#include "ui/Application.h"
#include "ui/Headless.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetBackend(&backend);
        ui::App() = ui::Application();
    }
    ui::HeadlessBackend backend;
};

TEST_F(ControlsTest, NumberFieldKeepsWhatIsTypedAndReadsItAsTheMinimumUntilItIsANumber) {
    ui::Form form("TForm", "Form");
    ui::SpinEdit seconds(&form, "Seconds");
    seconds.minValue = 10;
    seconds.maxValue = 600;
    seconds.increment = 5;
    int changes = 0;
    seconds.onChange = [&] { ++changes; };

    // Typing 120 goes through 1 and 12 on the way: nothing is pulled into range while typing.
    for (const char* typed : {"1", "12", "120"}) seconds.UserTyped(typed);
    EXPECT_EQ(seconds.Text(), "120");
    EXPECT_EQ(seconds.Value(), 120);
    EXPECT_EQ(changes, 3);

    for (const char* notANumber : {"", "-", " ", "12a", "2147483648", "-2147483649", "99999999999999999999"}) {
        seconds.UserTyped(notANumber);
        EXPECT_EQ(seconds.Value(), 10) << notANumber;
    }
    seconds.UserTyped(" -7 ");
    EXPECT_EQ(seconds.Value(), -7);
    seconds.Exit();  // leaving the field pulls the value to the nearer end
    EXPECT_EQ(seconds.Text(), "10");
    seconds.UserTyped("3000");
    seconds.Exit();
    EXPECT_EQ(seconds.Text(), "600");
    seconds.UserTyped("abc");
    seconds.Exit();  // counts as the minimum, which is in range: the text stays
    EXPECT_EQ(seconds.Text(), "abc");

    seconds.SetValue(1);
    EXPECT_EQ(seconds.Value(), 10);
    seconds.Step(+1);
    EXPECT_EQ(seconds.Value(), 15);
    seconds.SetValue(600);
    seconds.Step(+1);
    EXPECT_EQ(seconds.Value(), 600);
}

TEST_F(ControlsTest, BoundFieldsTakeAnyThirtyTwoBitValueAndTheArrowsStopAtItsLimits) {
    ui::Form form("TForm", "Form");
    ui::SpinEdit bound(&form, "Bound");
    bound.SetValue(INT_MIN);
    EXPECT_EQ(bound.Value(), INT_MIN);
    bound.Step(-1);
    EXPECT_EQ(bound.Value(), INT_MIN);
    bound.UserTyped("2147483647");
    bound.Step(+1);
    EXPECT_EQ(bound.Value(), INT_MAX);
    bound.Exit();
    EXPECT_EQ(bound.Text(), "2147483647");
    bound.UserTyped("");
    EXPECT_EQ(bound.Value(), 0);  // no number: the minimum, 0
}

// A dialog like the settings dialog: containers with their own tab order inside.
class Dialog : public ui::Form {
public:
    Dialog() : ui::Form("TDialog", "Dialog") {
        SetBorder(ui::BorderStyle::Single);
        SetClientSize(300, 200);
        first.tabOrder = 0;
        second.tabOrder = 1;
        ok.tabOrder = 2;
        cancel.tabOrder = 3;
        edit.tabOrder = 0;
        check.tabOrder = 1;
        radioA.SetChecked(true);
        second.helpContext = 32150;
        Realize();
        SetVisible(true);
    }
    ui::GroupBox second{this, "Second"};
    ui::RadioButton radioA{&second, "RadioA"};
    ui::RadioButton radioB{&second, "RadioB"};
    ui::Label label{&second, "Label"};
    ui::GroupBox first{this, "First"};
    ui::CheckBox check{&first, "Check"};
    ui::SpinEdit edit{&first, "Edit"};
    ui::Button ok{this, "OK"};
    ui::Button cancel{this, "Cancel"};
};

std::vector<std::string> Names(const std::vector<ui::Control*>& controls) {
    std::vector<std::string> names;
    for (const ui::Control* c : controls) names.push_back(c->Name());
    return names;
}

TEST_F(ControlsTest, TabVisitsTheControlsInTheirOrderContainerByContainerAndSkipsWhatCannotTakeTheKeyboard) {
    Dialog d;
    EXPECT_EQ(Names(d.TabOrderList()), (std::vector<std::string>{"Edit", "Check", "RadioA", "OK", "Cancel"}));
    d.edit.SetEnabled(false);
    d.ok.Hide();
    d.radioB.SetChecked(true);  // only the selected radio button is a tab stop
    EXPECT_EQ(Names(d.TabOrderList()), (std::vector<std::string>{"Check", "RadioB", "Cancel"}));

    d.cancel.SetFocus();
    d.DialogKey(ui::Key::Tab, &d.cancel);
    EXPECT_EQ(backend.focused, &d.check);  // round again from the start
    d.DialogKey(ui::Key::ShiftTab, &d.check);
    EXPECT_EQ(backend.focused, &d.cancel);
}

TEST_F(ControlsTest, ArrowsMoveWithinARadioGroupAndStepANumberField) {
    Dialog d;
    EXPECT_TRUE(d.DialogKey(ui::Key::Down, &d.radioA));
    EXPECT_EQ(backend.focused, &d.radioB);
    EXPECT_TRUE(d.radioB.Checked());
    EXPECT_FALSE(d.radioA.Checked());
    d.DialogKey(ui::Key::Right, &d.radioB);  // past the last one: round to the first
    EXPECT_TRUE(d.radioA.Checked());

    d.edit.increment = 5;
    d.DialogKey(ui::Key::Up, &d.edit);
    EXPECT_EQ(d.edit.Value(), 5);
    EXPECT_FALSE(d.DialogKey(ui::Key::Left, &d.edit));  // left and right move the caret
    EXPECT_FALSE(d.DialogKey(ui::Key::Down, &d.check));
}

TEST_F(ControlsTest, EnterPressesTheFocusedButtonOrElseADefaultButtonAndAModalResultEndsTheModalForm) {
    Dialog d;
    int clicks = 0, cancels = 0;
    d.ok.onClick = [&] { ++clicks; };
    d.cancel.onClick = [&] { ++cancels; };
    d.ok.modalResult = ui::kResultOk;
    EXPECT_TRUE(d.DialogKey(ui::Key::Enter, &d.check));
    EXPECT_EQ(clicks, 0);
    d.DialogKey(ui::Key::Enter, &d.cancel);  // a push button with the keyboard takes Enter itself
    EXPECT_EQ(cancels, 1);

    d.ok.isDefault = true;
    d.DialogKey(ui::Key::Enter, &d.cancel);  // also when another button is the default
    EXPECT_EQ(cancels, 2);
    EXPECT_EQ(clicks, 0);
    d.SetVisible(false);
    backend.onModal = [&](ui::Form& shown) {
        EXPECT_TRUE(shown.Modal());
        shown.DialogKey(ui::Key::Enter, &d.check);
    };
    EXPECT_EQ(d.ShowModal(), ui::kResultOk);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(d.Visible());

    backend.onModal = [&](ui::Form& shown) { shown.Close(); };  // the close box
    EXPECT_EQ(d.ShowModal(), ui::kResultCancel);
}

TEST_F(ControlsTest, HelpContextComesFromTheNearestControlThatHasOne) {
    Dialog d;
    d.helpContext = 1000;
    EXPECT_EQ(d.radioA.HelpContextInEffect(), 32150);
    EXPECT_EQ(d.second.HelpContextInEffect(), 32150);
    EXPECT_EQ(d.check.HelpContextInEffect(), 1000);
}

TEST_F(ControlsTest, FramedFormsKeepTheirClientAreaApartFromTheirOuterSize) {
    Dialog d;
    EXPECT_EQ(d.ClientWidth(), 300);
    EXPECT_EQ(d.ClientHeight(), 200);
    EXPECT_EQ(d.Width(), 300 + ui::HeadlessBackend::kFrame.width);
    EXPECT_EQ(d.Height(), 200 + ui::HeadlessBackend::kFrame.height);
    d.SetBorder(ui::BorderStyle::None);
    EXPECT_EQ(d.Width(), 300);
    EXPECT_EQ(d.ClientHeight(), d.Height());
}

TEST_F(ControlsTest, ControlsShowTheirParentsColourUntilGivenTheirOwn) {
    Dialog d;
    d.SetBackColor(ui::Rgb(0xFF, 0xFF, 0xE3));
    EXPECT_EQ(d.label.ShownBackColor(), ui::Rgb(0xFF, 0xFF, 0xE3));
    d.second.SetBackColor(ui::kWhite);
    EXPECT_EQ(d.label.ShownBackColor(), ui::kWhite);
    EXPECT_EQ(d.ok.ShownBackColor(), ui::kButtonFace);
    EXPECT_EQ(d.edit.ShownBackColor(), ui::kWindow);
}

TEST(WrappedLineCount, LinesWrapAtWordsAndLongWordsBreakWhereTheyReachTheEdge) {
    auto width = [](const std::string& s) { return int(s.size()) * 10; };  // ten pixels a character
    EXPECT_EQ(ui::WrappedLineCount({"Browser not opened."}, 513, width), 1);
    EXPECT_EQ(ui::WrappedLineCount({"aaaa bbbb cccc"}, 90, width), 2);    // "aaaa bbbb" fits in 90
    EXPECT_EQ(ui::WrappedLineCount({"aaaa bbbb cccc"}, 40, width), 3);
    EXPECT_EQ(ui::WrappedLineCount({"abcdefghij"}, 30, width), 4);       // abc def ghi j
    EXPECT_EQ(ui::WrappedLineCount({"", "x"}, 30, width), 2);
    EXPECT_EQ(ui::WrappedLineCount({}, 30, width), 0);
}

TEST_F(ControlsTest, MemoCountsTheLinesItShowsAndHoldsThemAsItsText) {
    ui::Form form("TForm", "Form");
    ui::Memo memo(&form, "Memo");
    memo.border = false;
    memo.SetBounds(0, 0, 204, 50);
    EXPECT_EQ(memo.DisplayedLineCount(), 0);
    memo.Add("Browser not opened.");
    EXPECT_EQ(memo.DisplayedLineCount(), 1);
    memo.Add(std::string(70, 'x'));  // 70 characters of 6 pixels in a 200-pixel text area: 33, 33, 4
    EXPECT_EQ(memo.DisplayedLineCount(), 4);
    EXPECT_EQ(memo.Text(), "Browser not opened.\r\n" + std::string(70, 'x'));
    memo.Clear();
    EXPECT_EQ(memo.Text(), "");
}

TEST_F(ControlsTest, GaugeNeverRunsOverItsEnd) {
    ui::Form form("TForm", "Form");
    ui::Gauge gauge(&form, "Gauge");
    gauge.SetMaxValue(4);
    gauge.SetProgress(5);
    EXPECT_EQ(gauge.Progress(), 4);
    EXPECT_EQ(gauge.PercentDone(), 100);
    gauge.SetProgress(1);
    EXPECT_EQ(gauge.PercentDone(), 25);
    gauge.SetMaxValue(0);
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_EQ(gauge.PercentDone(), 0);
}

TEST(PointSize, RoundsAsTheSystemDoes) {
    ui::Font font;
    font.height = 14;
    EXPECT_EQ(ui::PointSize(font, 96), 11);
    font.height = 12;
    EXPECT_EQ(ui::PointSize(font, 96), 9);
    font.height = 15;
    EXPECT_EQ(ui::PointSize(font, 120), 9);
}

}  // namespace
