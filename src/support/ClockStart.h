// The clock's test seam: a start moment given as "YYYY-MM-DD HH:MM:SS" from which the clock runs
// on in real time, and the date arithmetic that moves a date and time forward or counts it in
// seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace support {

// The moment a text "YYYY-MM-DD HH:MM:SS" names; nothing for any other text or an impossible date.
std::optional<platform::DateTime> ParseClockStart(const std::string& text);

// The moment the given milliseconds after start (day of the week filled in).
platform::DateTime AddMilliseconds(const platform::DateTime& start, int64_t milliseconds);

// A date and time as seconds since 1970-01-01 00:00:00 of the same zone (its milliseconds left
// out), and back (day of the week filled in).
int64_t SecondsSince1970(const platform::DateTime& moment);
platform::DateTime MomentAfter1970(int64_t seconds);

}  // namespace support
