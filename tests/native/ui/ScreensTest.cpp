// Keeping windows reachable on one or more monitors.
#include <gtest/gtest.h>

#include <climits>

#include "ui/Screens.h"

namespace {

const ui::Monitor kPrimary{{0, 0, 1280, 1024}, {0, 0, 1280, 984}};
// An L-shaped arrangement: a second monitor right of the primary one, starting lower.
const ui::Monitor kSecond{{1280, 500, 2560, 1524}, {1280, 500, 2560, 1484}};

TEST(Screens, AWindowOnAMonitorStaysAndOneOnNoneGoesIntoTheNearestWorkArea) {
    const std::vector<ui::Monitor> both{kPrimary, kSecond};
    EXPECT_EQ(ui::OntoNearestMonitor(2000, 1200, 250, 213, both), (ui::Point{2000, 1200}));
    EXPECT_EQ(ui::OntoNearestMonitor(1200, 400, 250, 213, both), (ui::Point{1200, 400}));  // partly on one

    // In the gap above the second monitor, nearer to it than to the primary one.
    EXPECT_EQ(ui::OntoNearestMonitor(2000, 100, 250, 213, both), (ui::Point{2000, 500}));
    // Below the primary one, nearer to it: into its work area, above the task bar.
    EXPECT_EQ(ui::OntoNearestMonitor(100, 1100, 250, 213, both), (ui::Point{100, 771}));
    // Larger than the work area: its top-left corner inside.
    EXPECT_EQ(ui::OntoNearestMonitor(-5000, -5000, 3000, 5000, {kPrimary}), (ui::Point{0, 0}));
    // At the integer limits nothing wraps around.
    EXPECT_EQ(ui::OntoNearestMonitor(INT_MAX - 10, INT_MAX - 10, 250, 213, {kPrimary}), (ui::Point{1030, 771}));
}

}  // namespace
