// The quote feed's reader: answers into the quote and the day, Amsterdam time whatever the computer's
// zone, no usable quote, failed fetches. How the feed is asked is checked end to end, against WinINet.
#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "fixtures/FeedAnswers.h"
#include "quotes/AmsterdamTime.h"
#include "quotes/Download_AEX_Feed.h"
#include "quotes/Fetch.h"

namespace {

using fakes::FakeWeb;
using feed_test::Answer;
using feed_test::kMondayTen;
using feed_test::Meta;
using quotes::FeedDay;
using quotes::IndexQuote;

std::string At(int64_t minutesAfterTen) { return std::to_string(kMondayTen + minutesAfterTen * 60); }

class FeedReader : public quotes_test::ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        FeedDay = quotes::DayPoints{2026, 12, 4, {{600, 800.0}}, 0};
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
        EXPECT_EQ(FeedDay.day, 4) << why;
        IndexQuote = quotes_test::EarlierQuote();
    }
};

// Amsterdam is an hour ahead of UTC in winter, two from the last Sunday of March to the last of
// October, switching at 01:00 UTC: the month, day, hour and minute on either side of each switch.
TEST(AmsterdamTime, SwitchesAtOneOClockUtcOnTheLastSundaysOfMarchAndOctober) {
    const std::pair<int64_t, std::vector<int>> cases[] = {{1774745999, {3, 29, 1, 59}}, {1774746000, {3, 29, 3, 0}},
                                                          {1792889999, {10, 25, 2, 59}}, {1792890000, {10, 25, 2, 0}}};
    for (const auto& [utc, expected] : cases) {
        const platform::DateTime t = quotes::AmsterdamTimeOf(utc);
        EXPECT_EQ((std::vector<int>{t.month, t.day, t.hour, t.minute}), expected) << utc;
    }
}

// Over a weekend the feed keeps giving Friday's close: its time says how old it is.
TEST_F(FeedReader, TheQuoteIsAtItsAmsterdamTimeOnATradingDayAndAtTheWeekendWithTheDaysPoints) {
    system.system.timeZone = platform::TimeZone{};
    system.system.timeZone.bias = 300;  // the computer in New York: no part in it
    // Out of order, a null, a text, a point of the day before, two in one minute, a level that is none.
    const std::string times = "[" + At(-50) + "," + At(-60) + "," + At(-55) + "," + At(-24 * 60) + "," + At(-45) +
                              "," + At(-45) + ",null," + At(-40) + ",\"x\"," + At(-35) + "]";
    const std::string closes = "[901,899.5,null,850,902,902.5,903,\"904\",905,-1,999]";
    EXPECT_TRUE(Read(FakeWeb::Body(Answer(Meta("905.125", kMondayTen + 5), times, closes))).delivered);
    EXPECT_TRUE(quotes_test::SameFields(IndexQuote, {"905,12", "5,12", "0,57%", "+", "10:00:05"})) << IndexQuote.AbsDiff;
    EXPECT_EQ((std::vector<int>{FeedDay.year, FeedDay.month, FeedDay.day}), (std::vector<int>{2026, 12, 7}));
    std::vector<std::pair<int, double>> points;
    for (const auto& p : FeedDay.points) points.push_back({p.minute, p.level});
    EXPECT_EQ(points, (std::vector<std::pair<int, double>>{{540, 899.5}, {550, 901}, {555, 902.5}}));
    EXPECT_EQ(FeedDay.previousClose, 900.0);

    quotes_test::UseEnglish(system.locale);
    system.clock.now = fakes::MakeDateTime(2026, 7, 4, 12, 0);  // Saturday
    const int64_t fridayClose = 1783090800 + 35 * 60 + 12;     // Friday 3 July, 17:35:12 in Amsterdam
    EXPECT_TRUE(Read(FakeWeb::Body(Answer(Meta("880", fridayClose, "888.8")))).delivered);
    EXPECT_TRUE(quotes_test::SameFields(IndexQuote, {"880.00", "-8.80", "-0.99%", "-", "5:35:12 PM"}))
        << IndexQuote.AbsDiff << " " << IndexQuote.QuoteTime;
    EXPECT_EQ(FeedDay.year, 0) << "an answer without points has no day";
}

// Without a quote only the code changes: "-2" for an answer that holds none, "-1" for a fetch that
// fails; after a 429 or 503 the feed is left alone for its Retry-After, or five minutes, a day at most.
TEST_F(FeedReader, AnAnswerWithoutAUsableQuoteOrAFailedFetchChangesOnlyTheCode) {
    const std::string good = Answer(Meta("905.1", kMondayTen));
    const auto busy = [](uint32_t status, const char* retryAfter) {
        std::map<std::string, std::string> headers;
        if (*retryAfter) headers["Retry-After"] = retryAfter;
        return FakeWeb::Answer(status, "Too Many Requests", headers);
    };
    const char *rejected = quotes::kPageRejected, *failed = quotes::kFetchFailed;
    const std::tuple<FakeWeb::Attempt, const char*, unsigned, std::string> cases[] = {
        {FakeWeb::Body(feed_test::kErrorAnswer), rejected, 0, "an error object"},
        {FakeWeb::Body("{\"chart\":{\"result\":null,\"error\":null}}"), rejected, 0, "a null result"},
        {FakeWeb::Body("<!DOCTYPE html><html><head><title>Just a moment...</title></head></html>"), rejected, 0, "HTML"},
        {FakeWeb::Body(Answer(Meta("\"905.1\"", kMondayTen))), rejected, 0, "a level written as text"},
        {FakeWeb::Body(Answer(Meta("NaN", kMondayTen))), rejected, 0, "NaN"},
        {FakeWeb::Body(Answer(Meta("-905.1", kMondayTen))), rejected, 0, "a negative level"},
        {FakeWeb::Body(Answer("\"regularMarketPrice\":905.1")), rejected, 0, "no time"},
        {FakeWeb::Body(good.substr(0, good.size() - 3)), rejected, 0, "a cut answer"},
        {FakeWeb::Body(good + "<html>"), rejected, 0, "something after the answer"},
        {FakeWeb::Body("{\"chart\":{\"result\":[{\"meta\":{\"symbol\":\"^GSPC\"," + Meta("6000.5", kMondayTen) + "}}]}}"),
         rejected, 0, "another index"},
        {FakeWeb::Body(std::string(1000000, '[') + std::string(1000000, ']')), rejected, 0, "nested deeper than a stack"},
        {FakeWeb::Answer(500, good), rejected, 0, "a quote with status 500"},
        {FakeWeb::Refused(), failed, 0, "refused"},
        {FakeWeb::CutAfter({good}), failed, 0, "cut where it happens to be whole"},
        {busy(429, "120"), failed, 120, "429"},
        {busy(429, ""), failed, 300, "429 without Retry-After"},
        {busy(503, "Wed, 09 Dec 2026 07:28:00 GMT"), failed, 300, "503 with a date"},
        {busy(429, "99999999999"), failed, 86400, "429 for years"},
    };
    for (const auto& [answer, code, holdOff, why] : cases) {
        const quotes::FeedOutcome outcome = Read(answer);
        EXPECT_FALSE(outcome.delivered) << why;
        EXPECT_EQ(outcome.holdOffSeconds, holdOff) << why;
        ExpectOnlyTheCode(code, why);
    }
}

}  // namespace
