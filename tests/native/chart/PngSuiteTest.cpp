// libpng's sample images: every valid one decodes, every damaged one is refused without harm.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "TestPng.h"
#include "chart/Png.h"

namespace fs = std::filesystem;
using testpng::Argb;

namespace {

const std::string kContrib = QUODO_PNG_CONTRIB;

std::vector<fs::path> PngFilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".png") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

ui::Bitmap Decoded(const std::string& name) {
    auto bitmap = chart::DecodePng(testpng::ReadFile(kContrib + "/pngsuite/" + name));
    EXPECT_TRUE(bitmap) << name;
    return bitmap.value_or(ui::Bitmap{});
}

}  // namespace

TEST(PngSuite, EverySampleDecodesAt32By32) {
    auto files = PngFilesIn(kContrib + "/pngsuite");
    const auto interlaced = PngFilesIn(kContrib + "/pngsuite/interlaced");
    files.insert(files.end(), interlaced.begin(), interlaced.end());
    ASSERT_GE(files.size(), 60u);
    chart::PngDecoder decoder;  // one decoder for all, as the program uses it
    ui::Bitmap bitmap;
    for (const auto& file : files) {
        ASSERT_TRUE(decoder.Decode(testpng::ReadFile(file.string()), bitmap)) << file << ": " << decoder.LastError();
        EXPECT_EQ(bitmap.width, 32) << file;
        EXPECT_EQ(bitmap.height, 32) << file;
        EXPECT_EQ(bitmap.pixels.size(), 32u * 32u) << file;
    }
}

TEST(PngSuite, ColoursMatchAnIndependentReading) {
    // Non-interlaced truecolour samples without gamma information, 8-bit with a transparent colour
    // and 16-bit ones, read a second time by the tests' own small reader.
    for (const char* name : {"iftbrn2c08.png", "iftbbn2c16.png", "iftbgn2c16.png"}) {
        const std::string file = testpng::ReadFile(kContrib + "/pngsuite/" + name);
        auto expected = testpng::ReadPlainTruecolour(file);
        ASSERT_TRUE(expected) << name;
        const ui::Bitmap actual = Decoded(name);
        ASSERT_EQ(actual.pixels.size(), expected->pixels.size()) << name;
        int transparent = 0;
        for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
            if (expected->pixels[i] >> 24 == 0) {
                ++transparent;  // an invisible pixel's colour does not matter
                EXPECT_EQ(actual.pixels[i] >> 24, 0u) << name << " pixel " << i;
            } else {
                EXPECT_EQ(actual.pixels[i], expected->pixels[i]) << name << " pixel " << i;
            }
        }
        EXPECT_GT(transparent, 0) << name;  // the sample's transparent colour was exercised
    }
}

TEST(PngSuite, InterlacedAndPlainBlackAndWhiteSamplesAgree) {
    const ui::Bitmap plain = Decoded("basn0g01.png");
    const ui::Bitmap interlaced = Decoded("interlaced/ibasn0g01.png");
    EXPECT_EQ(plain.pixels, interlaced.pixels);
    const std::set<std::uint32_t> colours(plain.pixels.begin(), plain.pixels.end());
    EXPECT_EQ(colours, (std::set<std::uint32_t>{Argb(255, 0, 0, 0), Argb(255, 255, 255, 255)}));
}

TEST(PngSuite, TransparencyOfPaletteSamples) {
    auto alphas = [](const ui::Bitmap& b) {
        std::set<unsigned> a;
        for (std::uint32_t p : b.pixels) a.insert(p >> 24);
        return a;
    };
    EXPECT_EQ(alphas(Decoded("ftp0n3p08.png")), std::set<unsigned>{255});  // opaque
    const auto withTrns = alphas(Decoded("ftbbn3p08.png"));
    EXPECT_TRUE(withTrns.count(0));
    EXPECT_TRUE(withTrns.count(255));
}

TEST(PngSuite, DamagedSamplesAreRefusedAndOnlyTheHarmlessOneDecodes) {
    const auto files = PngFilesIn(kContrib + "/testpngs/crashers");
    ASSERT_GE(files.size(), 20u);
    chart::PngDecoder decoder;
    ui::Bitmap bitmap;
    for (const auto& file : files) {
        const bool decoded = decoder.Decode(testpng::ReadFile(file.string()), bitmap);
        if (file.filename() == "empty_ancillary_chunks.png") {
            // Only its ancillary chunks are empty, which is no reason to refuse the picture.
            EXPECT_TRUE(decoded) << decoder.LastError();
            EXPECT_GT(bitmap.width, 0);
            EXPECT_EQ(bitmap.pixels.size(), std::size_t(bitmap.width) * bitmap.height);
        } else {
            EXPECT_FALSE(decoded) << file;
            EXPECT_FALSE(decoder.LastError().empty()) << file;
            EXPECT_TRUE(bitmap.pixels.empty()) << file;
            // Chunks that claim more than the file holds are caught before libpng reserves room.
            if (file.filename().string().rfind("huge_", 0) == 0) {
                EXPECT_EQ(decoder.LastError(), "chunk longer than the file") << file;
            }
        }
    }
}
