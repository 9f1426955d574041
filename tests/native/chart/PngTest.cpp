// Decoding pictures with known pixels, refusing damaged ones, and reusing the decoder's storage.
#include <gtest/gtest.h>

#include "TestPng.h"
#include "chart/Png.h"

using testpng::Argb;
using testpng::Picture;

namespace {

// A 13 by 11 truecolour picture whose every pixel differs (odd sizes exercise every Adam7 pass).
Picture Gradient(bool interlaced) {
    Picture p;
    p.width = 13;
    p.height = 11;
    p.interlaced = interlaced;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.samples.insert(p.samples.end(), {std::uint16_t(x * 19), std::uint16_t(y * 23), std::uint16_t(255 - x * 7 - y)});
    return p;
}

std::uint32_t GradientPixel(int x, int y) { return Argb(255, x * 19, y * 23, 255 - x * 7 - y); }

void ExpectGradient(const ui::Bitmap& b) {
    ASSERT_EQ(b.width, 13);
    ASSERT_EQ(b.height, 11);
    ASSERT_EQ(b.pixels.size(), 13u * 11u);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 13; ++x) EXPECT_EQ(b.pixels[y * 13 + x], GradientPixel(x, y)) << x << "," << y;
}

}  // namespace

TEST(PngDecode, TruecolourPixelsComeOutExactlyTopDown) {
    auto bitmap = chart::DecodePng(testpng::Encode(Gradient(false)));
    ASSERT_TRUE(bitmap);
    ExpectGradient(*bitmap);
}

TEST(PngDecode, InterlacedPictureEqualsThePlainOne) {
    auto bitmap = chart::DecodePng(testpng::Encode(Gradient(true)));
    ASSERT_TRUE(bitmap);
    ExpectGradient(*bitmap);
}

TEST(PngDecode, AlphaStaysStraightAndIsNotComposited) {
    Picture p;
    p.width = 3;
    p.height = 1;
    p.colourType = testpng::kRgba;
    p.samples = {200, 100, 50, 64, 10, 20, 30, 0, 1, 2, 3, 255};
    auto bitmap = chart::DecodePng(testpng::Encode(p));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->pixels[0], Argb(64, 200, 100, 50));  // colour not premultiplied by the alpha
    EXPECT_EQ(bitmap->pixels[1] >> 24, 0u);
    EXPECT_EQ(bitmap->pixels[2], Argb(255, 1, 2, 3));
}

TEST(PngDecode, PaletteGrayAndSixteenBitFormatsGiveTheirColours) {
    Picture palette;  // 4-bit indices, entry 1 half transparent, entry 2 fully transparent
    palette.width = 5;
    palette.height = 2;
    palette.bitDepth = 4;
    palette.colourType = testpng::kPalette;
    palette.samples = {0, 1, 2, 0, 1, 2, 2, 1, 0, 0};
    palette.extraChunks = {{"PLTE", std::string("\xFF\x00\x00\x00\x80\x00\x10\x20\x30", 9)},
                           {"tRNS", std::string("\xFF\x80\x00", 3)}};
    auto pal = chart::DecodePng(testpng::Encode(palette));
    ASSERT_TRUE(pal);
    const std::uint32_t entry[] = {Argb(255, 255, 0, 0), Argb(128, 0, 128, 0)};
    for (int i = 0; i < 10; ++i) {
        if (palette.samples[i] == 2)
            EXPECT_EQ(pal->pixels[i] >> 24, 0u) << i;
        else
            EXPECT_EQ(pal->pixels[i], entry[palette.samples[i]]) << i;
    }

    Picture gray;  // 2-bit gray: the four levels spread over 0..255
    gray.width = 4;
    gray.height = 1;
    gray.bitDepth = 2;
    gray.colourType = testpng::kGray;
    gray.samples = {0, 1, 2, 3};
    auto g = chart::DecodePng(testpng::Encode(gray));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->pixels, (std::vector<std::uint32_t>{Argb(255, 0, 0, 0), Argb(255, 85, 85, 85),
                                                     Argb(255, 170, 170, 170), Argb(255, 255, 255, 255)}));

    Picture deep;  // 16-bit truecolour without gamma information: samples rounded to 8 bits
    deep.width = 2;
    deep.height = 1;
    deep.bitDepth = 16;
    deep.colourType = testpng::kRgb;
    deep.samples = {0xFFFF, 0x8080, 0x0000, 0x1234, 0xABCD, 0x7F7F};
    auto d = chart::DecodePng(testpng::Encode(deep));
    ASSERT_TRUE(d);
    auto round8 = [](unsigned v) { return (v * 255 + 32767) / 65535; };
    EXPECT_EQ(d->pixels[0], Argb(255, 255, round8(0x8080), 0));
    EXPECT_EQ(d->pixels[1], Argb(255, round8(0x1234), round8(0xABCD), round8(0x7F7F)));
}

