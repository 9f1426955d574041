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
        const std::string meta = feed_test::Meta(std::to_string(level), feed_test::kMondayTen + second);
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
    int now_ = 0;
    size_t seen_ = 0;
};

// With the exchange closed the page is the IEX one; a level from the feed is still the AEX's.
TEST_F(FeedRefreshTest, WhenThePageGivesNoQuoteTheFeedsLevelShowsInTheSameRefresh) {
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 18, 0);
    ServeFeed(905.125, 5);
    auto& f = Start();
    backend.Advance(1000);
    EXPECT_EQ(Asked(), "page feed ");
    EXPECT_EQ(f.Label1.Text() + f.Label2.Text() + f.Label3.Text(), "AEX: 905,12 @ 10:00:05");

    // Neither giving a quote: the page's failed fetch shows, not the feed's rejected answer.
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 18, 1);
    web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Body(feed_test::kErrorAnswer)});
    f.Download1Click();
    EXPECT_EQ(f.Label1.Text() + f.Label2.Text(), "IEX25:  -1,00");

    // Switched off in the registry, the feed is not asked.
    SetStoredText("Feed Aan", "0");
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 18, 2);
    f.Download1Click();
    EXPECT_EQ(Asked(), "page feed page ");
}

// After three refreshes the page failed the feed comes first, and the page is tried again ten
// minutes after its last try until it delivers. The feed is asked politely: never within an
// interval of its last request, nor while a 429 holds it off; the bar keeps its level meanwhile.
TEST_F(FeedRefreshTest, AfterThreeFailuresTheFeedComesFirstPolitelyAndThePageIsTriedEveryTenMinutes) {
    ServeFeed(901, 1);
    web.Script(quotes::QuoteFeedProfile().url, {FakeWeb::Answer(429, "Too Many Requests", {{"Retry-After", "100"}})});
    for (int n = 0; n < 40; ++n) ServeFeed(903 + n, 150 + n);
    SetStored("Aantal seconden", 30);
    auto& f = Start();
    At(26);
    f.Download1Click();  // by hand, 25 s after the feed's request, with refreshes every 30 s
    EXPECT_EQ(Asked(), "page feed page ");
    At(30);  // the tick, 29 s after it, within its leeway: the feed answers 429, held off until 130 s
    EXPECT_EQ(Asked(), "page feed ");
    for (int t = 60; t <= 120; t += 30) At(t);  // the feed first now, held off; the page waits its ten minutes
    EXPECT_EQ(Asked(), "");
    EXPECT_EQ(f.Label2.Text(), "901,00");

    std::string expected;
    for (int t = 150; t < 1230; t += 30) expected += t == 630 ? "page feed " : "feed ";
    At(1229);
    EXPECT_EQ(Asked(), expected);
    EXPECT_EQ(f.Label2.Text(), "938,00");

    web.Script(quotes::InvestingQuoteProfile().url, {FakeWeb::Body(InvestingPage("910,00", "+1,00", "+0,10%", "10:20:30"))});
    At(1230);
    EXPECT_EQ(Asked(), "page ");
    EXPECT_EQ(f.Label2.Text(), "910,00");
    At(1260);  // the page delivered: first again
    EXPECT_EQ(Asked(), "page feed ");
}

}  // namespace
}  // namespace apptest
