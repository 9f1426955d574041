#include "update/CheckHistory.h"

#include <algorithm>

#include "update/ListMark.h"

namespace update {
namespace {

constexpr const char* kLastGoodValue = "LastGoodCheck";
constexpr const char* kFirstCheckValue = "FirstCheck";
constexpr const char* kNoticeValue = "StaleNoticeShown";

// The stored moment, brought back to now when it lies in the clock's future.
std::optional<UtcSeconds> ReadPast(platform::Registry& registry, const std::string& productName,
                                   const std::string& name, UtcSeconds now) {
    const std::optional<UtcSeconds> moment = ReadStoredTime(registry, productName, name);
    if (!moment || *moment <= now) return moment;
    StoreTime(registry, productName, name, now);
    return now;
}

}  // namespace

void RememberGoodCheck(platform::Registry& registry, const std::string& productName, UtcSeconds now) {
    StoreTime(registry, productName, kLastGoodValue, now);
}

std::optional<UtcSeconds> TakeStaleNotice(platform::Registry& registry, const std::string& productName,
                                          UtcSeconds now) {
    std::optional<UtcSeconds> since = ReadPast(registry, productName, kLastGoodValue, now);
    if (!since) since = ReadPast(registry, productName, kFirstCheckValue, now);
    if (!since) {
        StoreTime(registry, productName, kFirstCheckValue, now);
        return std::nullopt;
    }
    const std::optional<UtcSeconds> told = ReadPast(registry, productName, kNoticeValue, now);
    if (now - std::max(*since, told.value_or(*since)) < kStaleAfter) return std::nullopt;
    // Told once: a notice that cannot be remembered would come at every check.
    if (!StoreTime(registry, productName, kNoticeValue, now)) return std::nullopt;
    return since;
}

}  // namespace update