TEST(PngDecode, DamagedFilesAreRefused) {
    const std::string good = testpng::Encode(Gradient(false));
    const std::string idatGarbage = testpng::kSignature + testpng::HeaderChunk(13, 11, 8, testpng::kRgb, false) +
                                    testpng::Chunk("IDAT", "this is not deflate data") + testpng::Chunk("IEND", "");
    std::string badSignature = good;
    badSignature[1] = 'Q';
    std::string badHeaderCrc = good;
    badHeaderCrc[8 + 8 + 13] ^= 0x01;  // last byte of IHDR's CRC
    const std::string htmlPage = "<html><body>Service unavailable</body></html>";

    chart::PngDecoder decoder;
    for (const std::string& file : {std::string(), testpng::kSignature, badSignature, badHeaderCrc, idatGarbage, htmlPage}) {
        ui::Bitmap bitmap;
        EXPECT_FALSE(decoder.Decode(file, bitmap)) << file.size();
        EXPECT_FALSE(decoder.LastError().empty());
        EXPECT_EQ(bitmap.width, 0);
        EXPECT_TRUE(bitmap.pixels.empty());
    }
    // Cut short anywhere before the image data is complete, the file is refused.
    const std::size_t iendSize = 12;
    for (std::size_t length = 0; length < good.size() - iendSize; ++length)
        EXPECT_FALSE(chart::DecodePng(good.substr(0, length))) << "cut at " << length;
    // All pixels present and checked, only the closing chunk missing: the picture still shows.
    for (std::size_t length = good.size() - iendSize; length < good.size(); ++length) {
        auto bitmap = chart::DecodePng(good.substr(0, length));
        ASSERT_TRUE(bitmap) << "cut at " << length;
        ExpectGradient(*bitmap);
    }
}

TEST(PngDecode, ChunkClaimingMoreBytesThanTheFileHoldsIsRefusedUnread) {
    // A few dozen bytes that claim a gigabyte of text must not make the decoder reserve that much.
    const std::string file = testpng::kSignature + testpng::HeaderChunk(1, 1, 8, testpng::kGray, false) +
                             testpng::BigEndian32(0x3FFFFFFF) + "tEXt" + std::string("Title\0x", 7) +
                             testpng::Chunk("IEND", "");
    // The same claim in a chunk header that ends the file, with no data and no CRC after it.
    const std::string headerOnly = testpng::kSignature + testpng::HeaderChunk(1, 1, 8, testpng::kGray, false) +
                                   testpng::BigEndian32(0x73424954) + "tEXt";
    chart::PngDecoder decoder;
    for (const std::string& damaged : {file, headerOnly}) {
        ui::Bitmap bitmap;
        EXPECT_FALSE(decoder.Decode(damaged, bitmap));
        EXPECT_EQ(decoder.LastError(), "chunk longer than the file");
    }
}

TEST(PngDecode, HugeDimensionsAreRefusedBeforeAnyPixelMemoryIsTaken) {
    auto claimed = [](std::uint32_t w, std::uint32_t h) {
        return testpng::kSignature + testpng::HeaderChunk(w, h, 1, testpng::kGray, false) +
               testpng::Chunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) + testpng::Chunk("IEND", "");
    };
    chart::PngDecoder decoder;
    ui::Bitmap bitmap;
    for (auto [w, h] : {std::pair<std::uint32_t, std::uint32_t>{0x7FFFFFFF, 0x7FFFFFFF}, {100000, 100000},
                        {4097, 4096}, {1, 16 * 1024 * 1024 + 1}, {0, 10}, {10, 0}}) {
        EXPECT_FALSE(decoder.Decode(claimed(w, h), bitmap)) << w << "x" << h;
        EXPECT_EQ(bitmap.pixels.capacity(), 0u) << w << "x" << h;
    }
}

TEST(PngDecode, PictureAtTheSizeLimitIsAcceptedAndOneRowMoreIsNot) {
    Picture p;  // 1-bit gray keeps the file small; decoded it fills exactly the limit
    p.width = 4096;
    p.bitDepth = 1;
    p.colourType = testpng::kGray;
    p.height = int(chart::kMaxDecodedBytes / 4 / p.width);
    p.samples.assign(std::size_t(p.width) * p.height, 1);
    auto atLimit = chart::DecodePng(testpng::Encode(p));
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(atLimit->pixels.size() * 4, chart::kMaxDecodedBytes);
    EXPECT_EQ(atLimit->pixels.back(), Argb(255, 255, 255, 255));

    p.height += 1;
    p.samples.resize(std::size_t(p.width) * p.height, 1);
    EXPECT_FALSE(chart::DecodePng(testpng::Encode(p)));
}

TEST(PngDecoder, RepeatedDrawsOfTheSameSizeReuseThePixelStorage) {
    chart::PngDecoder decoder;
    ui::Bitmap bitmap;
    const std::string first = testpng::Encode(Gradient(false));
    Picture other = Gradient(true);
    for (auto& s : other.samples) s = std::uint16_t(255 - s);
    const std::string second = testpng::Encode(other);

    ASSERT_TRUE(decoder.Decode(first, bitmap));
    const std::uint32_t* storage = bitmap.pixels.data();
    ASSERT_TRUE(decoder.Decode(second, bitmap));
    EXPECT_EQ(bitmap.pixels.data(), storage);
    EXPECT_EQ(bitmap.pixels[0], Argb(255, 255, 255, 0));

    // A failure in between empties the bitmap, so nothing stale is drawn, but keeps the storage.
    EXPECT_FALSE(decoder.Decode("not a picture", bitmap));
    EXPECT_EQ(bitmap.width, 0);
    EXPECT_TRUE(bitmap.pixels.empty());
    ASSERT_TRUE(decoder.Decode(first, bitmap));
    EXPECT_EQ(bitmap.pixels.data(), storage);
    EXPECT_TRUE(decoder.LastError().empty());
    ExpectGradient(bitmap);
}

TEST(PngDecode, ShippedFallbackPictureIsAnOpaque190By187Picture) {
    auto bitmap = chart::DecodePng(testpng::ReadFile(QUODO_ASSETS "/ErrorGraph.png"));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 190);
    EXPECT_EQ(bitmap->height, 187);
    std::size_t darker = 0;
    for (std::uint32_t p : bitmap->pixels) {
        EXPECT_EQ(p >> 24, 255u);
        if ((p & 0xFF) < 160) ++darker;
    }
    EXPECT_GT(darker, 200u);  // the words are there, in a colour that stands out from the background
}
