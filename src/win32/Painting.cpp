#include "win32/Painting.h"

#include "win32/Scoped.h"

namespace win32 {
namespace {

// One pixel of a glyph laid over the background by its alpha (the edges of a scaled glyph).
uint32_t Over(uint32_t glyph, uint32_t background) {
    const uint32_t alpha = glyph >> 24;
    uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t g = (glyph >> shift) & 0xFFu, b = (background >> shift) & 0xFFu;
        mixed |= ((g * alpha + b * (255u - alpha) + 127u) / 255u) << shift;
    }
    return mixed;
}

}  // namespace

COLORREF Resolve(ui::Color c) {
    // Colours with the high byte set name a system colour.
    return (c & 0xFF000000u) ? GetSysColor(int(c & 0xFF)) : COLORREF(c);
}

BITMAPINFO TopDownInfo(const ui::Bitmap& bitmap) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = bitmap.width;
    bi.bmiHeader.biHeight = -bitmap.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// In memory: one copy in and one out instead of a call a pixel.
void DrawGlyph(HDC dc, const ui::Bitmap& glyph, int x, int y) {
    if (glyph.width <= 0 || glyph.height <= 0) return;
    const BITMAPINFO bi = TopDownInfo(glyph);
    void* bits = nullptr;
    GdiObject<HBITMAP> dib(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC work(dc);
    if (!dib || !work) return;
    Selected selected(work.get(), dib.get());
    BitBlt(work.get(), 0, 0, glyph.width, glyph.height, dc, x, y, SRCCOPY);
    GdiFlush();
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < glyph.pixels.size(); ++i)
        if (glyph.pixels[i] >> 24) pixels[i] = Over(glyph.pixels[i], pixels[i]);
    BitBlt(dc, x, y, glyph.width, glyph.height, work.get(), 0, 0, SRCCOPY);
}

void DrawSurface(HDC dc, const ui::Bitmap& surface) {
    if (surface.width <= 0 || surface.height <= 0) return;
    const BITMAPINFO bi = TopDownInfo(surface);
    SetDIBitsToDevice(dc, 0, 0, surface.width, surface.height, 0, 0, 0, surface.height, surface.pixels.data(), &bi,
                      DIB_RGB_COLORS);
}

void FillSolid(HDC dc, const RECT& rc, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &rc, brush.get());
}

void Frame3D(HDC dc, RECT& rc, COLORREF topLeft, COLORREF bottomRight, int width) {
    for (int i = 0; i < width; ++i) {
        FillSolid(dc, RECT{rc.left, rc.top, rc.right, rc.top + 1}, topLeft);
        FillSolid(dc, RECT{rc.left, rc.top, rc.left + 1, rc.bottom}, topLeft);
        FillSolid(dc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, bottomRight);
        FillSolid(dc, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, bottomRight);
        InflateRect(&rc, -1, -1);
    }
}

void Cut3D(HDC dc, RECT& rc, ui::BevelCut cut, int width) {
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    if (cut == ui::BevelCut::Raised) Frame3D(dc, rc, light, dark, width);
    if (cut == ui::BevelCut::Lowered) Frame3D(dc, rc, dark, light, width);
}

}  // namespace win32
