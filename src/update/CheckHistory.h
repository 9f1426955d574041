// What the update remembers of its checks, so that a program whose checks keep failing says so
// instead of staying silent for ever (a list that is blocked, has run out or is refused, a server
// that is gone, a clock that is wrong): the automatic check tells the user once when no check has
// succeeded for 45 days, and again after each further 45 days.
//
//   HKEY_CURRENT_USER\Software\<product>\Update
//     "LastGoodCheck"    REG_SZ  the last check that succeeded (up to date or an update advised)
//     "FirstCheck"       REG_SZ  the first failed check of a program that never had a good one
//     "StaleNoticeShown" REG_SZ  when the user was last told
// each a list time such as 2026-12-08T07:49:40Z.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"
#include "update/ListTime.h"

namespace update {

constexpr UtcSeconds kStaleAfter = 45 * kSecondsPerDay;

// A check succeeded now.
void RememberGoodCheck(platform::Registry& registry, const std::string& productName, UtcSeconds now);

// An automatic check failed now: when the user is to be told, the moment since which no check
// succeeded (the last good check, or the first check of all), and the telling is remembered;
// nothing otherwise. A moment remembered in the clock's future (a clock that was ahead, or is set
// back) counts from now, so that a wrong clock once never silences the notice for long.
std::optional<UtcSeconds> TakeStaleNotice(platform::Registry& registry, const std::string& productName,
                                          UtcSeconds now);

}  // namespace update
