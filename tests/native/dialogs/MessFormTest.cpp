// The message popup: its size from the measured text and the memo's line count, its place over
// the calling window, and its timer.
#include <string>

#include "DialogsFixture.h"

namespace dialogstest {
namespace {

using Backend = ProportionalBackend;

class PopupTest : public DialogsTest {
protected:
    void Show(const std::string& line1, const std::string& line2, int duration = 3000, int top = 300,
              int left = 400, int height = 285, int width = 442) {
        popup->ShowMessagePopup(top, left, height, width, line1, line2, duration);
    }
    ui::Memo& Memo() { return popup->MessageMemo; }
};

TEST_F(PopupTest, TheDesignIsAPaleYellowBorderlessWindowThatShowsNothingYet) {
    EXPECT_EQ(popup->Border(), ui::BorderStyle::None);
    EXPECT_EQ(popup->BackColor(), ui::Rgb(0xFF, 0xFF, 0xE3));
    EXPECT_EQ(popup->ClientWidth(), 678);
    EXPECT_EQ(popup->ClientHeight(), 100);
    EXPECT_EQ(popup->MessagePanel.Width(), 678);
    EXPECT_EQ(popup->MessagePanel.ShownBackColor(), popup->BackColor());
    EXPECT_EQ(Memo().ShownBackColor(), popup->BackColor());
    EXPECT_FALSE(Memo().border);
    EXPECT_EQ(Memo().GetFont().name, "Verdana");
    EXPECT_EQ(ui::PointSize(Memo().GetFont()), kLineHeight);
    EXPECT_FALSE(popup->Visible());
    EXPECT_FALSE(popup->Timer.Enabled());
}

TEST_F(PopupTest, OneLineOverTheInformationBoxIsCentredAndGoneAfterItsTime) {
    const std::string line = "Browser not opened.";
    Show(line, "");
    const int textWidth = backend.MeasureText(Memo().GetFont(), line).width;
    EXPECT_EQ(Memo().Lines(), std::vector<std::string>{line});
    EXPECT_EQ(Memo().Height(), 3 * kLineHeight);  // 33: one line and two of margin
    EXPECT_EQ(popup->Height(), 83);
    EXPECT_EQ(popup->Top(), 401);  // 300 + (285 - 83) div 2
    EXPECT_EQ(Memo().Left(), 20);
    EXPECT_EQ(Memo().Width(), textWidth + 20);
    EXPECT_EQ(popup->ClientWidth(), textWidth + 50);
    EXPECT_EQ(popup->Left(), 400 + (442 - popup->Width()) / 2);
    EXPECT_TRUE(popup->Visible());
    EXPECT_EQ(backend.broughtToFront, std::vector<std::string>{"MessageForm"});
    EXPECT_TRUE(backend.modalForms.empty());

    EXPECT_TRUE(popup->Timer.Enabled());
    EXPECT_EQ(popup->Timer.Interval(), 3000u);
    backend.Advance(2999);
    EXPECT_TRUE(popup->Visible());
    backend.Advance(1);
    EXPECT_FALSE(popup->Visible());
    EXPECT_FALSE(popup->Timer.Enabled());
    backend.Advance(10000);
    EXPECT_FALSE(popup->Visible());
}

TEST_F(PopupTest, TheWidthFollowsTheLineWithMoreCharacters) {
    // Line 2 has more characters but fewer pixels: the count decides.
    Show("WWW", "iiii");
    EXPECT_EQ(Memo().Width(), 4 * Backend::kNarrow + 20);
    EXPECT_EQ(Memo().Lines(), (std::vector<std::string>{"WWW", "iiii"}));
    EXPECT_EQ(Memo().Height(), 4 * kLineHeight);
    EXPECT_EQ(popup->Height(), 4 * kLineHeight + 50);

    // Equally long: line 2.
    Show("WWW", "iii");
    EXPECT_EQ(Memo().Width(), 3 * Backend::kNarrow + 20);
    Show("iii", "WWW");
    EXPECT_EQ(Memo().Width(), 3 * Backend::kWide + 20);

    // An empty line is not shown; the other one alone decides.
    Show("", "WW");
    EXPECT_EQ(Memo().Lines(), std::vector<std::string>{"WW"});
    EXPECT_EQ(Memo().Width(), 2 * Backend::kWide + 20);
}

TEST_F(PopupTest, AWideLineIsCappedAt500PixelsAndWrapsInsideTheMemo) {
    std::string line;
    for (int word = 0; word < 13; ++word) line += (word ? " " : "") + std::string(9, 'x');
    line += "x";
    ASSERT_EQ(backend.MeasureText(Memo().GetFont(), line).width, 650);
    Show(line, "");
    EXPECT_EQ(Memo().Width(), 520);
    EXPECT_EQ(popup->ClientWidth(), 550);
    EXPECT_EQ(Memo().DisplayedLineCount(), 2);
    // Counted at the design width of 513, where it wraps as well.
    EXPECT_EQ(Memo().Height(), 4 * kLineHeight);
}

TEST_F(PopupTest, BothLinesEmptyGiveAnEmptyPopupOf50By72) {
    Show("", "", 1000);
    EXPECT_TRUE(Memo().Lines().empty());
    EXPECT_EQ(popup->Width(), 50);
    EXPECT_EQ(popup->Height(), 72);
    EXPECT_TRUE(popup->Visible());
    backend.Advance(1000);
    EXPECT_FALSE(popup->Visible());
}

TEST_F(PopupTest, ANegativeTopIsKeptAndDivisionTruncatesTowardZero) {
    Show("Browser not opened.", "", 3000, -50, -40, 20, 30);
    EXPECT_EQ(popup->Height(), 83);
    EXPECT_EQ(popup->Top(), -81);  // -50 + (20 - 83) div 2, and -63 div 2 is -31
    EXPECT_EQ(popup->Left(), -40 + (30 - popup->Width()) / 2);
    EXPECT_LT(popup->Left(), -40);
}

TEST_F(PopupTest, LinesAreCountedAtThePreviousWidthAndTheMemoStopsShortOfTheScreen) {
    backend.screen = {1280, 260};
    Show("", "");  // leaves a memo 20 wide
    Show("ab cd ef gh ij kl mn op", "");
    // At the old width every word takes a line of its own: (8 + 2) x 11 = 110, more than 260 - 200.
    EXPECT_EQ(Memo().Height(), 60);
    EXPECT_EQ(popup->Height(), 110);
    // At its new width the line fits again, and the next message is counted at that width.
    EXPECT_EQ(Memo().DisplayedLineCount(), 1);
    Show("ab cd ef gh ij kl mn op", "");
    EXPECT_EQ(Memo().Height(), 3 * kLineHeight);
}

TEST_F(PopupTest, AMessageWhileOneShowsReplacesItAndRestartsTheTimeOnlyForANewDuration) {
    Show("first", "", 3000);
    backend.Advance(2000);
    Show("second", "", 3000);
    EXPECT_EQ(Memo().Lines(), std::vector<std::string>{"second"});
    backend.Advance(999);
    EXPECT_TRUE(popup->Visible());
    backend.Advance(1);  // three seconds after the first message
    EXPECT_FALSE(popup->Visible());

    Show("third", "", 3000);
    backend.Advance(2000);
    Show("fourth", "", 5000);
    backend.Advance(4999);
    EXPECT_TRUE(popup->Visible());
    backend.Advance(1);
    EXPECT_FALSE(popup->Visible());

    // Shown again after it closed: a full period.
    Show("fifth", "", 5000);
    backend.Advance(4999);
    EXPECT_TRUE(popup->Visible());
    backend.Advance(1);
    EXPECT_FALSE(popup->Visible());
}

}  // namespace
}  // namespace dialogstest
