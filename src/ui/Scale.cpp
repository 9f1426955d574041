#include "ui/Scale.h"

#include <cstdint>

#include "ui/Controls.h"

namespace ui {

namespace {

// numerator / denominator rounded to the nearest, halves away from zero (denominator > 0).
int Rounded(int64_t numerator, int64_t denominator) {
    const int64_t half = denominator / 2;
    return int(numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator));
}

}  // namespace

int Scale::ToDevice(int value) const { return Rounded(int64_t{value} * dpi_, kDesignDpi); }

int Scale::FromDevice(int pixels) const { return Rounded(int64_t{pixels} * kDesignDpi, dpi_); }

int Scale::FromDeviceUp(int pixels) const {
    const int64_t scaled = int64_t{pixels} * kDesignDpi;
    return int(scaled >= 0 ? (scaled + dpi_ - 1) / dpi_ : scaled / dpi_);
}

Rect Scale::ToDevice(const Rect& r) const {
    return {ToDevice(r.left), ToDevice(r.top), ToDevice(r.right), ToDevice(r.bottom)};
}

Rect Scale::FromDevice(const Rect& r) const {
    return {FromDevice(r.left), FromDevice(r.top), FromDevice(r.right), FromDevice(r.bottom)};
}

Size Scale::ToDevice(const Size& s) const { return {ToDevice(s.width), ToDevice(s.height)}; }

Size Scale::FromDevice(const Size& s) const { return {FromDevice(s.width), FromDevice(s.height)}; }

Font Scale::ToDevice(const Font& font) const {
    Font scaled = font;
    scaled.height = ToDevice(font.height);
    return scaled;
}

}  // namespace ui
