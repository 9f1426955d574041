#include "quotes/AmsterdamTime.h"

#include "support/ClockStart.h"
#include "support/Support.h"

namespace quotes {
namespace {

constexpr int64_t kDay = 86400;

// 01:00 UTC on the last Sunday of the month, in Unix seconds.
int64_t ChangeOfClocks(int year, int month) {
    const int lastDay = support::DaysInMonth(year, month);
    const int sunday = lastDay - support::DayOfWeek({year, month, lastDay});
    return support::DaysFromCivil(year, month, sunday) * kDay + 3600;
}

}  // namespace

platform::DateTime AmsterdamTimeOf(int64_t unixSeconds) {
    const int year = support::MomentAfter1970(unixSeconds).year;
    const bool summer = unixSeconds >= ChangeOfClocks(year, 3) && unixSeconds < ChangeOfClocks(year, 10);
    return support::MomentAfter1970(unixSeconds + (summer ? 7200 : 3600));
}

}  // namespace quotes
