#include "update/ListTime.h"

#include <cstdio>

#include "support/ClockStart.h"

namespace update {

std::optional<UtcSeconds> ParseListTime(const std::string& text) {
    // The clock seam's form with a "T" between date and time, and "Z" for UTC.
    if (text.size() != 20 || text[10] != 'T' || text[19] != 'Z') return std::nullopt;
    std::string local = text.substr(0, 19);
    local[10] = ' ';
    const std::optional<platform::DateTime> moment = support::ParseClockStart(local);
    if (!moment) return std::nullopt;
    return support::SecondsSince1970(*moment);
}

std::string ListTimeText(UtcSeconds moment) {
    const platform::DateTime t = support::MomentAfter1970(moment);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

bool IsSoundValidity(UtcSeconds signedAt, UtcSeconds validUntil) {
    return signedAt <= validUntil && validUntil - signedAt <= kLongestValidity;
}

bool ListHoldsAt(UtcSeconds validUntil, UtcSeconds now) { return now <= validUntil; }

}  // namespace update
