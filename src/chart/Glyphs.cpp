#include "chart/Glyphs.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>

#include "ui/Scale.h"

namespace chart {
namespace {

using Map = const char* [kGlyphSize];

// One letter a colour, from the 16 standard colours; '.' is transparent.
std::uint32_t PaletteColour(char c) {
    switch (c) {
        case 'K': return 0xFF000000;  // black
        case 'r': return 0xFF800000;  // maroon
        case 'g': return 0xFF008000;  // green
        case 'o': return 0xFF808000;  // olive
        case 'n': return 0xFF000080;  // navy
        case 'p': return 0xFF800080;  // purple
        case 't': return 0xFF008080;  // teal
        case 'S': return 0xFFC0C0C0;  // silver
        case 'D': return 0xFF808080;  // grey
        case 'R': return 0xFFFF0000;  // red
        case 'G': return 0xFF00FF00;  // lime
        case 'Y': return 0xFFFFFF00;  // yellow
        case 'B': return 0xFF0000FF;  // blue
        case 'F': return 0xFFFF00FF;  // fuchsia
        case 'A': return 0xFF00FFFF;  // aqua
        case 'W': return 0xFFFFFFFF;  // white
        default: return 0;            // transparent
    }
}

const Map kInfo = {
    ".....oooooo.....",
    "...ooWWWWYYoo...",
    "..oWWWWYYYYYYo..",
    ".oWWWWRRRRYYYYo.",
    ".oWWWRRYYRRYYYo.",
    "oWWWYRRYYRRYYYYo",
    "oWWYYYYYYRRYYYYo",
    "oWYYYYYYRRYYYYYo",
    "oYYYYYYRRYYYYYYo",
    "oYYYYYYRRYYYYYYo",
    "oYYYYYYYYYYYYYYo",
    ".oYYYYYRRYYYYYo.",
    ".oYYYYYRRYYYYYo.",
    "..oYYYYYYYYYYo..",
    "...ooYYYYYYoo...",
    ".....oooooo.....",
};

// The information box's author button: the same question mark on a disc whose pixels alternate
// yellow and white.
const Map kAuthor = {
    ".....oooooo.....",
    "...ooYWYWYWoo...",
    "..oWYWYWYWYWYo..",
    ".oWYWYRRRRWYWYo.",
    ".oYWYRRWYRRWYWo.",
    "oYWYWRRYWRRYWYWo",
    "oWYWYWYWYRRWYWYo",
    "oYWYWYWYRRWYWYWo",
    "oWYWYWYRRWYWYWYo",
    "oYWYWYWRRYWYWYWo",
    "oWYWYWYWYWYWYWYo",
    ".oWYWYWRRYWYWYo.",
    ".oYWYWYRRWYWYWo.",
    "..oYWYWYWYWYWo..",
    "...ooWYWYWYoo...",
    ".....oooooo.....",
};

const Map kMax = {
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KKKKKKKKKKKKKK.",
    "................",
    ".......RR.......",
    "......RRRR......",
    ".....RRRRRR.....",
    "....RRRRRRRR....",
    "...RRRRRRRRRR...",
    "..RRRRRRRRRRRR..",
    "......RRRR......",
    "......RRRR......",
    "......RRRR......",
    "......RRRR......",
    "......RRRR......",
    "................",
};

const Map kMin = {
    "................",
    "......RRRR......",
    "......RRRR......",
    "......RRRR......",
    "......RRRR......",
    "......RRRR......",
    "..RRRRRRRRRRRR..",
    "...RRRRRRRRRR...",
    "....RRRRRRRR....",
    ".....RRRRRR.....",
    "......RRRR......",
    ".......RR.......",
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KKKKKKKKKKKKKK.",
    "................",
};

const Map kCheck = {
    "................",
    "................",
    ".............Gg.",
    "............GGg.",
    "...........GGGg.",
    "..........GGGg..",
    ".........GGGg...",
    "..Gg....GGGg....",
    ".GGGg..GGGg.....",
    ".GGGGgGGGg......",
    "..GGGGGGg.......",
    "...GGGGg........",
    "....GGg.........",
    ".....g..........",
    "................",
    "................",
};

ui::Bitmap FromMap(const Map& map) {
    ui::Bitmap b;
    b.width = b.height = kGlyphSize;
    b.pixels.reserve(kGlyphSize * kGlyphSize);
    for (const char* row : map)
        for (int x = 0; x < kGlyphSize; ++x) b.pixels.push_back(PaletteColour(row[x]));
    return b;
}

bool IsDark(std::uint32_t argb) {
    const unsigned r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return (r * 299 + g * 587 + b * 114) / 1000 < 192;
}

// The usual look of a disabled button picture: the dark parts in grey, each with a white copy one
// pixel down and to the right beneath it; the light parts vanish into the button face.
ui::Bitmap Greyed(const ui::Bitmap& normal) {
    constexpr std::uint32_t kGrey = 0xFF808080, kWhite = 0xFFFFFFFF;
    ui::Bitmap out = normal;
    std::fill(out.pixels.begin(), out.pixels.end(), 0u);
    auto dark = [&](int x, int y) {
        const std::uint32_t p = normal.pixels[y * kGlyphSize + x];
        return (p >> 24) != 0 && IsDark(p);
    };
    for (int y = 0; y < kGlyphSize; ++y)
        for (int x = 0; x < kGlyphSize; ++x) {
            if (dark(x, y))
                out.pixels[y * kGlyphSize + x] = kGrey;
            else if (x > 0 && y > 0 && dark(x - 1, y - 1))
                out.pixels[y * kGlyphSize + x] = kWhite;
        }
    return out;
}

using GlyphTable = std::map<std::pair<std::string, bool>, ui::Bitmap>;

GlyphTable BuildTable() {
    GlyphTable table;
    const std::pair<const char*, const Map*> maps[] = {
        {"info", &kInfo}, {"author", &kAuthor}, {"max", &kMax}, {"min", &kMin}, {"check", &kCheck}};
    for (const auto& [name, map] : maps) {
        ui::Bitmap normal = FromMap(*map);
        table[{name, true}] = Greyed(normal);
        table[{name, false}] = std::move(normal);
    }
    return table;
}

}  // namespace

const ui::Bitmap& Glyph(const std::string& name, bool greyed) {
    static const GlyphTable table = BuildTable();
    static const ui::Bitmap none;
    const auto it = table.find({name, greyed});
    return it == table.end() ? none : it->second;
}

const ui::Bitmap& Glyph(const std::string& name, bool greyed, int dpi) {
    const int size = ui::Scale(dpi).ToDevice(kGlyphSize);
    const ui::Bitmap& picture = Glyph(name, greyed);
    if (size == kGlyphSize || picture.width == 0) return picture;
    // Made once for each size a window asks for; the window thread alone draws them.
    static std::map<std::tuple<std::string, bool, int>, ui::Bitmap> scaled;
    auto [it, added] = scaled.try_emplace({name, greyed, size});
    if (added) it->second = ui::Resampled(picture, size, size);
    return it->second;
}

}  // namespace chart
