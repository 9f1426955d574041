#include <gtest/gtest.h>

#include "quotes/IndexQuote.h"
#include "quotes/TimeOfDay.h"

namespace {

using quotes::FormatTimeOfDay;
using quotes::ParseTimeOfDay;
using quotes::TimeOfDay;

std::string Read(const std::string& text, char separator = ':') {
    const auto t = ParseTimeOfDay(text, separator);
    if (!t) return "invalid";
    return std::to_string(t->hour) + "/" + std::to_string(t->minute) + "/" + std::to_string(t->second);
}

TEST(ParseTimeOfDay, HoursMinutesAndOptionalSeconds) {
    EXPECT_EQ(Read("17:35:02"), "17/35/2");
    EXPECT_EQ(Read("9:05"), "9/5/0");
    EXPECT_EQ(Read(" 0:00:00 "), "0/0/0");
    EXPECT_EQ(Read("23:59:59"), "23/59/59");
    EXPECT_EQ(Read("17.35.02", '.'), "17/35/2");
    EXPECT_EQ(Read("5:40:12 PM"), "17/40/12");
    EXPECT_EQ(Read("12:01 am"), "0/1/0");
}

TEST(ParseTimeOfDay, TextsThatAreNoTimeOfDay) {
    for (const char* text : {"", "17", "17:", "24:00", "17:60", "17:35:60", "17:35:02:01", "17.35", "a7:35", "17:35x",
                             "123:00", "13:00 PM", "0:10 AM", "17::35", "02/06/2026"})
        EXPECT_EQ(Read(text), "invalid") << text;
}

TEST(FormatTimeOfDay, WindowsTimePictures) {
    const TimeOfDay afternoon{17, 5, 9};
    const TimeOfDay morning{9, 5, 7};
    EXPECT_EQ(FormatTimeOfDay(afternoon, "HH:mm:ss"), "17:05:09");
    EXPECT_EQ(FormatTimeOfDay(morning, "HH:mm:ss"), "09:05:07");
    EXPECT_EQ(FormatTimeOfDay(morning, "H:mm:ss"), "9:05:07");
    EXPECT_EQ(FormatTimeOfDay(afternoon, "h:mm:ss tt"), "5:05:09 PM");
    EXPECT_EQ(FormatTimeOfDay(TimeOfDay{0, 0, 0}, "hh:mm:ss t"), "12:00:00 A");
    EXPECT_EQ(FormatTimeOfDay(afternoon, "HH.mm.ss"), "17.05.09");
    EXPECT_EQ(FormatTimeOfDay(afternoon, "HH'h'mm"), "17h05");
}

std::string MessageFor(const std::string& text) {
    try {
        quotes::ThrowNotAValidTime(text);
    } catch (const quotes::ConvertError& error) {
        return error.what();
    }
    return "no error";
}

TEST(NotAValidTime, TheMessageQuotesAtMost40CharactersOfTheText) {
    EXPECT_EQ(MessageFor("25:99"), "'25:99' is not a valid time");
    EXPECT_EQ(MessageFor(""), "'' is not a valid time");
    const std::string forty = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    ASSERT_EQ(forty.size(), 40u);
    EXPECT_EQ(MessageFor(forty), "'" + forty + "' is not a valid time");
    EXPECT_EQ(MessageFor(forty + "E"), "'" + forty + "...' is not a valid time");
    EXPECT_EQ(MessageFor(std::string(1 << 20, '9')), "'" + std::string(40, '9') + "...' is not a valid time");
}

}  // namespace
