// The quote feed's reader: its answers read into the quote and the day, the Amsterdam time whatever
// the computer's zone, what is no usable quote, and the fetch (one polite try, 429 and 503).
#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "fixtures/FeedAnswers.h"
#include "quotes/AmsterdamTime.h"
#include "quotes/DayPoints.h"
#include "quotes/Download_AEX_Feed.h"
#include "quotes/Fetch.h"

namespace {

using fakes::FakeWeb;
using feed_test::Answer;
using feed_test::Array;
using feed_test::kMinute;
using feed_test::kMondayTen;
using feed_test::Meta;
using quotes::IndexQuote;

const quotes::FeedFormat kDutch{',', "HH:mm:ss"};

quotes::DayPoints SomeDay() {
    quotes::DayPoints day;
    day.year = 2026, day.month = 12, day.day = 4;
    day.points = {{600, 800.0}};
    return day;
}

class FeedReader : public quotes_test::ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        quotes::FeedDay = SomeDay();
    }
    quotes::FeedOutcome Read(FakeWeb::Attempt answer) {
        web.Script(quotes::QuoteFeedProfile().url, {std::move(answer)});
        return platform::RunSync(quotes::Download_AEX_Feed());
    }
    // Only LastPrice tells the failure; the rest of the quote and the day stay as they were.
    void ExpectOnlyTheCode(const char* code, const std::string& why) {
        quotes::IndexQuoteRecord expected = quotes_test::EarlierQuote();
        expected.LastPrice = code;
        EXPECT_TRUE(quotes_test::SameFields(IndexQuote, expected)) << why << ": " << IndexQuote.LastPrice;
        EXPECT_EQ(quotes::FeedDay.points.size(), 1u) << why;
        IndexQuote = quotes_test::EarlierQuote();
    }
};

TEST(AmsterdamTime, IsOneHourAheadOfUtcInWinterAndTwoFromTheLastSundayOfMarchToTheLastOfOctober) {
    struct Case { int64_t utc; int month, day, hour, minute, second; };
    const Case cases[] = {
        {kMondayTen, 12, 7, 10, 0, 0},
        {1774745999, 3, 29, 1, 59, 59},      // 00:59:59 UTC on the last Sunday of March: still winter
        {1774745999 + 1, 3, 29, 3, 0, 0},    // 01:00 UTC: the clocks go forward
        {1792889999, 10, 25, 2, 59, 59},     // 00:59:59 UTC on the last Sunday of October: still summer
        {1792889999 + 1, 10, 25, 2, 0, 0},   // 01:00 UTC: back to winter
        {1783324800, 7, 6, 10, 0, 0},        // a summer Monday, 08:00 UTC
        {1798758000 - 1, 12, 31, 23, 59, 59},  // the last second of 2026 in Amsterdam
    };
    for (const Case& c : cases) {
        const platform::DateTime t = quotes::AmsterdamTimeOf(c.utc);
        EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
                  (std::vector<int>{2026, c.month, c.day, c.hour, c.minute, c.second}))
            << c.utc;
    }
    EXPECT_EQ(quotes::AmsterdamTimeOf(kMondayTen).dayOfWeek, 1);
}

TEST_F(FeedReader, ATradingDayGivesTheLevelTheChangeTheAmsterdamTimeAndTheDaysPoints) {
    // The computer's own zone plays no part: the time is Amsterdam's.
    system.system.timeZone = platform::TimeZone{};
    system.system.timeZone.bias = 300;  // New York, without summer time
    const std::string times = Array({std::to_string(kMondayTen - 60 * kMinute), std::to_string(kMondayTen - 55 * kMinute),
                                     std::to_string(kMondayTen - 50 * kMinute)});
    const quotes::FeedOutcome outcome =
        Read(FakeWeb::Body(Answer(Meta(905.125, kMondayTen + 5, 900.0), times, "[899.5,901.25,905.125]")));
    EXPECT_TRUE(outcome.delivered);
    EXPECT_EQ(outcome.holdOffSeconds, 0u);
    EXPECT_EQ(IndexQuote.LastPrice, "905,12") << "an exact half goes to the even hundredth";
    EXPECT_EQ(IndexQuote.AbsDiff, "5,12");
    EXPECT_EQ(IndexQuote.Sign, "+");
    EXPECT_EQ(IndexQuote.RelDiff, "0,57%");
    EXPECT_EQ(IndexQuote.QuoteTime, "10:00:05");

    const quotes::DayPoints& day = quotes::FeedDay;
    EXPECT_EQ((std::vector<int>{day.year, day.month, day.day}), (std::vector<int>{2026, 12, 7}));
    ASSERT_EQ(day.points.size(), 3u);
    EXPECT_EQ(day.points[0].minute, 9 * 60);
    EXPECT_EQ(day.points[0].level, 899.5);
    EXPECT_EQ(day.points[2].minute, 9 * 60 + 10);
    EXPECT_EQ(day.previousClose, 900.0);
}

