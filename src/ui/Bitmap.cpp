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

// Which source pixels make up one target pixel along one axis, and how much of it each covers: on
// a line where the source has targetLength units a pixel and the target sourceLength, so that the
// shares are whole numbers adding up to sourceLength.
struct Share {
    int index;
    int64_t weight;
};

std::vector<std::vector<Share>> Shares(int sourceLength, int targetLength) {
    std::vector<std::vector<Share>> shares(static_cast<size_t>(targetLength));
    for (int t = 0; t < targetLength; ++t) {
        const int64_t start = int64_t{t} * sourceLength, end = start + sourceLength;
        for (int64_t s = start / targetLength; s < sourceLength && s * targetLength < end; ++s) {
            const int64_t covered = std::min(end, (s + 1) * targetLength) - std::max(start, s * targetLength);
            if (covered > 0) shares[size_t(t)].push_back({int(s), covered});
        }
    }
    return shares;
}

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFFu; }

// numerator / denominator rounded to the nearest (both positive).
uint32_t Nearest(int64_t numerator, int64_t denominator) { return uint32_t((numerator + denominator / 2) / denominator); }

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

Bitmap Resampled(const Bitmap& source, int width, int height) {
    Bitmap out;
    out.width = std::max(width, 0);
    out.height = std::max(height, 0);
    out.pixels.assign(size_t(out.width) * out.height, 0u);
    if (!HasPixels(source) || out.pixels.empty()) return out;
    if (source.width == out.width && source.height == out.height) return source;
    const auto across = Shares(source.width, out.width), down = Shares(source.height, out.height);
    const int64_t area = int64_t{source.width} * source.height;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            int64_t alpha = 0, red = 0, green = 0, blue = 0;
            for (const Share& row : down[size_t(y)])
                for (const Share& column : across[size_t(x)]) {
                    const uint32_t p = source.pixels[size_t(row.index) * source.width + column.index];
                    const int64_t a = Channel(p, 24) * row.weight * column.weight;
                    alpha += a;
                    red += Channel(p, 16) * a;
                    green += Channel(p, 8) * a;
                    blue += Channel(p, 0) * a;
                }
            if (alpha == 0) continue;
            out.pixels[size_t(y) * out.width + x] = Nearest(alpha, area) << 24 | Nearest(red, alpha) << 16 |
                                                   Nearest(green, alpha) << 8 | Nearest(blue, alpha);
        }
    return out;
}

}  // namespace ui
