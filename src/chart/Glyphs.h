// The pictures of the four buttons in the bottom bar and of the information box's author button:
// 16 by 16 pixels in the 16 standard colours,
// each in a normal and a greyed form. Transparent pixels have alpha 0.
#pragma once

#include <string>

#include "ui/Bitmap.h"

namespace chart {

constexpr int kGlyphSize = 16;

// name: "info" (question mark on a disc), "author" (question mark on a disc of alternating yellow
// and white pixels), "max" (arrow up against a bar), "min" (arrow down onto a
// bar), "check" (tick). An unknown name gives an empty bitmap (0 by 0).
const ui::Bitmap& Glyph(const std::string& name, bool greyed);

// The picture as a window of this dpi shows it: kGlyphSize scaled (24 by 24 at 144 dpi), each
// pixel of the picture drawn over the area it covers there; at 96 dpi the picture itself.
const ui::Bitmap& Glyph(const std::string& name, bool greyed, int dpi);

}  // namespace chart
