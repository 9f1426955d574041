// The web over WinINet: the platform::Web of the program.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace win32 {

// Puts the WinINet web into platform::Current().web.
void InstallWeb();

// The bounds an open URL handle of the WinINet web was given on its own handles.
platform::RequestBounds BoundsOf(platform::Web::Handle url);

}  // namespace win32
