// The bar buttons' pictures: size, colours, and the shapes a user recognises.
#include <gtest/gtest.h>

#include <set>

#include "chart/Glyphs.h"

namespace {

const char* const kNames[] = {"info", "author", "max", "min", "check"};

const std::set<std::uint32_t> kSixteenColours = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

std::uint32_t At(const ui::Bitmap& b, int x, int y) { return b.pixels[y * b.width + x]; }
bool Opaque(std::uint32_t p) { return (p >> 24) == 255; }

int CountOf(const ui::Bitmap& b, std::uint32_t colour) {
    int n = 0;
    for (std::uint32_t p : b.pixels) n += p == colour;
    return n;
}

// Red pixels in one row.
int RedIn(const ui::Bitmap& b, int y) {
    int n = 0;
    for (int x = 0; x < b.width; ++x) n += At(b, x, y) == 0xFFFF0000;
    return n;
}

}  // namespace

TEST(Glyphs, EachIs16By16InTheStandardSixteenColoursWithATransparentBackground) {
    for (const char* name : kNames)
        for (bool greyed : {false, true}) {
            const ui::Bitmap& g = chart::Glyph(name, greyed);
            ASSERT_EQ(g.width, 16) << name;
            ASSERT_EQ(g.height, 16) << name;
            ASSERT_EQ(g.pixels.size(), 256u) << name;
            int transparent = 0;
            for (std::uint32_t p : g.pixels) {
                if (p == 0) ++transparent;
                else EXPECT_TRUE(kSixteenColours.count(p)) << name << std::hex << " 0x" << p;
            }
            EXPECT_GT(transparent, 0) << name;
            EXPECT_LT(transparent, 256) << name;
        }
}

TEST(Glyphs, GreyedFormsHaveNoColourAndDifferFromTheNormalOnes) {
    for (const char* name : kNames) {
        const ui::Bitmap& greyed = chart::Glyph(name, true);
        EXPECT_NE(greyed.pixels, chart::Glyph(name, false).pixels) << name;
        for (std::uint32_t p : greyed.pixels) {
            const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            EXPECT_TRUE(r == g && g == b) << name;
        }
        EXPECT_GT(CountOf(greyed, 0xFF808080), 10) << name;
    }
}

TEST(Glyphs, InfoIsARedQuestionMarkOnARoundYellowAndWhiteDisc) {
    const ui::Bitmap& g = chart::Glyph("info", false);
    EXPECT_GT(CountOf(g, 0xFFFF0000), 10);
    EXPECT_GT(CountOf(g, 0xFFFFFF00), 40);
    EXPECT_GT(CountOf(g, 0xFFFFFFFF), 10);
    for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}}) EXPECT_EQ(At(g, x, y), 0u);  // round
    EXPECT_TRUE(Opaque(At(g, 8, 0)) && Opaque(At(g, 0, 8)) && Opaque(At(g, 15, 8)) && Opaque(At(g, 8, 15)));
}

TEST(Glyphs, AuthorIsTheQuestionMarkOnADiscOfAlternatingYellowAndWhitePixels) {
    const ui::Bitmap& g = chart::Glyph("author", false);
    const ui::Bitmap& info = chart::Glyph("info", false);
    const auto light = [](std::uint32_t p) { return p == 0xFFFFFF00 || p == 0xFFFFFFFF; };
    int pairs = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(At(g, x, y) == 0xFFFF0000, At(info, x, y) == 0xFFFF0000) << x << "," << y;
            EXPECT_EQ(Opaque(At(g, x, y)), Opaque(At(info, x, y))) << x << "," << y;  // the same round disc
            if (x < 15 && light(At(g, x, y)) && light(At(g, x + 1, y))) {
                EXPECT_NE(At(g, x, y), At(g, x + 1, y)) << x << "," << y;
                ++pairs;
            }
        }
    EXPECT_GT(pairs, 100);
}

TEST(Glyphs, MaxPointsUpToABarAtTheTopAndMinIsItsMirrorImage) {
    const ui::Bitmap& max = chart::Glyph("max", false);
    EXPECT_EQ(At(max, 8, 1), 0xFF000000u);  // the bar
    int tip = -1, widest = -1;
    for (int y = 0; y < 16; ++y) {
        if (tip < 0 && RedIn(max, y) > 0) tip = y;
        if (widest < 0 || RedIn(max, y) > RedIn(max, widest)) widest = y;
    }
    EXPECT_GT(tip, 2);        // below the bar
    EXPECT_LT(tip, widest);   // narrow point at the top: the arrow points up
    EXPECT_LT(RedIn(max, 14), RedIn(max, widest));  // a shaft below the head

    const ui::Bitmap& min = chart::Glyph("min", false);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(At(min, x, y), At(max, x, 15 - y)) << x << "," << y;
}

TEST(Glyphs, CheckIsAGreenTick) {
    const ui::Bitmap& g = chart::Glyph("check", false);
    EXPECT_GT(CountOf(g, 0xFF00FF00), 20);
    EXPECT_EQ(CountOf(g, 0xFFFF0000), 0);
    // The long stroke rises to the upper right; the short one starts at the left.
    int lowest = -1;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (Opaque(At(g, x, y))) lowest = y;
    EXPECT_TRUE(Opaque(At(g, 14, 2)));
    EXPECT_TRUE(Opaque(At(g, 1, 8)));
    EXPECT_GT(lowest, 10);
}

TEST(Glyphs, UnknownNameGivesAnEmptyPicture) {
    EXPECT_EQ(chart::Glyph("nothing", false).width, 0);
    EXPECT_TRUE(chart::Glyph("", true).pixels.empty());
    // Asking again hands back the very same picture.
    EXPECT_EQ(&chart::Glyph("info", false), &chart::Glyph("info", false));
}

TEST(Glyphs, EachDpiHasItsOwnSizeWithThePictureRepeatedByWholeFactors) {
    const ui::Bitmap& info = chart::Glyph("info", false);
    EXPECT_EQ(&chart::Glyph("info", false, 96), &info);
    for (const auto& [dpi, size] : {std::pair{120, 20}, std::pair{144, 24}, std::pair{192, 32}}) {
        const ui::Bitmap& scaled = chart::Glyph("info", true, dpi);
        EXPECT_EQ(scaled.width, size) << dpi;
        EXPECT_EQ(scaled.height, size) << dpi;
        EXPECT_EQ(&chart::Glyph("info", true, dpi), &scaled) << "made once";
    }
    const ui::Bitmap& doubled = chart::Glyph("info", false, 192);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(At(doubled, x, y), At(info, x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(chart::Glyph("nothing", false, 144).width, 0);
}
