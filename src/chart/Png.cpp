#include "chart/Png.h"

#include <algorithm>
#include <cstdint>

#include <png.h>

namespace chart {
namespace {

// The byte order that makes one pixel a 0xAARRGGBB word in memory.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr png_uint_32 kPixelFormat = PNG_FORMAT_ARGB;
#else
constexpr png_uint_32 kPixelFormat = PNG_FORMAT_BGRA;
#endif

bool FitsLimit(png_uint_32 width, png_uint_32 height) {
    const std::uint64_t bytes = std::uint64_t{width} * height * 4u;
    return width > 0 && height > 0 && bytes <= kMaxDecodedBytes;
}

std::uint32_t ReadBigEndian32(const std::string& bytes, std::size_t at) {
    auto byte = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(bytes[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

// libpng allocates a chunk's declared length before it finds out that the data is not there, so a
// file of a few dozen bytes can claim a gigabyte of text. The whole file is in memory: every chunk
// must fit in what is left of it.
bool ChunksFitInFile(const std::string& bytes) {
    constexpr std::size_t kSignatureSize = 8, kHeaderSize = 8, kCrcSize = 4;  // header: length, type
    for (std::size_t at = kSignatureSize; bytes.size() - at >= kHeaderSize;) {
        if (bytes.compare(at + 4, 4, "IEND") == 0) break;  // nothing is read after it
        const std::uint32_t length = ReadBigEndian32(bytes, at);
        const std::size_t remaining = bytes.size() - at - kHeaderSize;
        if (remaining < kCrcSize || length > remaining - kCrcSize) return false;
        at += kHeaderSize + length + kCrcSize;
    }
    return true;
}

}  // namespace

bool PngDecoder::Fail(ui::Bitmap& into, const std::string& reason) {
    into.width = 0;
    into.height = 0;
    into.pixels.clear();
    lastError_ = reason;
    return false;
}

bool PngDecoder::Decode(const std::string& bytes, ui::Bitmap& into) {
    if (bytes.empty()) return Fail(into, "empty file");
    if (bytes.size() > 8 && !ChunksFitInFile(bytes)) return Fail(into, "chunk longer than the file");

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    // The simplified API reports every error through its return value and image.message.
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return Fail(into, image.message);
    if (!FitsLimit(image.width, image.height)) {
        png_image_free(&image);
        return Fail(into, "image too large");
    }

    image.format = kPixelFormat;
    // A 16-bit file without gamma information is taken as ordinary sRGB, as web browsers take it.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    into.width = static_cast<int>(image.width);
    into.height = static_cast<int>(image.height);
    into.pixels.resize(std::size_t{image.width} * image.height);
    const png_int_32 stride = static_cast<png_int_32>(image.width * 4u);
    if (!png_image_finish_read(&image, nullptr, into.pixels.data(), stride, nullptr))
        return Fail(into, image.message);

    lastError_.clear();
    return true;
}

std::optional<ui::Bitmap> DecodePng(const std::string& bytes) {
    PngDecoder decoder;
    ui::Bitmap bitmap;
    if (!decoder.Decode(bytes, bitmap)) return std::nullopt;
    return bitmap;
}

}  // namespace chart
