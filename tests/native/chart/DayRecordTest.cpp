// The program's own points of the day: which trading day a reading belongs to, and the day file
// read back whole or not at all.
#include <gtest/gtest.h>

#include "chart/DayRecord.h"

namespace {

TEST(DayRecord, AReadingBelongsToTodayOnlyFromTheOpeningOfATradingDay) {
    const auto day = [](int month, int day, int hour) {
        const support::Date d = chart::TradingDayAt(platform::DateTime{2026, month, day, hour});
        return d.month * 100 + d.day;
    };
    EXPECT_EQ(day(12, 7, 9), 1207);   // a Monday at the opening
    EXPECT_EQ(day(12, 7, 8), 1204);   // before it: Friday's day
    EXPECT_EQ(day(12, 5, 12), 1204);  // a Saturday
    EXPECT_EQ(day(4, 7, 8), 402);     // early on the Tuesday after Easter: the Thursday before
}

TEST(DayRecord, AFileThatIsNotWhollyADayFileReadsAsNoDay) {
    quotes::DayPoints day;
    for (int minute = 560; minute >= 540; --minute) chart::AddReading(day, {2026, 12, 7}, minute, 900 + minute % 7, 0);
    chart::AddReading(day, {2026, 12, 7}, 545, 902.25, 898.5);  // a minute's latest reading is kept
    const std::string text = chart::DayFileText(day);
    const quotes::DayPoints read = chart::ReadDayFile(text);
    ASSERT_EQ(read.points.size(), 21u);
    EXPECT_EQ(read.points[5].level, 902.25);
    EXPECT_EQ(read.previousClose, 898.5);
    for (size_t cut = 0; cut < text.size(); ++cut) ASSERT_EQ(chart::ReadDayFile(text.substr(0, cut)).year, 0) << cut;
    for (const char* other : {"\x89PNG\r\n\x1a\n", "QuodoDay 1\n20261307 0 0\n", "QuodoDay 1\n20261207 0 1\n600 -5\n",
                              "QuodoDay 1\n20261207 0 2\n600 90000\n599 90100\n", "QuodoDay 1\n20261207 0 1\n600 9x0\n"})
        EXPECT_EQ(chart::ReadDayFile(other).year, 0) << other;
}

}  // namespace
