// The peers of the controls, by family: labels, buttons, fields, containers and pictures.
#pragma once

#include <memory>

#include "win32/WindowPeer.h"

namespace win32 {

// Makes the peer of the right kind for a control, with its window.
std::unique_ptr<WindowPeer> MakePeer(Win32Backend& backend, ui::Control& control);

// The peers of each family, for MakePeer.
std::unique_ptr<WindowPeer> MakeLabelPeer(Win32Backend& backend, ui::Control& label);
// Picture buttons, check boxes and radio buttons, push buttons.
std::unique_ptr<WindowPeer> MakeButtonPeer(Win32Backend& backend, ui::Control& button);
// Number fields and text boxes.
std::unique_ptr<WindowPeer> MakeFieldPeer(Win32Backend& backend, ui::Control& field);
// Panels, group boxes, bevels, picture areas, gauges.
std::unique_ptr<WindowPeer> MakeContainerPeer(Win32Backend& backend, ui::Control& container);

}  // namespace win32
