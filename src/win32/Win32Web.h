// The web over WinINet: the platform::Web of the program.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace win32 {

// Puts the WinINet web into platform::Current().web.
void InstallWeb();

// The receive time-out in milliseconds that the next request gets: the process-wide value once a
// fetch has set one, before that Windows' own default.
uint32_t ReceiveTimeoutInEffect();

// The receive time-out an open URL handle of the WinINet web holds: as WinINet reports it, or,
// where it cannot (Wine), as it was set on the handle; 0 when it could not be set.
uint32_t ReceiveTimeoutOf(platform::Web::Handle url);

}  // namespace win32
