// The monitors a window can be shown on, and the rules that keep a window where the user can reach
// it: within the virtual screen (all monitors together) and, where it would lie on no monitor at
// all (in the gap of an L-shaped arrangement, or after a monitor was unplugged), on the nearest one.
#pragma once

#include <vector>

namespace ui {

// A screen rectangle; right and bottom are exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct Monitor {
    Rect bounds;
    Rect workArea;  // without the task bar
};

// The smallest rectangle around every monitor; empty without monitors.
Rect VirtualScreen(const std::vector<Monitor>& monitors);

// A window's top-left corner.
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// Where a window of this place and size belongs: where it is when it overlaps any monitor (or
// when there are no monitors); otherwise inside the work area of the nearest monitor, its top-left
// corner inside when the window is larger than the area.
Point OntoNearestMonitor(int left, int top, int width, int height, const std::vector<Monitor>& monitors);

}  // namespace ui
