// Drawing on a window's device context: the control layer's colours as the screen shows them,
// bitmaps and glyphs, solid fills and the raised and lowered edges of panels and frames.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/Bitmap.h"
#include "ui/Control.h"
#include "ui/Containers.h"

namespace win32 {

// A colour of the control layer as the screen shows it (system colours resolved).
COLORREF Resolve(ui::Color color);

// How a ui::Bitmap lies in memory: 32-bit pixels, rows from the top down.
BITMAPINFO TopDownInfo(const ui::Bitmap& bitmap);
// Lays a glyph over what the DC shows at (x, y), its edges blended by their alpha.
void DrawGlyph(HDC dc, const ui::Bitmap& glyph, int x, int y);
// Draws a picture area's surface at the DC's top-left corner.
void DrawSurface(HDC dc, const ui::Bitmap& surface);
void FillSolid(HDC dc, const RECT& rc, COLORREF colour);
// Lines of the given width along the edges, one colour at the top and left and another at the
// bottom and right; the rectangle shrinks by the width.
void Frame3D(HDC dc, RECT& rc, COLORREF topLeft, COLORREF bottomRight, int width);
// A raised or lowered edge in the system's colours.
void Cut3D(HDC dc, RECT& rc, ui::BevelCut cut, int width);

}  // namespace win32
