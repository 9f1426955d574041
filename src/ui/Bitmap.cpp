#include "ui/Bitmap.h"

#include <algorithm>

namespace ui {
namespace {

// Straight-alpha "source over target" for one pixel.
uint32_t Over(uint32_t src, uint32_t dst) {
    const uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    const uint32_t da = dst >> 24;
    // Weights on a 255*255 scale: the source's alpha, and what of the target shows through it.
    const uint32_t ws = sa * 255u;
    const uint32_t wd = da * (255u - sa);
    const uint32_t total = ws + wd;
    uint32_t out = ((total + 127u) / 255u) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t sc = (src >> shift) & 0xFFu;
        const uint32_t dc = (dst >> shift) & 0xFFu;
        out |= ((sc * ws + dc * wd + total / 2u) / total) << shift;
    }
    return out;
}

}  // namespace

bool HasPixels(const Bitmap& b) {
    return b.width > 0 && b.height > 0 && b.pixels.size() >= uint64_t(b.width) * uint64_t(b.height);
}

void Blit(Bitmap& target, const Bitmap& source, int x, int y) {
    if (!HasPixels(source) || !HasPixels(target)) return;
    // 64-bit edges: a position near the int limits must not wrap around.
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>(1LL * x + source.width, target.width);
    const long long bottom = std::min<long long>(1LL * y + source.height, target.height);
    for (long long ty = top; ty < bottom; ++ty) {
        const uint32_t* from = &source.pixels[size_t(ty - y) * source.width];
        uint32_t* to = &target.pixels[size_t(ty) * target.width];
        for (long long tx = left; tx < right; ++tx) to[tx] = Over(from[tx - x], to[tx]);
    }
}

}  // namespace ui
