// Test helpers: a small PNG writer for pictures with known pixels, and a small independent reader
// for plain truecolour files, so decoded pixels can be checked against something other than
// libpng itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Controls.h"

namespace testpng {

enum ColourType { kGray = 0, kRgb = 2, kPalette = 3, kGrayAlpha = 4, kRgba = 6 };

struct Picture {
    int width = 0, height = 0;
    int bitDepth = 8;
    ColourType colourType = kRgb;
    bool interlaced = false;
    std::vector<std::uint16_t> samples;  // row by row, every channel of every pixel
    std::vector<std::pair<std::string, std::string>> extraChunks;  // written before IDAT
};

std::string Chunk(const std::string& type, const std::string& data);
std::string BigEndian32(std::uint32_t v);
std::string Encode(const Picture& picture);

// A whole IHDR chunk with the given fields (CRC correct).
std::string HeaderChunk(std::uint32_t width, std::uint32_t height, int bitDepth, ColourType type,
                        bool interlaced);
extern const std::string kSignature;

// Reads a non-interlaced 8- or 16-bit truecolour PNG (with optional tRNS) into 0xAARRGGBB,
// 16-bit samples rounded to 8 bits. Empty for anything else.
std::optional<ui::Bitmap> ReadPlainTruecolour(const std::string& file);

std::string ReadFile(const std::string& path);
std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b);

}  // namespace testpng
