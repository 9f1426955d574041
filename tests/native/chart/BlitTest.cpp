// Drawing one bitmap onto another: placement, cutting at the edges, and laying over by alpha.
#include <gtest/gtest.h>

#include "TestPng.h"
#include "chart/Png.h"

using testpng::Argb;

namespace {

constexpr std::uint32_t kBehind = 0xFF102030;

ui::Bitmap Filled(int w, int h, std::uint32_t colour) {
    ui::Bitmap b;
    b.width = w;
    b.height = h;
    b.pixels.assign(std::size_t(w) * h, colour);
    return b;
}

// Every pixel distinct and opaque, so a misplaced copy shows.
ui::Bitmap Numbered(int w, int h) {
    ui::Bitmap b = Filled(w, h, 0);
    for (int i = 0; i < w * h; ++i) b.pixels[i] = 0xFF000000u | std::uint32_t(i + 1);
    return b;
}

// Checks that target shows source at (x, y) where they overlap and kBehind everywhere else.
void ExpectPlaced(const ui::Bitmap& target, const ui::Bitmap& source, int x, int y) {
    for (int ty = 0; ty < target.height; ++ty)
        for (int tx = 0; tx < target.width; ++tx) {
            // In 64 bits: the places tried reach the ends of int.
            const std::int64_t sx = std::int64_t(tx) - x, sy = std::int64_t(ty) - y;
            const bool covered = sx >= 0 && sy >= 0 && sx < source.width && sy < source.height;
            const std::uint32_t want = covered ? source.pixels[std::size_t(sy * source.width + sx)] : kBehind;
            EXPECT_EQ(target.pixels[ty * target.width + tx], want) << tx << "," << ty;
        }
}

}  // namespace

TEST(Blit, KnownPngDrawnIntoTheChartAreaIsCutAtTheRightAndBottom) {
    // A chart larger than the 190 by 187 area: the part that fits shows pixel for pixel.
    testpng::Picture p;
    p.width = 200;
    p.height = 195;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.samples.insert(p.samples.end(), {std::uint16_t(x), std::uint16_t(y), std::uint16_t((x + y) & 0xFF)});
    chart::PngDecoder decoder;
    ui::Bitmap chartBitmap;
    ASSERT_TRUE(decoder.Decode(testpng::Encode(p), chartBitmap));
    for (int y = 0; y < p.height; y += 7)
        for (int x = 0; x < p.width; x += 3)
            ASSERT_EQ(chartBitmap.pixels[y * p.width + x], Argb(255, x, y, (x + y) & 0xFF));

    ui::Bitmap area = Filled(190, 187, kBehind);
    ui::Blit(area, chartBitmap, 0, 0);
    ExpectPlaced(area, chartBitmap, 0, 0);
    EXPECT_EQ(area.pixels.back(), Argb(255, 189, 186, (189 + 186) & 0xFF));
}

TEST(Blit, SmallerPictureLeavesTheRestOfTheTargetUntouched) {
    ui::Bitmap target = Filled(10, 8, kBehind);
    const ui::Bitmap source = Numbered(4, 3);
    ui::Blit(target, source, 2, 1);
    ExpectPlaced(target, source, 2, 1);
}

TEST(Blit, PicturesOverEveryEdgeAreCutThere) {
    const ui::Bitmap source = Numbered(5, 4);
    for (auto [x, y] : {std::pair{7, 6}, {-2, -3}, {-4, 5}, {8, -1}, {10, 0}, {0, 8}, {-5, 0}, {0, -4},
                        {-2147483647, 0}, {2147483647, 2147483647}}) {
        ui::Bitmap target = Filled(10, 8, kBehind);
        ui::Blit(target, source, x, y);
        ExpectPlaced(target, source, x, y);
    }
}

TEST(Blit, SourceIsLaidOverTheTargetByItsAlpha) {
    ui::Bitmap source = Filled(4, 1, 0);
    source.pixels = {Argb(0, 255, 255, 255),    // fully transparent: the target shows
                     Argb(128, 255, 0, 0),      // half red over the target
                     Argb(255, 1, 2, 3),        // opaque: replaces the target
                     Argb(51, 0, 255, 0)};      // a fifth green
    ui::Bitmap target = Filled(4, 1, Argb(255, 0, 0, 255));
    ui::Blit(target, source, 0, 0);
    EXPECT_EQ(target.pixels[0], Argb(255, 0, 0, 255));
    EXPECT_EQ(target.pixels[1], Argb(255, 128, 0, 127));
    EXPECT_EQ(target.pixels[2], Argb(255, 1, 2, 3));
    EXPECT_EQ(target.pixels[3], Argb(255, 0, 51, 204));

    // Over an empty (transparent) surface the source keeps its own colour and alpha.
    ui::Bitmap empty = Filled(4, 1, 0);
    ui::Blit(empty, source, 0, 0);
    EXPECT_EQ(empty.pixels[1], source.pixels[1]);
    EXPECT_EQ(empty.pixels[3], source.pixels[3]);
    EXPECT_EQ(empty.pixels[0] >> 24, 0u);
}

TEST(Blit, EmptyOrInconsistentBitmapsChangeNothing) {
    ui::Bitmap target = Filled(3, 3, kBehind);
    ui::Blit(target, ui::Bitmap{}, 0, 0);
    ui::Bitmap lying = Filled(2, 2, 0xFFFFFFFF);
    lying.width = 50;  // claims more pixels than it holds
    ui::Blit(target, lying, 0, 0);
    EXPECT_EQ(target.pixels, Filled(3, 3, kBehind).pixels);
    ui::Bitmap emptyTarget;
    ui::Blit(emptyTarget, Numbered(2, 2), 0, 0);
    EXPECT_TRUE(emptyTarget.pixels.empty());
}
