// Dates written in a Windows short date picture, as the user's regional settings give it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace update {

// d dd (day), M MM (month), y yy yyyy (year: last digit, last two, all), 'quoted' text, and every
// other character as it is. Longer runs (ddd, MMM: day and month names) are written as two-digit
// numbers, since the regional settings give us no names; "g" (era) is left out.
std::string FormatDate(const platform::DateTime& date, const std::string& format);

// The local date of a moment in UTC seconds (platform::Clock::UtcNow), in the user's short date
// format.
std::string ShortLocalDate(platform::Services& services, int64_t utcSeconds);

}  // namespace update
