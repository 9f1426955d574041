#include "ui/Screens.h"

#include <algorithm>
#include <cstdint>

namespace ui {
namespace {

// Rectangles in 64 bits: a window may have been stored anywhere an int reaches.
struct Area {
    int64_t left, top, right, bottom;
};

Area AreaOf(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The gap between two extents along one axis; 0 where they overlap.
int64_t Gap(int64_t startA, int64_t endA, int64_t startB, int64_t endB) {
    return std::max<int64_t>({startB - endA, startA - endB, 0});
}

int64_t SquaredDistance(const Area& a, const Area& b) {
    // Gaps beyond any screen are clamped so that the squares cannot overflow.
    const int64_t dx = std::min<int64_t>(Gap(a.left, a.right, b.left, b.right), int64_t{1} << 31);
    const int64_t dy = std::min<int64_t>(Gap(a.top, a.bottom, b.top, b.bottom), int64_t{1} << 31);
    return dx * dx + dy * dy;
}

bool Overlap(const Area& a, const Area& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The start of an extent moved into [start, end), the start first when it does not fit.
int64_t Inside(int64_t place, int64_t extent, int64_t start, int64_t end) {
    return std::max(std::min(place, end - extent), start);
}

}  // namespace

Rect VirtualScreen(const std::vector<Monitor>& monitors) {
    if (monitors.empty()) return {};
    Rect all = monitors.front().bounds;
    for (const Monitor& m : monitors) {
        all.left = std::min(all.left, m.bounds.left);
        all.top = std::min(all.top, m.bounds.top);
        all.right = std::max(all.right, m.bounds.right);
        all.bottom = std::max(all.bottom, m.bounds.bottom);
    }
    return all;
}

Point OntoNearestMonitor(int left, int top, int width, int height, const std::vector<Monitor>& monitors) {
    const Area window{left, top, int64_t{left} + width, int64_t{top} + height};
    const auto onIt = [&](const Monitor& m) { return Overlap(window, AreaOf(m.bounds)); };
    if (monitors.empty() || std::any_of(monitors.begin(), monitors.end(), onIt)) return {left, top};
    const Monitor& nearest = *std::min_element(monitors.begin(), monitors.end(), [&](const Monitor& a, const Monitor& b) {
        return SquaredDistance(window, AreaOf(a.bounds)) < SquaredDistance(window, AreaOf(b.bounds));
    });
    const Area work = AreaOf(nearest.workArea);
    return {int(Inside(left, width, work.left, work.right)), int(Inside(top, height, work.top, work.bottom))};
}

}  // namespace ui
