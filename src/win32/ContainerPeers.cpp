#include "win32/ControlPeers.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "chart/Glyphs.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "win32/Accessible.h"
#include "win32/FormPeer.h"
#include "win32/Painting.h"
#include "win32/Scoped.h"
#include "win32/Win32Backend.h"

namespace win32 {
namespace {

class PanelPeer : public WindowPeer {
public:
    PanelPeer(Win32Backend& b, ui::Panel& panel) : WindowPeer(b, panel), panel_(panel) {}

protected:
    WindowTraits Traits() const override { return {"TPanel", true, 0, WS_EX_CONTROLPARENT}; }
    void Paint(HDC dc, const RECT& client) override {
        FillBack(dc, client);
        RECT rc = client;
        if (panel_.singleBorder)
            Frame3D(dc, rc, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME), Px(1));
        Cut3D(dc, rc, panel_.bevelOuter, Px(panel_.bevelWidth));
        InflateRect(&rc, -Px(panel_.borderWidth), -Px(panel_.borderWidth));
        Cut3D(dc, rc, panel_.bevelInner, Px(panel_.bevelWidth));
    }

private:
    ui::Panel& panel_;
};

// The picture is drawn at the window's size: a painted one made for it, a drawn surface at another
// scale than 96 dpi through a copy resampled once for each new picture or size.
class ImagePeer : public WindowPeer {
public:
    ImagePeer(Win32Backend& b, ui::Image& image) : WindowPeer(b, image), image_(image) {}
    void Changed(ui::Aspect aspect) override {
        if (aspect == ui::Aspect::Image) scaled_ = ui::Bitmap();
        WindowPeer::Changed(aspect);
    }

protected:
    WindowTraits Traits() const override { return {"TImage", true, 0, 0}; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        const ui::Bitmap& surface = image_.Surface();
        if (image_.GetScale().IsIdentity() || image_.Painted()) {
            DrawSurface(dc, image_.DevicePicture());
            return;
        }
        const ui::Rect place = image_.DeviceBounds();
        const int width = place.right - place.left, height = place.bottom - place.top;
        if (scaled_.width != width || scaled_.height != height) scaled_ = ui::Resampled(surface, width, height);
        DrawSurface(dc, scaled_);
    }

private:
    ui::Image& image_;
    ui::Bitmap scaled_;
};

// A frame from the middle of the caption's height down, with the caption over its top edge.
class GroupBoxPeer : public WindowPeer {
public:
    using WindowPeer::WindowPeer;

protected:
    WindowTraits Traits() const override { return {"TGroupBox", true, 0, WS_EX_CONTROLPARENT}; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        Selected font(dc, Font());
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        RECT frame = rc;
        frame.top = metrics.tmHeight / 2;
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        const std::string& caption = control_.Text();
        if (caption.empty()) return;
        SIZE size{};
        GetTextExtentPoint32A(dc, caption.c_str(), int(caption.size()), &size);
        RECT text{Px(8), 0, Px(8) + size.cx, metrics.tmHeight};
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, Resolve(control_.ShownBackColor()));
        SetTextColor(dc, control_.Enabled() ? Resolve(control_.GetFont().color) : GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, caption.c_str(), int(caption.size()), &text, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT);
    }
};

class BevelPeer : public WindowPeer {
public:
    BevelPeer(Win32Backend& b, ui::Bevel& bevel) : WindowPeer(b, bevel), bevel_(bevel) {}

protected:
    WindowTraits Traits() const override { return {"TBevel", true, 0, 0}; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        RECT edge = rc;
        DrawEdge(dc, &edge, bevel_.shape == ui::BevelShape::Frame ? EDGE_ETCHED : BDR_SUNKENOUTER, BF_RECT);
    }

private:
    ui::Bevel& bevel_;
};

// A sunken bar filled from the left as far as the progress goes, with the percentage in its middle
// written dark on the empty part and light on the filled part.
class GaugePeer : public WindowPeer {
public:
    GaugePeer(Win32Backend& b, ui::Gauge& gauge) : WindowPeer(b, gauge), gauge_(gauge) {}

protected:
    WindowTraits Traits() const override { return {"TGauge", true, 0, 0}; }
    void Paint(HDC dc, const RECT& client) override {
        RECT rc = client;
        FillSolid(dc, rc, GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        const COLORREF back = Resolve(gauge_.BackColor()), fore = Resolve(gauge_.foreColor);
        const int filled = int((long long)(rc.right - rc.left) * gauge_.PercentDone() / 100);
        const RECT done{rc.left, rc.top, rc.left + filled, rc.bottom};
        const RECT rest{rc.left + filled, rc.top, rc.right, rc.bottom};
        FillSolid(dc, done, fore);
        FillSolid(dc, rest, back);
        const std::string text = std::to_string(gauge_.PercentDone()) + "%";
        Selected font(dc, Font());
        SetBkMode(dc, TRANSPARENT);
        for (const auto& [part, colour] : {std::pair{done, back}, std::pair{rest, fore}}) {
            GdiObject<HRGN> clip(CreateRectRgnIndirect(&part));
            SelectClipRgn(dc, clip.get());
            SetTextColor(dc, colour);
            RECT area = rc;
            DrawTextA(dc, text.c_str(), int(text.size()), &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        SelectClipRgn(dc, nullptr);
    }

private:
    ui::Gauge& gauge_;
};

}  // namespace

std::unique_ptr<WindowPeer> MakeContainerPeer(Win32Backend& backend, ui::Control& container) {
    switch (container.Kind()) {
        case ui::ControlKind::Panel: return std::make_unique<PanelPeer>(backend, static_cast<ui::Panel&>(container));
        case ui::ControlKind::Image: return std::make_unique<ImagePeer>(backend, static_cast<ui::Image&>(container));
        case ui::ControlKind::GroupBox: return std::make_unique<GroupBoxPeer>(backend, container);
        case ui::ControlKind::Bevel: return std::make_unique<BevelPeer>(backend, static_cast<ui::Bevel&>(container));
        default: return std::make_unique<GaugePeer>(backend, static_cast<ui::Gauge&>(container));
    }
}

}  // namespace win32
