// The times of the version list's signed part, and the program's clock read as UTC.
#include <gtest/gtest.h>

#include "fakes/FakeSystem.h"
#include "update/ListTime.h"

namespace {

using update::ParseListTime;

TEST(ListTime, OnlyARealUtcMomentInTheOneForm) {
    EXPECT_EQ(ParseListTime("1970-01-01T00:00:00Z"), 0);
    EXPECT_EQ(ParseListTime("2000-03-01T00:00:00Z"), 951868800);
    EXPECT_EQ(ParseListTime("2026-12-08T07:49:40Z"), 1796716180);
    EXPECT_EQ(ParseListTime("2024-02-29T23:59:59Z"), 1709251199);
    for (const char* bad : {"", "2026-12-08T07:49:40", "2026-12-08 07:49:40Z", "2026-12-08T07:49:40+01:00",
                            "2023-02-29T00:00:00Z", "2026-13-01T00:00:00Z", "2026-00-10T00:00:00Z",
                            "2026-12-00T00:00:00Z", "2026-12-08T24:00:00Z", "2026-12-08T07:60:00Z",
                            "2026-12-08T07:49:60Z", "2026-1a-08T07:49:40Z", "+026-12-08T07:49:40Z"})
        EXPECT_FALSE(ParseListTime(bad).has_value()) << bad;
}

TEST(ListTime, TheLocalClockAsUtcInWinterAndInSummer) {
    const platform::TimeZone zone = fakes::CentralEuropeanZone();
    EXPECT_EQ(update::UniversalTime(fakes::MakeDateTime(2026, 1, 5, 12, 0), zone),
              ParseListTime("2026-01-05T11:00:00Z"));
    EXPECT_EQ(update::UniversalTime(fakes::MakeDateTime(2026, 7, 1, 12, 0, 30), zone),
              ParseListTime("2026-07-01T10:00:30Z"));
    platform::TimeZone newYork;
    newYork.bias = 300;
    EXPECT_EQ(update::UniversalTime(fakes::MakeDateTime(2026, 12, 31, 22, 0), newYork),
              ParseListTime("2027-01-01T03:00:00Z"));
}

}  // namespace
