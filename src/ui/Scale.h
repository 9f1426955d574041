// The one factor between the forms and the screen. Forms give every size, place, font and margin in
// pixels of a 96-dpi screen; a window shows them at the dots per inch of the monitor it is on.
#pragma once

#include "ui/Screens.h"

namespace ui {

constexpr int kDesignDpi = 96;

struct Size;
struct Font;

class Scale {
public:
    explicit Scale(int dpi = kDesignDpi) : dpi_(dpi > 0 ? dpi : kDesignDpi) {}
    int Dpi() const { return dpi_; }
    bool IsIdentity() const { return dpi_ == kDesignDpi; }

    // A length or coordinate of the forms in screen pixels, rounded to the nearest (halves away
    // from zero, as MulDiv rounds).
    int ToDevice(int value) const;
    // Screen pixels back in the forms' units, rounded to the nearest.
    int FromDevice(int pixels) const;
    // Screen pixels in the forms' units, rounded up: room for at least that many pixels.
    int FromDeviceUp(int pixels) const;

    // A rectangle with its edges scaled, so that controls that touch stay touching.
    Rect ToDevice(const Rect& r) const;
    Rect FromDevice(const Rect& r) const;
    Size ToDevice(const Size& s) const;
    Size FromDevice(const Size& s) const;
    Font ToDevice(const Font& font) const;

    bool operator==(const Scale& o) const { return dpi_ == o.dpi_; }
    bool operator!=(const Scale& o) const { return dpi_ != o.dpi_; }

private:
    int dpi_;
};

}  // namespace ui
