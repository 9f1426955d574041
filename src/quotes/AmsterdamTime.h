// Moments given as Unix seconds (UTC), as the exchange's clock in Amsterdam shows them, whatever
// the computer's own time zone.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace quotes {

// The local time in Amsterdam: one hour ahead of UTC, two in summer time, which runs from the last
// Sunday of March to the last Sunday of October, changing at 01:00 UTC on both.
platform::DateTime AmsterdamTimeOf(int64_t unixSeconds);

}  // namespace quotes
