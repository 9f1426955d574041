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

class LabelPeer : public WindowPeer {
public:
    LabelPeer(Win32Backend& b, ui::Label& label) : WindowPeer(b, label), label_(label) {}

protected:
    WindowTraits Traits() const override { return {"TLabel", true, 0, 0}; }
    long AccessibleRole() const override { return ROLE_SYSTEM_STATICTEXT; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        Selected font(dc, Font());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, label_.Enabled() ? Resolve(label_.GetFont().color) : GetSysColor(COLOR_GRAYTEXT));
        RECT text = rc;
        const UINT format = DT_NOPREFIX | (label_.centered ? DT_CENTER | DT_WORDBREAK : DT_LEFT | DT_SINGLELINE);
        DrawTextA(dc, label_.Text().c_str(), int(label_.Text().size()), &text, format);
    }

private:
    ui::Label& label_;
};

}  // namespace

std::unique_ptr<WindowPeer> MakeLabelPeer(Win32Backend& backend, ui::Control& label) {
    return std::make_unique<LabelPeer>(backend, static_cast<ui::Label&>(label));
}

}  // namespace win32
