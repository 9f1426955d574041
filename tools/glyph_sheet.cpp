// Writes the bar buttons' glyphs, enlarged, into one PNG for a person to look at:
//   glyph_sheet OUT.png
// Top row normal, bottom row greyed, each on a button-face background.
#include <cstdio>
#include <string>

#include <png.h>

#include "chart/Glyphs.h"
#include "chart/Png.h"

namespace {

constexpr int kScale = 8;
constexpr int kMargin = 16;
constexpr int kCell = chart::kGlyphSize * kScale + kMargin;
constexpr std::uint32_t kButtonFace = 0xFFD4D0C8;

ui::Bitmap Enlarged(const ui::Bitmap& glyph) {
    ui::Bitmap big;
    big.width = glyph.width * kScale;
    big.height = glyph.height * kScale;
    big.pixels.resize(std::size_t(big.width) * big.height);
    for (int y = 0; y < big.height; ++y)
        for (int x = 0; x < big.width; ++x)
            big.pixels[y * big.width + x] = glyph.pixels[(y / kScale) * glyph.width + x / kScale];
    return big;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glyph_sheet OUT.png\n");
        return 2;
    }
    const char* names[] = {"info", "max", "min", "check"};
    ui::Bitmap sheet;
    sheet.width = 4 * kCell + kMargin;
    sheet.height = 2 * kCell + kMargin;
    sheet.pixels.assign(std::size_t(sheet.width) * sheet.height, kButtonFace);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            ui::Blit(sheet, Enlarged(chart::Glyph(names[col], row == 1)), kMargin + col * kCell,
                        kMargin + row * kCell);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = sheet.width;
    image.height = sheet.height;
    image.format = PNG_FORMAT_BGRA;
    if (!png_image_write_to_file(&image, argv[1], 0, sheet.pixels.data(), sheet.width * 4, nullptr)) {
        std::fprintf(stderr, "glyph_sheet: %s\n", image.message);
        return 1;
    }
    return 0;
}
