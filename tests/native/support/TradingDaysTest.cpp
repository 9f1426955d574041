#include <gtest/gtest.h>

#include "support/Support.h"

using support::Date;

namespace {
std::string Text(const Date& d) {
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}
}  // namespace

TEST(TradingDays, ExchangeHolidaysAreClosed) {
    for (const Date& d : {Date{2026, 4, 3}, Date{2026, 4, 6}, Date{2024, 3, 29}, Date{2024, 4, 1}, Date{2026, 5, 1},
                          Date{2026, 12, 25}, Date{2025, 12, 26}, Date{2027, 1, 1}}) {
        EXPECT_TRUE(support::IsNonTradingDay(d)) << Text(d);
    }
}

TEST(TradingDays, OtherHolidaysAndOrdinaryWeekdaysTrade) {
    // Maundy Thursday, Ascension Day, Christmas Eve, Whit Monday, King's Day, New Year's Eve.
    for (const Date& d : {Date{2026, 4, 2}, Date{2026, 5, 14}, Date{2026, 12, 24}, Date{2026, 5, 25},
                          Date{2026, 4, 27}, Date{2025, 12, 31}, Date{2026, 4, 7}}) {
        EXPECT_FALSE(support::IsNonTradingDay(d)) << Text(d);
    }
}

TEST(TradingDays, WeekendsAreClosed) {
    EXPECT_TRUE(support::IsNonTradingDay(Date{2026, 7, 4}));   // Saturday
    EXPECT_TRUE(support::IsNonTradingDay(Date{2026, 7, 5}));   // Sunday
    EXPECT_FALSE(support::IsNonTradingDay(Date{2026, 7, 6}));  // Monday
    EXPECT_FALSE(support::IsNonTradingDay(Date{2026, 7, 3}));  // Friday
}

TEST(TradingDays, TheTimeOfDayPlaysNoPart) {
    platform::DateTime goodFriday;
    goodFriday.year = 2026, goodFriday.month = 4, goodFriday.day = 3, goodFriday.hour = 23, goodFriday.minute = 59;
    EXPECT_TRUE(support::IsNonTradingDay(goodFriday));
    goodFriday.day = 2;
    EXPECT_FALSE(support::IsNonTradingDay(goodFriday));
}

TEST(TradingDays, GoodFridayAndEasterMondayCrossMonthEnds) {
    EXPECT_EQ(Text(support::EasterSunday(2008)), "2008-3-23");
    EXPECT_EQ(Text(support::EasterSunday(2285)), "2285-3-22");  // the earliest possible
    EXPECT_EQ(Text(support::EasterSunday(2038)), "2038-4-25");  // the latest possible
    EXPECT_TRUE(support::IsNonTradingDay(Date{2285, 3, 20}));   // Good Friday in March
    EXPECT_TRUE(support::IsNonTradingDay(Date{2038, 4, 26}));   // Easter Monday late in April
    // Easter on 1 April 2018: Good Friday is 30 March.
    EXPECT_TRUE(support::IsNonTradingDay(Date{2018, 3, 30}));
    EXPECT_TRUE(support::IsNonTradingDay(Date{2018, 4, 2}));
    // Easter on 31 March 2024: Easter Monday is 1 April.
    EXPECT_TRUE(support::IsNonTradingDay(Date{2024, 4, 1}));
    EXPECT_FALSE(support::IsNonTradingDay(Date{2024, 4, 2}));
}

TEST(Calendar, WeekdaysAndDaySteps) {
    EXPECT_EQ(support::DayOfWeek({2026, 4, 5}), 0);
    EXPECT_EQ(support::DayOfWeek({2000, 2, 29}), 2);
    EXPECT_EQ(support::DayOfWeek({1600, 1, 1}), 6);
    EXPECT_EQ(Text(support::AddDays({2024, 2, 28}, 1)), "2024-2-29");
    EXPECT_EQ(Text(support::AddDays({2100, 2, 28}, 1)), "2100-3-1");
    EXPECT_EQ(Text(support::AddDays({2026, 1, 1}, -1)), "2025-12-31");
    EXPECT_EQ(Text(support::AddDays({2026, 1, 1}, 365)), "2027-1-1");
    EXPECT_EQ(support::DaysInMonth(2000, 2), 29);
    EXPECT_EQ(support::DaysInMonth(1900, 2), 28);
    EXPECT_EQ(support::DaysInMonth(2026, 4), 30);
}
