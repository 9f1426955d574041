// Times of day as the user's regional settings read and write them.
#pragma once

#include <optional>
#include <string>

namespace quotes {

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
};

// Hours and minutes, optionally seconds, separated by timeSeparator, with optional blanks around
// and an optional AM/PM after; nothing when the text is no valid time of day.
std::optional<TimeOfDay> ParseTimeOfDay(const std::string& text, char timeSeparator);

// The time written in a Windows time format picture: H HH h hh m mm s ss t tt, 'quoted' text, and
// every other character as it is.
std::string FormatTimeOfDay(const TimeOfDay& time, const std::string& format);

// The conversion error for a time text: "'17:6x' is not a valid time"; a text of more than 40
// characters is quoted as its first 40 and "...".
[[noreturn]] void ThrowNotAValidTime(const std::string& text);

}  // namespace quotes
