#include "quotes/AmsterdamTime.h"

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

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

platform::DateTime AmsterdamTimeOf(int64_t unixSeconds) {
    const int year = support::CivilFromDays(FloorDiv(unixSeconds, kDay)).year;
    const bool summer = unixSeconds >= ChangeOfClocks(year, 3) && unixSeconds < ChangeOfClocks(year, 10);
    const int64_t local = unixSeconds + (summer ? 7200 : 3600);
    const int64_t days = FloorDiv(local, kDay);
    const int64_t secondOfDay = local - days * kDay;
    const support::Date date = support::CivilFromDays(days);

    platform::DateTime moment;
    moment.year = date.year;
    moment.month = date.month;
    moment.day = date.day;
    moment.hour = static_cast<int>(secondOfDay / 3600);
    moment.minute = static_cast<int>(secondOfDay / 60 % 60);
    moment.second = static_cast<int>(secondOfDay % 60);
    moment.millisecond = 0;
    moment.dayOfWeek = support::DayOfWeek(date);
    return moment;
}

}  // namespace quotes
