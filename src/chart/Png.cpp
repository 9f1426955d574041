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

// A bitmap whose pixel storage really holds width by height pixels.
bool HasPixels(const ui::Bitmap& b) {
    return b.width > 0 && b.height > 0 &&
           b.pixels.size() >= std::uint64_t(b.width) * std::uint64_t(b.height);
}

// Straight-alpha "source over target" for one pixel.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    const std::uint32_t da = dst >> 24;
    // Weights on a 255*255 scale: the source's alpha, and what of the target shows through it.
    const std::uint32_t ws = sa * 255u;
    const std::uint32_t wd = da * (255u - sa);
    const std::uint32_t total = ws + wd;
    std::uint32_t out = ((total + 127u) / 255u) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t sc = (src >> shift) & 0xFFu;
        const std::uint32_t dc = (dst >> shift) & 0xFFu;
        out |= ((sc * ws + dc * wd + total / 2u) / total) << shift;
    }
    return out;
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

void Blit(ui::Bitmap& target, const ui::Bitmap& source, int x, int y) {
    if (!HasPixels(source) || !HasPixels(target)) return;
    // 64-bit edges: a position near the int limits must not wrap around.
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>(1LL * x + source.width, target.width);
    const long long bottom = std::min<long long>(1LL * y + source.height, target.height);
    for (long long ty = top; ty < bottom; ++ty) {
        const std::uint32_t* from = &source.pixels[std::size_t(ty - y) * source.width];
        std::uint32_t* to = &target.pixels[std::size_t(ty) * target.width];
        for (long long tx = left; tx < right; ++tx) to[tx] = Over(from[tx - x], to[tx]);
    }
}

}  // namespace chart
