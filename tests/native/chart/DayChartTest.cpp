// The day chart the program draws, read by its pixels at 96 and 144 dpi: the line where the levels
// and times put it, in the day's colour, the close before as a dotted line, and nothing but the
// chart's own colours (made at the screen's pixels, not resampled) and nothing under the bar.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "chart/DayChart.h"
#include "ui/Headless.h"

namespace {

constexpr uint32_t kText = 0xFF505050u;  // the scale's texts, blocks on the headless backend

class DayChartTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { ui::SetBackend(&backend); }
    int Px(int value) const { return ui::Scale(GetParam()).ToDevice(value); }
    int Pen() const { return std::max(Px(1), 1); }
    uint32_t At(int x, int y) const { return picture.pixels[size_t(y) * picture.width + x]; }
    // Draws the day and checks what every day must show; gives where the line lies.
    ui::Rect Draw(std::vector<quotes::DayPoint> points, double previousClose, uint32_t line) {
        quotes::DayPoints day{2026, 12, 7, std::move(points), previousClose};
        picture = chart::DrawDay(day, Px(190), Px(187), GetParam());
        const std::set<uint32_t> palette{chart::kChartBackground, chart::kChartGrid, chart::kCloseLine, kText, line};
        const auto bar = picture.pixels.begin() + ptrdiff_t(Px(187 - chart::kHiddenRows)) * picture.width;
        EXPECT_EQ(std::count_if(picture.pixels.begin(), bar, [&](uint32_t p) { return !palette.count(p); }), 0);
        EXPECT_EQ(std::count(bar, picture.pixels.end(), chart::kChartBackground), picture.pixels.end() - bar);
        const ui::Rect drawn = Find(line), text = Find(kText);
        EXPECT_TRUE(drawn.right >= 0 && text.left < drawn.left && text.bottom > drawn.bottom)
            << "the line, the level scale left of it and the hours below it";
        return drawn;
    }
    // Where a colour lies (right and bottom inclusive), in the picture or in one column of it.
    ui::Rect Find(uint32_t colour, int column = -1) const {
        ui::Rect box{INT_MAX, INT_MAX, -1, -1};
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                if (At(x, y) == colour && (column < 0 || x == column))
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
        return box;
    }
    ui::HeadlessBackend backend;
    ui::Bitmap picture;
};

TEST_P(DayChartTest, EachDayIsDrawnAcrossTheTradingHoursInTheColourOfItsDirection) {
    const ui::Rect rising = Draw({{9 * 60, 900}, {13 * 60 + 15, 905}, {17 * 60 + 30, 910}}, 0, chart::kRisingLine);
    EXPECT_GT(rising.right - rising.left, Px(130)) << "from the opening to the close";
    EXPECT_EQ(Find(chart::kRisingLine, rising.left).bottom, rising.bottom) << "starts low";
    const ui::Rect falling = Draw({{9 * 60, 910}, {17 * 60 + 30, 900}}, 0, chart::kFallingLine);
    EXPECT_EQ(Find(chart::kFallingLine, falling.left).top, falling.top) << "starts high";

    // A flat day: one blue line halfway up its scale; a single point: a dot.
    const ui::Rect flat = Draw({{9 * 60, 900}, {17 * 60 + 30, 900}}, 0, chart::kFlatLine);
    const int x = (flat.left + flat.right) / 2;
    const ui::Rect line = Find(chart::kFlatLine, x), grid = Find(chart::kChartGrid, x);
    EXPECT_EQ(line.bottom - line.top + 1, Pen());
    EXPECT_NEAR(line.top, (grid.top + grid.bottom) / 2, Pen());
    Draw({{10 * 60, 900}}, 0, chart::kFlatLine);
}

TEST_P(DayChartTest, ThePreviousCloseIsADottedLineBelowARisingDay) {
    const ui::Rect line = Draw({{9 * 60, 903}, {13 * 60, 901}, {17 * 60 + 30, 906}}, 898, chart::kRisingLine);
    const ui::Rect close = Find(chart::kCloseLine);
    EXPECT_EQ(close.bottom, close.top + Pen() - 1);
    EXPECT_GT(close.top, line.bottom);
    // Dots and gaps of two pen widths each, all along.
    for (int x = close.left; x <= close.right; ++x)
        EXPECT_EQ(At(x, close.top) == chart::kCloseLine, (x - close.left) % (4 * Pen()) < 2 * Pen()) << x;
}

INSTANTIATE_TEST_SUITE_P(Dpi, DayChartTest, ::testing::Values(96, 144));

}  // namespace
