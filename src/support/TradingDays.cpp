// Calendar arithmetic and the days the exchange is closed.
#include "support/Support.h"

namespace support {
long long DaysFromCivil(int year, int month, int day) {
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

Date CivilFromDays(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

int DayOfWeek(const Date& date) {
    const long long days = DaysFromCivil(date.year, date.month, date.day);
    return static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
}

Date AddDays(const Date& date, int days) {
    return CivilFromDays(DaysFromCivil(date.year, date.month, date.day) + days);
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

Date DateOf(const platform::DateTime& moment) { return {moment.year, moment.month, moment.day}; }

// The anonymous Gregorian algorithm (Meeus, Jones and Butcher).
Date EasterSunday(int year) {
    const int a = year % 19, b = year / 100, n = year % 100;
    const int d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = n / 4, k = n % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int monthAndDay = h + l - 7 * m + 114;
    return {year, monthAndDay / 31, monthAndDay % 31 + 1};
}

bool IsNonTradingDay(const Date& date) {
    const int weekday = DayOfWeek(date);
    if (weekday == 0 || weekday == 6) return true;
    const int m = date.month, d = date.day;
    if ((m == 1 && d == 1) || (m == 5 && d == 1) || (m == 12 && (d == 25 || d == 26))) return true;
    const Date easter = EasterSunday(date.year);
    return date == AddDays(easter, -2) || date == AddDays(easter, 1);
}

bool IsNonTradingDay(const platform::DateTime& moment) { return IsNonTradingDay(DateOf(moment)); }

}  // namespace support
