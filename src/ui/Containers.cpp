#include "ui/Containers.h"

#include <algorithm>

#include "ui/Form.h"

namespace ui {

namespace {

// The area inside a parent that its children are placed in.
Size ClientSizeOf(const Control& parent) {
    if (parent.Kind() == ControlKind::Form) {
        const auto& form = static_cast<const Form&>(parent);
        return {form.ClientWidth(), form.ClientHeight()};
    }
    return {parent.Width(), parent.Height()};
}

}  // namespace

// --- Panel

Panel::Panel(Control* parent, std::string name) : Control(ControlKind::Panel, parent, std::move(name)) {}

void Panel::SetBounds(int left, int top, int width, int height) {
    if (parent_ && (alignBottom || alignClient)) {
        const Size area = ClientSizeOf(*parent_);
        left = 0;
        width = area.width;
        if (alignClient) {
            top = 0;
            height = area.height;
        } else {
            top = area.height - height;
        }
    }
    Control::SetBounds(left, top, width, height);
}

void Panel::Realign() { SetBounds(left_, top_, width_, height_); }

// --- Image

Image::Image(Control* parent, std::string name) : Control(ControlKind::Image, parent, std::move(name)) {}

void Image::SetBounds(int left, int top, int width, int height) {
    if (painter_ && (width != surface_.width || height != surface_.height)) {
        surface_ = painter_(std::max(width, 0), std::max(height, 0), kDesignDpi);
    } else if (width != surface_.width || height != surface_.height) {
        Bitmap resized;
        resized.width = std::max(width, 0);
        resized.height = std::max(height, 0);
        resized.pixels.assign(size_t(resized.width) * resized.height, 0xFFF5F5F5u);
        Blit(resized, surface_, 0, 0);
        surface_ = std::move(resized);
    }
    Control::SetBounds(left, top, width, height);
}

void Image::Draw(const Bitmap& bitmap, int x, int y) {
    painter_ = nullptr;
    device_ = Bitmap();
    Blit(surface_, bitmap, x, y);
    Changed(Aspect::Image);
}

void Image::ShowPainted(Painter painter) {
    painter_ = std::move(painter);
    device_ = Bitmap();
    surface_ = painter_(width_, height_, kDesignDpi);
    Changed(Aspect::Image);
}

const Bitmap& Image::DevicePicture() {
    const Scale scale = GetScale();
    if (!painter_ || scale.IsIdentity()) return surface_;
    const Rect place = DeviceBounds();
    const int width = place.right - place.left, height = place.bottom - place.top;
    if (device_.width != width || device_.height != height || deviceDpi_ != scale.Dpi()) {
        device_ = painter_(width, height, scale.Dpi());
        deviceDpi_ = scale.Dpi();
    }
    return device_;
}

GroupBox::GroupBox(Control* parent, std::string name) : Control(ControlKind::GroupBox, parent, std::move(name)) {}

Bevel::Bevel(Control* parent, std::string name, BevelShape shape)
    : Control(ControlKind::Bevel, parent, std::move(name)), shape(shape) {
    zOrder = -1;
}

// --- Gauge

Gauge::Gauge(Control* parent, std::string name) : Control(ControlKind::Gauge, parent, std::move(name)) {}

void Gauge::SetMaxValue(int v) {
    maxValue_ = std::max(v, 0);
    progress_ = std::min(progress_, maxValue_);
    Changed(Aspect::Progress);
}

// A progress beyond the end fills the bar; the bar never runs over.
void Gauge::SetProgress(int v) {
    v = std::clamp(v, 0, maxValue_);
    if (v == progress_) return;
    progress_ = v;
    Changed(Aspect::Progress);
}

int Gauge::PercentDone() const { return maxValue_ <= 0 ? 0 : int(100LL * progress_ / maxValue_); }

}  // namespace ui
