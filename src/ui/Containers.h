// Containers and pictures: panels, group boxes, bevels, picture areas and the progress gauge.
#pragma once

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

// A picture area with a drawing surface of its own size.
class Image : public Control {
public:
    Image(Control* parent, std::string name);
    void SetBounds(int left, int top, int width, int height) override;
    // Draws the bitmap at (x, y) without scaling; what falls outside the surface is cut off.
    void Draw(const Bitmap& bitmap, int x, int y);
    const Bitmap& Surface() const { return surface_; }

private:
    Bitmap surface_;
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
