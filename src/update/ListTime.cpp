#include "update/ListTime.h"

#include "support/ClockStart.h"
#include "support/Support.h"

namespace update {

std::optional<UtcSeconds> ParseListTime(const std::string& text) {
    // The clock seam's form with a "T" between date and time, and "Z" for UTC.
    if (text.size() != 20 || text[10] != 'T' || text[19] != 'Z') return std::nullopt;
    std::string local = text.substr(0, 19);
    local[10] = ' ';
    const std::optional<platform::DateTime> moment = support::ParseClockStart(local);
    if (!moment) return std::nullopt;
    return support::SecondsSinceEpoch(*moment);
}

UtcSeconds UniversalTime(const platform::DateTime& local, const platform::TimeZone& zone) {
    // Windows' bias is what is added to local time to give UTC, in minutes.
    const long bias = zone.bias + (support::DaylightSavingAt(zone, local) ? zone.daylightBias : zone.standardBias);
    return support::SecondsSinceEpoch(local) + int64_t(bias) * 60;
}

UtcSeconds UniversalNow(platform::Services& services) {
    return UniversalTime(services.clock->Now(), services.system->TimeZoneInformation());
}

bool ListHoldsAt(UtcSeconds signedAt, UtcSeconds validUntil, UtcSeconds now) {
    return signedAt - kClockSkewAllowed <= now && now <= validUntil;
}

}  // namespace update
