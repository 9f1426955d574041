#include "update/ListVerdict.h"

#include "update/CheckHistory.h"
#include "update/DateFormat.h"
#include "update/ListMark.h"

namespace update {

ListVerdict JudgeVersionList(platform::Services& services, const std::string& resultText,
                             const std::string& productName, const std::string& versionText, const UpdateKeys& keys) {
    platform::Registry& registry = *services.registry;
    const UtcSeconds now = services.clock->UtcNow();
    const ListMark mark = ReadListMark(registry, productName);
    ListVerdict verdict;
    verdict.outcome = ReadVersionListText(resultText, productName, versionText, {*services.crypto, keys}, mark, now);
    // What cannot be stored leaves the check's outcome as it is.
    KeepBelieved(registry, productName, mark, verdict.outcome);
    if (IsGoodCheck(verdict.outcome.result)) RememberGoodCheck(registry, productName, now);
    if (const std::optional<ListValidity>& validity = verdict.outcome.validity)
        verdict.dates = {ShortLocalDate(services, now), ShortLocalDate(services, validity->signedAt),
                         ShortLocalDate(services, validity->validUntil)};
    return verdict;
}

std::optional<std::vector<std::string>> StaleNotice(platform::Services& services, const std::string& productName,
                                                    bool dutch, CheckResult result, const ClockDates& dates) {
    const std::optional<UtcSeconds> since = TakeStaleNotice(*services.registry, productName, services.clock->UtcNow());
    if (!since) return std::nullopt;
    return StaleNoticeLines(dutch, ShortLocalDate(services, *since), result, dates);
}

}  // namespace update
