#include <gtest/gtest.h>

#include "support/ClockStart.h"

namespace {
std::string Text(const platform::DateTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d w%d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond, t.dayOfWeek);
    return buffer;
}
}  // namespace

TEST(ClockStart, ReadsAFullDateAndTime) {
    const auto start = support::ParseClockStart("2026-04-03 17:29:55");
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(Text(*start), "2026-04-03 17:29:55.000 w5");
    EXPECT_EQ(Text(*support::ParseClockStart("2024-02-29 00:00:00")), "2024-02-29 00:00:00.000 w4");
}

TEST(ClockStart, RefusesOtherTextsAndImpossibleMoments) {
    for (const char* text : {"", "2026-04-03", "2026-04-03 17:29", "2026-04-03T17:29:55", "2026-4-3 17:29:55",
                             " 2026-04-03 17:29:55", "2026-04-03 17:29:55 ", "2026-13-01 00:00:00",
                             "2026-00-10 00:00:00", "2025-02-29 00:00:00", "2026-04-31 00:00:00",
                             "2026-04-03 24:00:00", "2026-04-03 23:60:00", "2026-04-03 23:59:60",
                             "2026-04-03 +1:00:00", "abcd-ef-gh ij:kl:mn"}) {
        EXPECT_FALSE(support::ParseClockStart(text).has_value()) << text;
    }
}

TEST(ClockStart, RunsOnAcrossSecondsDaysMonthsAndYears) {
    const auto start = *support::ParseClockStart("2026-12-31 23:59:58");
    EXPECT_EQ(Text(support::AddMilliseconds(start, 0)), "2026-12-31 23:59:58.000 w4");
    EXPECT_EQ(Text(support::AddMilliseconds(start, 1500)), "2026-12-31 23:59:59.500 w4");
    EXPECT_EQ(Text(support::AddMilliseconds(start, 2000)), "2027-01-01 00:00:00.000 w5");
    EXPECT_EQ(Text(support::AddMilliseconds(start, 86400000LL * 59 + 2000)), "2027-03-01 00:00:00.000 w1");
    EXPECT_EQ(Text(support::AddMilliseconds(start, -86400000LL)), "2026-12-30 23:59:58.000 w3");

    const auto friday = *support::ParseClockStart("2026-04-03 17:29:55");
    EXPECT_EQ(Text(support::AddMilliseconds(friday, 5000 + 3 * 3600000LL)), "2026-04-03 20:30:00.000 w5");
    EXPECT_EQ(Text(support::AddMilliseconds(friday, 366LL * 86400000)), "2027-04-04 17:29:55.000 w0");
}
