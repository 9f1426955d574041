// libFuzzer target for the chart picture decoder: any bytes are decoded or refused, never a crash
// or an overrun, and a decoded picture is consistent, drawable, and the same whether the decoder
// and its bitmap are fresh or reused.
#include <cstddef>
#include <cstdint>
#include <string>

#include "chart/Png.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static chart::PngDecoder decoder;
    static ui::Bitmap bitmap;  // reused from input to input, as the program reuses it
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const bool decoded = decoder.Decode(bytes, bitmap);
    const auto fresh = chart::DecodePng(bytes);
    Check(decoded == fresh.has_value());
    if (!decoded) {
        Check(bitmap.width == 0 && bitmap.height == 0 && bitmap.pixels.empty());
        Check(!decoder.LastError().empty());
        return 0;
    }
    Check(bitmap.width > 0 && bitmap.height > 0);
    Check(bitmap.pixels.size() == std::size_t(bitmap.width) * std::size_t(bitmap.height));
    Check(bitmap.pixels.size() * 4 <= chart::kMaxDecodedBytes);
    Check(bitmap.pixels == fresh->pixels && bitmap.width == fresh->width);

    // Draw it into a chart-sized area at the corner and hanging over each edge.
    ui::Bitmap area;
    area.width = 190;
    area.height = 187;
    area.pixels.assign(std::size_t(area.width) * area.height, 0xFFF5F5F5u);
    ui::Blit(area, bitmap, 0, 0);
    ui::Blit(area, bitmap, area.width - bitmap.width / 2, area.height - bitmap.height / 2);
    ui::Blit(area, bitmap, -bitmap.width / 2, -bitmap.height / 2);
    Check(area.pixels.size() == std::size_t(area.width) * area.height);
    return 0;
}
