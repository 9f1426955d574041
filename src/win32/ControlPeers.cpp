#include "win32/ControlPeers.h"

#include "ui/Controls.h"
#include "win32/FormPeer.h"

namespace win32 {

std::unique_ptr<WindowPeer> MakePeer(Win32Backend& backend, ui::Control& c) {
    std::unique_ptr<WindowPeer> peer;
    switch (c.Kind()) {
        case ui::ControlKind::Form: peer = std::make_unique<FormPeer>(backend, static_cast<ui::Form&>(c)); break;
        case ui::ControlKind::Label: peer = MakeLabelPeer(backend, c); break;
        case ui::ControlKind::SpeedButton:
        case ui::ControlKind::CheckBox:
        case ui::ControlKind::RadioButton:
        case ui::ControlKind::Button: peer = MakeButtonPeer(backend, c); break;
        case ui::ControlKind::SpinEdit:
        case ui::ControlKind::Memo: peer = MakeFieldPeer(backend, c); break;
        case ui::ControlKind::Panel:
        case ui::ControlKind::Image:
        case ui::ControlKind::GroupBox:
        case ui::ControlKind::Bevel:
        case ui::ControlKind::Gauge: peer = MakeContainerPeer(backend, c); break;
    }
    peer->Create();
    return peer;
}

}  // namespace win32
