#include "update/ListTime.h"

#include "support/ClockStart.h"
#include "support/Support.h"

namespace update {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromEpoch(int year, int month, int day) {
    const int64_t y = month <= 2 ? int64_t(year) - 1 : year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// A moment's seconds since 1970-01-01 00:00:00, taken as a moment of the same zone.
UtcSeconds SecondsOf(const platform::DateTime& t) {
    return DaysFromEpoch(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace

std::optional<UtcSeconds> ParseListTime(const std::string& text) {
    // The clock seam's form with a "T" between date and time, and "Z" for UTC.
    if (text.size() != 20 || text[10] != 'T' || text[19] != 'Z') return std::nullopt;
    std::string local = text.substr(0, 19);
    local[10] = ' ';
    const std::optional<platform::DateTime> moment = support::ParseClockStart(local);
    if (!moment) return std::nullopt;
    return SecondsOf(*moment);
}

UtcSeconds UniversalTime(const platform::DateTime& local, const platform::TimeZone& zone) {
    // Windows' bias is what is added to local time to give UTC, in minutes.
    const long bias = zone.bias + (support::DaylightSavingAt(zone, local) ? zone.daylightBias : zone.standardBias);
    return SecondsOf(local) + int64_t(bias) * 60;
}

UtcSeconds UniversalNow(platform::Services& services) {
    return UniversalTime(services.clock->Now(), services.system->TimeZoneInformation());
}

bool ListHoldsAt(UtcSeconds signedAt, UtcSeconds validUntil, UtcSeconds now) {
    return signedAt - kClockSkewAllowed <= now && now <= validUntil;
}

}  // namespace update
