// The times in the signed part of the program's entry in the version list: when the maker signed
// the list and until when it holds, as moments in UTC written "2026-12-08T07:49:40Z". A replayed
// older list is refused once its time is over, so a server that keeps serving an old list can hold
// the program back for no longer than one signing period.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace update {

// Seconds since 1970-01-01 00:00:00 UTC.
using UtcSeconds = int64_t;

// "YYYY-MM-DDTHH:MM:SSZ" exactly, with a real date and time of day; nothing for anything else.
std::optional<UtcSeconds> ParseListTime(const std::string& text);

// The computer's local time as UTC, by the time zone's bias and its daylight saving at that moment.
UtcSeconds UniversalTime(const platform::DateTime& local, const platform::TimeZone& zone);
// The program's clock, as UTC.
UtcSeconds UniversalNow(platform::Services& services);

// A computer's clock may be a little ahead of or behind the maker's: a list signed up to a day in
// the computer's future still holds.
constexpr UtcSeconds kClockSkewAllowed = 24 * 60 * 60;

// The list holds from when it was signed (less the skew allowed) until the end of its time.
bool ListHoldsAt(UtcSeconds signedAt, UtcSeconds validUntil, UtcSeconds now);

}  // namespace update
