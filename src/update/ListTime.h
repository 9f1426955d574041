// The times in the program's entry in the version list: when the maker's freshness key signed the
// list and until when it holds, as moments in UTC written "2026-12-08T07:49:40Z". A list holds for
// at most 45 days, so one that is replayed once a newer exists is refused within that time; the
// program's clock is the system's UTC (platform::Clock::UtcNow).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace update {

// Seconds since 1970-01-01 00:00:00 UTC.
using UtcSeconds = int64_t;

constexpr UtcSeconds kSecondsPerDay = 24 * 60 * 60;
// The longest validity a list may carry: a list signed once cannot hold a program back for longer.
constexpr UtcSeconds kLongestValidity = 45 * kSecondsPerDay;

// "YYYY-MM-DDTHH:MM:SSZ" exactly, with a real date and time of day; nothing for anything else.
std::optional<UtcSeconds> ParseListTime(const std::string& text);
// The moment written as the list writes it.
std::string ListTimeText(UtcSeconds moment);

// A validity the program takes: it ends no earlier than it starts, and runs at most 45 days.
bool IsSoundValidity(UtcSeconds signedAt, UtcSeconds validUntil);

// The list still holds now. A computer whose clock is behind the maker's takes a list signed in its
// future: only the maker can sign a time, and a replayed list is an older one, which the mark of
// the newest list believed refuses (update/ListMark.h), so a start bound would only fail checks.
bool ListHoldsAt(UtcSeconds validUntil, UtcSeconds now);

}  // namespace update
