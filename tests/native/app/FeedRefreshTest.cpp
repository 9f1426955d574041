// The quote feed in the refresh cycle, on the fake clock: when the page gives no quote, first after
// three failures with the page's ten-minute retry, politely, and switched off in the registry.
#include "AppFixture.h"
#include "QuotePages.h"
#include "fixtures/FeedAnswers.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

using fakes::FakeWeb;

class FeedRefreshTest : public AppTest {
protected:
    void ServeFeed(double level, int second) {
        const std::string meta = feed_test::Meta(level, feed_test::kMondayTen + second, 900.0);
        web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Body(feed_test::Answer(meta))});
    }
    // The program's clock and the timers on to `second` seconds after ten, a second at a time.
    void At(int second) {
        for (; now_ < second; backend.Advance(1000)) {
            ++now_;
            sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 10 + now_ / 3600, now_ / 60 % 60, now_ % 60);
        }
    }
    // The sources asked since the last look, in their order (a page's tries count once).
    std::string Asked() {
        std::string asked;
        for (; seen_ < web.calls.size(); ++seen_) {
            const std::string& url = web.calls[seen_].op == "OpenUrl" ? web.calls[seen_].text : "";
            if (url == quotes::QuoteFeedProfile().url) asked += "feed ";
            const bool page = url == quotes::InvestingQuoteProfile().url || url == quotes::IexQuoteProfile().url;
            if (page && asked.rfind("page ") != asked.size() - 5) asked += "page ";
        }
        return asked;
    }
    app::TMainForm& StartAtTen() {
        SetStored("Aantal seconden", 30);
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
    EXPECT_EQ(f.Label1.Text() + f.Label2.Text() + f.Label3.Text(), "AEX: 905,12 @ 10:00:05");

    // With the exchange closed the page is the IEX one; a level from the feed is still the AEX's.
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 18, 0);
    ServeFeed(906.5, 7);
    f.Download1Click();
    EXPECT_EQ(f.Label1.Text() + f.Label2.Text(), "AEX: 906,50");

    // Neither giving a quote: the page's failed fetch shows, not the feed's rejected answer.
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 18, 1);
    web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Body(feed_test::ErrorAnswer())});
    f.Download1Click();
    EXPECT_EQ(f.Label1.Text() + f.Label2.Text(), "IEX25:  -1,00");

    // Switched off in the registry, the feed is not asked.
    SetStoredText("Feed Aan", "0");
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 18, 2);
    ServeFeed(907, 9);
    f.Download1Click();
    EXPECT_EQ(Asked(), "page feed page feed page ");
    EXPECT_EQ(f.Label2.Text(), " -1,00");
}

TEST_F(FeedRefreshTest, AfterThreeFailedRefreshesTheFeedComesFirstAndThePageIsTriedEveryTenMinutes) {
    for (int n = 0; n < 60; ++n) ServeFeed(900 + n, n);
    auto& f = StartAtTen();
    for (int t = 30; t <= 60; t += 30) At(t);
    EXPECT_EQ(Asked(), "page feed page feed page feed ");
    for (int t = 90; t < 660; t += 30) {
        At(t);
        EXPECT_EQ(Asked(), "feed ") << t;
    }
    At(660);  // ten minutes after the page's last try
    EXPECT_EQ(Asked(), "page feed ");
    for (int t = 690; t < 1260; t += 30) At(t);
    EXPECT_EQ(Asked().find("page"), std::string::npos);

    web.Script(quotes::InvestingQuoteProfile().url, {FakeWeb::Body(InvestingPage("910,00", "+1,00", "+0,10%", "10:21:00"))});
    At(1260);
    EXPECT_EQ(Asked(), "page ");
    EXPECT_EQ(f.Label2.Text(), "910,00");
    At(1290);  // the page delivered: first again
    EXPECT_EQ(Asked(), "page feed ");
}

TEST_F(FeedRefreshTest, TheFeedIsNotAskedWithinAnIntervalNorWhileA429HoldsItOffAndTheBarKeepsItsLevel) {
    ServeFeed(901, 1);
    web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Answer(429, "Too Many Requests", {{"Retry-After", "100"}})});
    ServeFeed(903, 150);
    auto& f = StartAtTen();
    EXPECT_EQ(Asked(), "page feed ");
    At(26);
    f.Download1Click();  // by hand, 25 s after the request, with refreshes every 30 s
    EXPECT_EQ(Asked(), "page ");
    EXPECT_EQ(f.Label2.Text(), "901,00");
    At(30);  // the tick, 29 s after it, within its leeway: the feed answers 429, held off until 130 s
    EXPECT_EQ(Asked(), "page feed ");
    EXPECT_EQ(f.Label2.Text(), "901,00");
    for (int t = 60; t <= 120; t += 30) {  // the feed first now, held off; the page waits its ten minutes
        At(t);
        EXPECT_EQ(Asked(), "") << t;
        EXPECT_EQ(f.Label2.Text(), "901,00") << t;
    }
    At(150);
    EXPECT_EQ(Asked(), "feed ");
    EXPECT_EQ(f.Label2.Text(), "903,00");
}

}  // namespace
}  // namespace apptest
