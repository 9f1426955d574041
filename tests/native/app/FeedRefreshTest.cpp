// The quote feed in the refresh cycle, on the fake clock: asked when the page of the hour gives no
// quote, first once the page has failed three refreshes running, the page tried again every ten
// minutes; asked politely (once an interval, not while it holds us off); switched off in the registry.
#include "AppFixture.h"
#include "QuotePages.h"
#include "app/SourceOrder.h"
#include "fixtures/FeedAnswers.h"
#include "quotes/DayPoints.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

using fakes::FakeWeb;

class FeedRefreshTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        quotes::FeedDay = {};
        SetStored("Aantal seconden", 30);
    }
    // The feed's answer with a level and its last trade `second` seconds after ten.
    void ServeFeed(double level, int second) {
        const std::string meta = feed_test::Meta(level, feed_test::kMondayTen + second, 900.0);
        web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Body(feed_test::Answer(meta))});
    }
    void ServePage(const std::string& level) {
        web.Script(quotes::InvestingQuoteProfile().url, {FakeWeb::Body(InvestingPage(level, "+1,00", "+0,10%", "10:20:00"))});
    }
    // Moves the program's clock and the timers on to `second` seconds after ten, Monday 7 December,
    // a second at a time.
    void At(int second) {
        while (now_ < second) {
            ++now_;
            sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 10 + now_ / 3600, now_ / 60 % 60, now_ % 60);
            backend.Advance(1000);
        }
    }
    // The sources asked since the last look, in their order (the page's tries count once).
    std::string Asked() {
        std::string asked;
        for (size_t i = seen_; i < web.calls.size(); ++i) {
            const auto& call = web.calls[i];
            if (call.op != "OpenUrl") continue;
            if (call.text == quotes::QuoteFeedProfile().url) asked += "feed ";
            if (call.text == quotes::InvestingQuoteProfile().url && asked.rfind("page ") != asked.size() - 5)
                asked += "page ";
        }
        seen_ = web.calls.size();
        return asked;
    }
    app::TMainForm& StartAtTen() {
        sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 10, 0);
        auto& f = Start();
        At(1);  // the first refresh
        return f;
    }
    int now_ = 0;
    size_t seen_ = 0;
};

TEST_F(FeedRefreshTest, WhenThePageGivesNoQuoteTheFeedsLevelShowsInTheSameRefresh) {
    ServeFeed(905.125, 5);
    auto& f = StartAtTen();
    EXPECT_EQ(Asked(), "page feed ");
    EXPECT_EQ(f.Label1.Text(), "AEX: ");
    EXPECT_EQ(f.Label2.Text(), "905,12");
    EXPECT_EQ(f.Label3.Text(), " @ 10:00:05");
    EXPECT_EQ(quotes::FeedDay.year, 0) << "this answer has no points";

    // With the exchange closed the page is the IEX one; a level from the feed is still the AEX's.
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 18, 0);
    ServeFeed(906.5, 7);
    f.Download1Click();
    EXPECT_EQ(f.Label1.Text(), "AEX: ");
    EXPECT_EQ(f.Label2.Text(), "906,50");
}

TEST_F(FeedRefreshTest, NeitherGivingAQuoteShowsThePagesCode) {
    web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Body(feed_test::ErrorAnswer())});
    auto& f = StartAtTen();
    EXPECT_EQ(Asked(), "page feed ");
    EXPECT_EQ(f.Label2.Text(), " -1,00") << "the page's failed fetch, not the feed's rejected answer";
}

TEST_F(FeedRefreshTest, AfterThreeFailedRefreshesTheFeedComesFirstAndThePageIsTriedEveryTenMinutes) {
    for (int n = 0; n < 60; ++n) ServeFeed(900 + n, n);
    auto& f = StartAtTen();
    EXPECT_EQ(Asked(), "page feed ");
    At(30);
    EXPECT_EQ(Asked(), "page feed ");
    At(60);
    EXPECT_EQ(Asked(), "page feed ");
    for (int t = 90; t < 660; t += 30) {
        At(t);
        EXPECT_EQ(Asked(), "feed ") << t;
    }
    At(660);  // ten minutes after the page's last try
    EXPECT_EQ(Asked(), "page feed ");
    for (int t = 690; t < 1260; t += 30) {
        At(t);
        EXPECT_EQ(Asked(), "feed ") << t;
    }
    EXPECT_EQ(f.Label1.Text(), "AEX: ");

    ServePage("910,00");
    At(1260);
    EXPECT_EQ(Asked(), "page ");
    EXPECT_EQ(f.Label2.Text(), "910,00");
    At(1290);  // the page delivered: first again
    EXPECT_EQ(Asked(), "page feed ");
}

