// Containers and pictures: panels, group boxes, bevels, picture areas and the progress gauge.
#pragma once

#include <functional>
#include <string>

#include "ui/Bitmap.h"
#include "ui/Control.h"

namespace ui {

enum class BevelCut { None, Raised, Lowered };

class Panel : public Control {
public:
    Panel(Control* parent, std::string name);
    void SetBounds(int left, int top, int width, int height) override;
    bool alignBottom = false;
    bool alignClient = false;  // fills its parent
    // Keeps an aligned panel in its place when the parent's size changes.
    void Realign();
    BevelCut bevelOuter = BevelCut::Raised;
    BevelCut bevelInner = BevelCut::None;
    int bevelWidth = 1;
    int borderWidth = 0;      // space between the outer and the inner bevel
    bool singleBorder = false;  // a one-pixel line around everything
};

// Makes a picture of width by height pixels for a screen of this many dots per inch.
using Painter = std::function<Bitmap(int width, int height, int dpi)>;

// A picture area with a drawing surface of its own size (in the forms' units, 96 dpi).
class Image : public Control {
public:
    Image(Control* parent, std::string name);
    void SetBounds(int left, int top, int width, int height) override;
    // Draws the bitmap at (x, y) without scaling; what falls outside the surface is cut off. The
    // window shows the surface resampled to its scale.
    void Draw(const Bitmap& bitmap, int x, int y);
    // Shows what the painter makes, made for the window's own pixels at any scale, so that it is
    // never resampled: the window asks for it again whenever its size in pixels changes. The
    // surface takes it as made at 96 dpi; a later Draw goes on from there.
    void ShowPainted(Painter painter);
    bool Painted() const { return bool(painter_); }
    const Bitmap& Surface() const { return surface_; }
    // The painter's picture at the window's size and dpi now (the surface at 96 dpi); the surface
    // when nothing is painted.
    const Bitmap& DevicePicture();

private:
    Bitmap surface_;
    Painter painter_;
    Bitmap device_;
    int deviceDpi_ = 0;
};

// A frame with a caption around other controls.
class GroupBox : public Control {
public:
    GroupBox(Control* parent, std::string name);
};

// A progress bar showing how much of maxValue is done, with the percentage written on it.
class Gauge : public Control {
public:
    Gauge(Control* parent, std::string name);
    int MaxValue() const { return maxValue_; }
    int Progress() const { return progress_; }
    void SetMaxValue(int v);
    void SetProgress(int v);
    int PercentDone() const;
    Color foreColor = kBlack;

private:
    int maxValue_ = 100;
    int progress_ = 0;
};

enum class BevelShape { Frame, Box };

// A sunken frame or box drawn around other controls. Its window fills its whole area, so it lies
// behind its siblings (zOrder -1): what it frames shows whatever the order of declaration.
class Bevel : public Control {
public:
    Bevel(Control* parent, std::string name, BevelShape shape);
    BevelShape shape;
};

}  // namespace ui
