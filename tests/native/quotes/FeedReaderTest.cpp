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

// A UTC moment, and the Amsterdam time as month, day, hour, minute, second.
TEST(AmsterdamTime, IsOneHourAheadOfUtcInWinterAndTwoFromTheLastSundayOfMarchToTheLastOfOctober) {
    const std::pair<int64_t, std::vector<int>> cases[] = {
        {kMondayTen, {12, 7, 10, 0, 0}},
        {1774745999, {3, 29, 1, 59, 59}},  // 00:59:59 UTC on the last Sunday of March: still winter
        {1774746000, {3, 29, 3, 0, 0}},    // 01:00 UTC: the clocks go forward
        {1792889999, {10, 25, 2, 59, 59}}, // 00:59:59 UTC on the last Sunday of October: still summer
        {1792890000, {10, 25, 2, 0, 0}},   // 01:00 UTC: back to winter
    };
    for (const auto& [utc, expected] : cases) {
        const platform::DateTime t = quotes::AmsterdamTimeOf(utc);
        EXPECT_EQ((std::vector<int>{t.month, t.day, t.hour, t.minute, t.second}), expected) << utc;
    }
}

TEST_F(FeedReader, ATradingDayGivesTheLevelTheChangeTheAmsterdamTimeAndTheDaysPoints) {
    system.system.timeZone = platform::TimeZone{};
    system.system.timeZone.bias = 300;  // the computer in New York: no part in it
    // Out of order, a null, a text, a point of the day before, two in one minute, a level that is none.
    const std::string times = "[" + At(-50) + "," + At(-60) + "," + At(-55) + "," + At(-24 * 60) + "," + At(-45) +
                              "," + At(-45) + ",null," + At(-40) + ",\"x\"," + At(-35) + "]";
    const std::string closes = "[901,899.5,null,850,902,902.5,903,\"904\",905,-1,999]";
    const std::string meta = Meta("905.125", std::to_string(kMondayTen + 5), "900");
    const quotes::FeedOutcome outcome = Read(FakeWeb::Body(Answer(meta, times, closes)));
    EXPECT_TRUE(outcome.delivered);
    EXPECT_EQ(outcome.holdOffSeconds, 0u);
    EXPECT_TRUE(quotes_test::SameFields(IndexQuote, {"905,12", "5,12", "0,57%", "+", "10:00:05"}))
        << IndexQuote.LastPrice << " " << IndexQuote.AbsDiff << " " << IndexQuote.RelDiff;
    EXPECT_EQ((std::vector<int>{FeedDay.year, FeedDay.month, FeedDay.day}), (std::vector<int>{2026, 12, 7}));
    std::vector<std::pair<int, double>> points;
    for (const auto& p : FeedDay.points) points.push_back({p.minute, p.level});
    EXPECT_EQ(points, (std::vector<std::pair<int, double>>{{540, 899.5}, {550, 901}, {555, 902.5}}));
    EXPECT_EQ(FeedDay.previousClose, 900.0);
}

// Over a weekend the feed keeps giving Friday's close: its time says how old it is.
TEST_F(FeedReader, AtTheWeekendInSummerTheQuoteIsFridaysCloseAtItsAmsterdamTime) {
    quotes_test::UseEnglish(system.locale);
    system.clock.now = fakes::MakeDateTime(2026, 7, 4, 12, 0);  // Saturday
    const int64_t fridayClose = 1783090800 + 35 * 60 + 12;     // Friday 3 July, 17:35:12 in Amsterdam
    EXPECT_TRUE(Read(FakeWeb::Body(Answer(Meta(880.0, fridayClose, 888.8)))).delivered);
    EXPECT_TRUE(quotes_test::SameFields(IndexQuote, {"880.00", "-8.80", "-0.99%", "-", "5:35:12 PM"}))
        << IndexQuote.AbsDiff << " " << IndexQuote.QuoteTime;
    EXPECT_EQ(FeedDay.year, 0) << "an answer without points has no day";
}

TEST_F(FeedReader, AnAnswerWithoutAUsableQuoteIsRejectedAndChangesNothingElse) {
    const std::string time = std::to_string(kMondayTen);
    const std::string good = Answer(Meta("905.1", time, "900"));
    const std::pair<std::string, std::string> answers[] = {
        {feed_test::ErrorAnswer(), "an error object"},
        {"{\"chart\":{\"result\":null,\"error\":null}}", "a null result"},
        {"<!DOCTYPE html><html><head><title>Just a moment...</title></head><body></body></html>", "HTML with 200"},
        {Answer(Meta("\"905.1\"", time, "900")), "a level written as text"},
        {Answer(Meta("NaN", time, "900")), "NaN"},
        {Answer(Meta("-905.1", time, "900")), "a negative level"},
        {Answer("\"regularMarketPrice\":905.1"), "no time"},
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
    EXPECT_FALSE(Read(FakeWeb::Answer(500, good)).delivered);
    ExpectOnlyTheCode(quotes::kPageRejected, "a quote with status 500");
}

TEST_F(FeedReader, AFetchThatFailsIsCutShortOrMeetsA429Or503IsAFailedFetch) {
    const std::string good = Answer(Meta(905.1, kMondayTen, 900.0));
    EXPECT_FALSE(Read(FakeWeb::Refused()).delivered);
    ExpectOnlyTheCode(quotes::kFetchFailed, "refused");
    EXPECT_FALSE(Read(FakeWeb::CutAfter({good})).delivered);
    ExpectOnlyTheCode(quotes::kFetchFailed, "cut where it happens to be whole");

    // The feed's hold-off: its Retry-After in seconds, or five minutes; at most a day.
    const std::tuple<uint32_t, std::string, unsigned> answers[] = {
        {429, "120", 120}, {429, "", 300}, {503, "Wed, 09 Dec 2026 07:28:00 GMT", 300}, {429, "99999999999", 86400}};
    for (const auto& [status, retryAfter, holdOff] : answers) {
        std::map<std::string, std::string> headers;
        if (!retryAfter.empty()) headers["Retry-After"] = retryAfter;
        EXPECT_EQ(Read(FakeWeb::Answer(status, "Too Many Requests", headers)).holdOffSeconds, holdOff) << retryAfter;
        ExpectOnlyTheCode(quotes::kFetchFailed, std::to_string(status));
    }
}

}  // namespace