TEST_F(FeedReader, AFallingSummerDayInAnEnglishLocale) {
    quotes_test::UseEnglish(system.locale);
    const int64_t summerAfternoon = 1783324800 + 6 * 3600 + 30 * kMinute + 7;  // 16:30:07 in Amsterdam
    EXPECT_TRUE(Read(FakeWeb::Body(Answer(Meta(880.0, summerAfternoon, 888.8)))).delivered);
    EXPECT_EQ(IndexQuote.LastPrice, "880.00");
    EXPECT_EQ(IndexQuote.AbsDiff, "-8.80");
    EXPECT_EQ(IndexQuote.Sign, "-");
    EXPECT_EQ(IndexQuote.RelDiff, "-0.99%");
    EXPECT_EQ(IndexQuote.QuoteTime, "4:30:07 PM");
    EXPECT_EQ(quotes::FeedDay.year, 0) << "an answer without points has no day";
}

// Over a weekend the feed keeps giving Friday's close: its time says how old it is.
TEST_F(FeedReader, AtTheWeekendTheQuoteIsFridaysWithFridaysTimeAndDay) {
    system.clock.now = fakes::MakeDateTime(2026, 12, 5, 12, 0);  // Saturday
    const int64_t fridayClose = 1796402112;                     // Friday 17:35:12 in Amsterdam
    const std::string times = Array({std::to_string(fridayClose - 65 * kMinute - 12)});
    EXPECT_TRUE(Read(FakeWeb::Body(Answer(Meta(899.0, fridayClose, 899.0), times, "[898.75]"))).delivered);
    EXPECT_EQ(IndexQuote.QuoteTime, "17:35:12");
    EXPECT_EQ(IndexQuote.AbsDiff, "0,00");
    EXPECT_EQ(IndexQuote.Sign, "");
    EXPECT_EQ((std::vector<int>{quotes::FeedDay.month, quotes::FeedDay.day}), (std::vector<int>{12, 4}));
    ASSERT_EQ(quotes::FeedDay.points.size(), 1u);
    EXPECT_EQ(quotes::FeedDay.points[0].minute, 16 * 60 + 30);
}

TEST_F(FeedReader, PointsAreKeptInTimeOrderOneAMinuteWithoutNullsOrOtherDays) {
    const auto at = [](int64_t minutes) { return std::to_string(kMondayTen + minutes * kMinute); };
    const std::string times = Array({at(-50), at(-60), at(-55), at(-24 * 60), at(-45), at(-45), "null", at(-40),
                                     "\"x\"", at(-35)});
    const std::string closes = Array({"901", "900", "null", "850", "902", "902.5", "903", "\"904\"", "905", "-1",
                                      "999"});  // one close more than there are times
    ASSERT_TRUE(Read(FakeWeb::Body(Answer(Meta(905.0, kMondayTen, 900.0), times, closes))).delivered);
    std::vector<std::pair<int, double>> points;
    for (const auto& p : quotes::FeedDay.points) points.push_back({p.minute, p.level});
    EXPECT_EQ(points, (std::vector<std::pair<int, double>>{{540, 900}, {550, 901}, {555, 902.5}}));
}

TEST_F(FeedReader, WithoutThePreviousCloseTheChangeReadsAsNone) {
    ASSERT_TRUE(Read(FakeWeb::Body(Answer(Meta("905.5", std::to_string(kMondayTen), "null")))).delivered);
    EXPECT_EQ(IndexQuote.LastPrice, "905,50");
    EXPECT_EQ(IndexQuote.AbsDiff, "0,00");
    EXPECT_EQ(IndexQuote.RelDiff, "0,00%");
    EXPECT_EQ(IndexQuote.Sign, "");
}