TEST_F(FeedRefreshTest, TheFeedIsAskedOnceAnIntervalAndTheBarKeepsItsLevelMeanwhile) {
    ServeFeed(901, 1);
    auto& f = StartAtTen();
    EXPECT_EQ(Asked(), "page feed ");
    At(5);
    f.Download1Click();  // by hand, four seconds later
    EXPECT_EQ(Asked(), "page ");
    EXPECT_EQ(f.Label2.Text(), "901,00");
    At(27);
    f.Download1Click();  // 26 s after the request: still too soon with refreshes every 30 s
    EXPECT_EQ(Asked(), "page ");
    EXPECT_EQ(f.Label2.Text(), "901,00");
    ServeFeed(902, 30);
    At(30);  // the tick, 29 s after it: within the tick's leeway; the page has failed three times
    EXPECT_EQ(Asked(), "feed ");
    EXPECT_EQ(f.Label2.Text(), "902,00");
}

TEST_F(FeedRefreshTest, A429HoldsTheFeedOffForItsRetryAfterWhileTheBarKeepsTheLastLevel) {
    ServeFeed(901, 1);
    web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Answer(429, "Too Many Requests", {{"Retry-After", "100"}})});
    ServeFeed(903, 150);
    auto& f = StartAtTen();
    Asked();
    At(30);  // this refresh meets the 429: held off until 130 s
    EXPECT_EQ(Asked(), "page feed ");
    EXPECT_EQ(f.Label2.Text(), "901,00");
    At(60);
    EXPECT_EQ(Asked(), "page ");
    for (int t = 90; t <= 120; t += 30) {  // the feed first, held off: the page waits its ten minutes
        At(t);
        EXPECT_EQ(Asked(), "") << t;
        EXPECT_EQ(f.Label2.Text(), "901,00") << t;
    }
    At(150);
    EXPECT_EQ(Asked(), "feed ");
    EXPECT_EQ(f.Label2.Text(), "903,00");
}

TEST_F(FeedRefreshTest, SwitchedOffInTheRegistryTheFeedIsNeverAsked) {
    SetStoredText("Feed Aan", "0");
    ServeFeed(901, 1);
    auto& f = StartAtTen();
    EXPECT_EQ(Asked(), "page ");
    for (int t = 30; t <= 150; t += 30) {
        At(t);
        EXPECT_EQ(Asked(), "page ") << t;
    }
    EXPECT_EQ(f.Label2.Text(), " -1,00");
}

// The program's clock may go back (the end of summer time): nothing then waits for it to catch up.
TEST(SourceOrder, AClockThatGoesBackCountsAsTimeEnoughPassed) {
    app::SourceOrder order;
    const int64_t hour = 3600 * 1000;
    for (int n = 0; n < 3; ++n) {
        EXPECT_TRUE(order.PageFirst(1, 3 * hour));
        order.PageRead(3 * hour, false);
    }
    EXPECT_FALSE(order.PageFirst(1, 3 * hour + 1000));
    EXPECT_TRUE(order.PageFirst(1, 2 * hour + 1000)) << "an hour back";
    EXPECT_TRUE(order.PageFirst(0, 3 * hour + 2000)) << "the other page starts afresh";

    app::FeedPoliteness polite;
    polite.Asked(3 * hour);
    EXPECT_FALSE(polite.MayAsk(3 * hour + 1000, 30000));
    EXPECT_TRUE(polite.MayAsk(2 * hour, 30000));
    polite.HoldOff(3 * hour, 300);
    EXPECT_FALSE(polite.MayAsk(3 * hour + 299000, 30000));
    EXPECT_TRUE(polite.MayAsk(3 * hour + 300000, 30000));
}

}  // namespace
}  // namespace apptest
