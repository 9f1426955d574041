// Prints every non-trading weekday (a day the exchange is closed that is no Saturday or Sunday)
// and the number of closed days per year, for comparison with an independent Easter computation.
#include <cstdio>
#include <cstdlib>

#include "support/Support.h"

int main(int argc, char** argv) {
    const int first = argc > 1 ? std::atoi(argv[1]) : 1600;
    const int last = argc > 2 ? std::atoi(argv[2]) : 2400;
    for (int year = first; year <= last; ++year) {
        int closed = 0;
        for (support::Date d{year, 1, 1}; d.year == year; d = support::AddDays(d, 1)) {
            if (!support::IsNonTradingDay(d)) continue;
            ++closed;
            const int weekday = support::DayOfWeek(d);
            if (weekday != 0 && weekday != 6) std::printf("%04d-%02d-%02d\n", d.year, d.month, d.day);
        }
        std::printf("year %04d %d\n", year, closed);
    }
    return 0;
}