TEST_F(FeedReader, AnAnswerWithoutAUsableQuoteIsRejectedAndChangesNothingElse) {
    const std::string time = std::to_string(kMondayTen);
    const std::string good = Answer(Meta("905.1", time, "900"));
    const std::pair<std::string, std::string> answers[] = {
        {feed_test::ErrorAnswer(), "an error object"},
        {"{\"chart\":{\"result\":null,\"error\":null}}", "a null result"},
        {"{\"chart\":{\"result\":[],\"error\":null}}", "no result"},
        {"<!DOCTYPE html><html><head><title>Just a moment...</title></head><body>Checking your browser</body></html>",
         "HTML with 200"},
        {Answer(Meta("\"905.1\"", time, "900")), "a level written as text"},
        {Answer(Meta("null", time, "900")), "a null level"},
        {Answer(Meta("NaN", time, "900")), "NaN"},
        {Answer(Meta("1e999", time, "900")), "a number past any double"},
        {Answer(Meta("-905.1", time, "900")), "a negative level"},
        {Answer(Meta("9051000000", time, "900")), "a level of billions"},
        {Answer(Meta("905.1", "\"" + time + "\"", "900")), "a time written as text"},
        {Answer(Meta("905.1", time + ".5", "900")), "half a second"},
        {Answer(Meta("905.1", "17", "900")), "a time in 1970"},
        {Answer("\"regularMarketPrice\":905.1"), "no time"},
        {Answer("\"regularMarketTime\":" + time), "no level"},
        {good.substr(0, good.size() - 3), "a cut answer"},
        {good + "<html>", "something after the answer"},
        {"{\"chart\":{\"result\":[{\"meta\":{\"symbol\":\"^GSPC\"," + Meta("6000.5", time, "5990") + "}}]}}",
         "another index"},
        {std::string(1000000, '[') + std::string(1000000, ']'), "nested deeper than any stack"},
    };
    for (const auto& [body, why] : answers) {
        EXPECT_FALSE(Read(FakeWeb::Body(body)).delivered) << why;
        ExpectOnlyTheCode(quotes::kPageRejected, why);
    }
    // An error status with a body that reads as a quote is no quote either.
    EXPECT_FALSE(Read(FakeWeb::Answer(500, good)).delivered);
    ExpectOnlyTheCode(quotes::kPageRejected, "status 500");
}

TEST_F(FeedReader, AFetchThatFailsOrIsCutShortIsAFailedFetch) {
    const std::string good = Answer(Meta(905.1, kMondayTen, 900.0));
    EXPECT_FALSE(Read(FakeWeb::Refused()).delivered);
    ExpectOnlyTheCode(quotes::kFetchFailed, "refused");
    EXPECT_FALSE(Read(FakeWeb::CutAfter({good.substr(0, 120)})).delivered);
    ExpectOnlyTheCode(quotes::kFetchFailed, "cut body");
    EXPECT_FALSE(Read(FakeWeb::CutAfter({good})).delivered) << "cut where it happens to be whole";
    ExpectOnlyTheCode(quotes::kFetchFailed, "cut at the end");
}

TEST_F(FeedReader, A429Or503AsksToBeLeftAloneForItsRetryAfterOrFiveMinutes) {
    struct Case { uint32_t status; std::map<std::string, std::string> headers; unsigned holdOff; };
    const Case cases[] = {
        {429, {{"Retry-After", "120"}}, 120},
        {429, {}, 300},
        {503, {{"Retry-After", " 30 "}}, 30},
        {503, {{"Retry-After", "Wed, 09 Dec 2026 07:28:00 GMT"}}, 300},
        {429, {{"Retry-After", "99999999999999999999"}}, 24 * 3600},
        {429, {{"Retry-After", "-5"}}, 300},
    };
    for (const Case& c : cases) {
        const quotes::FeedOutcome outcome = Read(FakeWeb::Answer(c.status, "Too Many Requests", c.headers));
        EXPECT_FALSE(outcome.delivered);
        EXPECT_EQ(outcome.holdOffSeconds, c.holdOff) << c.status;
        ExpectOnlyTheCode(quotes::kFetchFailed, std::to_string(c.status));
    }
}

// One try, with a browser's agent and without cookies, asking for JSON over HTTPS.
TEST_F(FeedReader, TheFeedIsAskedOnceAsABrowserWithoutCookies) {
    Read(FakeWeb::Refused());
    const auto sessions = web.CallsOf("OpenSession");
    const auto opened = web.CallsOf("OpenUrl");
    ASSERT_EQ(sessions.size(), 1u);
    ASSERT_EQ(opened.size(), 1u) << "a failed try is not repeated";
    EXPECT_EQ(sessions[0].text.rfind("Mozilla/5.0 (Windows NT 10.0; Win64; x64)", 0), 0u);
    EXPECT_EQ(opened[0].text, "https://query1.finance.yahoo.com/v8/finance/chart/%5EAEX?range=1d&interval=5m");
    EXPECT_NE(opened[0].flags & platform::kFlagNoCookies, 0u);
    EXPECT_EQ(opened[0].headers, "Accept: application/json\r\n");
}

}  // namespace
