// The refresh cycle: which site is read when, how the bar shows and colours the quote.
#include "AppFixture.h"
#include "QuotePages.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

constexpr ui::Color kGreen = ui::Rgb(0, 0x80, 0);
constexpr ui::Color kRed = ui::Rgb(0xFF, 0, 0);
constexpr ui::Color kBlue = ui::Rgb(0, 0, 0xFF);

class RefreshTest : public AppTest {
protected:
    void ServeInvesting(const std::string& level, const std::string& change, const std::string& percent,
                        const std::string& time) {
        web.Script(quotes::InvestingQuoteProfile().url,
                   {fakes::FakeWeb::Body(InvestingPage(level, change, percent, time))});
    }
    void ServeIex(const std::string& level, const std::string& change, const std::string& percent,
                  const std::string& time) {
        web.Script(quotes::IexQuoteProfile().url, {fakes::FakeWeb::Body(IexPage(level, change, percent, time))});
    }
    int Fetches(const std::string& url) {
        int n = 0;
        for (auto& call : web.calls) n += call.op == "OpenUrl" && call.text == url;
        return n;
    }
    // Starts the window and lets the first refresh, one second after start, happen.
    app::TMainForm& StartAndFirstRefresh() {
        auto& f = Start();
        backend.Advance(1000);
        return f;
    }
};

TEST_F(RefreshTest, FirstRefreshComesOneSecondAfterStartAndShowsTheQuoteInBlack) {
    ServeInvesting("905,10", "+3,20", "+0,35%", "10:00:05");
    auto& f = Start();
    backend.Advance(999);
    EXPECT_EQ(f.Label2.Text(), "*******");
    backend.Advance(1);
    EXPECT_FALSE(f.FirstRun());
    EXPECT_FALSE(f.LabelWait.Visible());
    EXPECT_EQ(f.Label1.Text(), "AEX: ");
    EXPECT_EQ(f.Label2.Text(), "905,10");
    EXPECT_EQ(f.Label3.Text(), " @ 10:00:05");
    EXPECT_EQ(f.Label1.GetFont().color, ui::kBlack);
    EXPECT_EQ(f.Label2.GetFont().color, ui::kBlack);
    EXPECT_EQ(f.Label2.Left(), f.Label1.Left() + f.Label1.Width());
    EXPECT_EQ(f.Label3.Left(), f.Label2.Left() + f.Label2.Width());
    EXPECT_EQ(Fetches(quotes::InvestingQuoteProfile().url), 1);
}

TEST_F(RefreshTest, SiteFollowsTheTradingHoursAndDays) {
    struct Case { platform::DateTime now; bool closed; };
    const Case cases[] = {
        {fakes::MakeDateTime(2026, 12, 7, 17, 30, 59), false},
        {fakes::MakeDateTime(2026, 12, 7, 17, 31), true},
        {fakes::MakeDateTime(2026, 12, 7, 8, 59, 59), true},
        {fakes::MakeDateTime(2026, 12, 7, 9, 0), false},
        {fakes::MakeDateTime(2026, 12, 5, 12, 0), true},   // Saturday
        {fakes::MakeDateTime(2026, 4, 3, 12, 0), true},    // Good Friday
        {fakes::MakeDateTime(2026, 5, 14, 12, 0), false},  // Ascension Day trades
    };
    auto& f = StartAndFirstRefresh();
    int n = 0;
    for (const Case& c : cases) {
        sys.clock.now = c.now;
        const std::string level = std::to_string(800 + ++n) + ",00";
        if (c.closed)
            ServeIex(std::to_string(800 + n) + ".5", "1", "0.1", "12:00:00");
        else
            ServeInvesting(level, "+1,00", "+0,10%", "12:00:00");
        f.Download1Click();
        EXPECT_EQ(state.marketClosed, c.closed) << n;
        EXPECT_EQ(f.Label1.Text(), c.closed ? "IEX25: " : "AEX: ") << n;
        EXPECT_EQ(f.Width(), c.closed ? 262 : 250) << n;
        EXPECT_EQ(f.Label2.Text(), c.closed ? std::to_string(800 + n) + ",50" : level) << n;
    }
}

TEST_F(RefreshTest, BarIsLaidOutAgainWhenTheIndexNameChangesAndTheLevelTextDoesNot) {
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 17, 30, 30);
    ServeInvesting("905,10", "+3,20", "+0,35%", "17:30:00");
    auto& f = StartAndFirstRefresh();
    ASSERT_EQ(f.Label1.Text(), "AEX: ");

    auto expectLaidOut = [&](const char* when) {
        EXPECT_EQ(f.Label2.Left(), f.Label1.Left() + f.Label1.Width()) << when;
        EXPECT_EQ(f.Label3.Left(), f.Label2.Left() + f.Label2.Width()) << when;
    };
    sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 17, 31);
    ServeIex("905.1", "3.2", "0.35", "17:31:00");  // the same level text from the other site
    f.Download1Click();
    ASSERT_EQ(f.Label1.Text(), "IEX25: ");
    EXPECT_EQ(f.Label2.Text(), "905,10");
    expectLaidOut("evening");

    sys.clock.now = fakes::MakeDateTime(2026, 12, 8, 9, 0);
    ServeInvesting("905,10", "+0,00", "0,00%", "09:00:00");
    f.Download1Click();
    ASSERT_EQ(f.Label1.Text(), "AEX: ");
    expectLaidOut("next morning");
}

TEST_F(RefreshTest, ColoursTellTheDayAndTheLastMove) {
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();

    ServeInvesting("901,00", "+2,00", "+0,22%", "10:00:30");
    f.Download1Click();
    EXPECT_EQ(f.Label1.GetFont().color, kGreen);
    EXPECT_EQ(f.Label2.GetFont().color, kGreen);

    ServeInvesting("899,50", "-0,50", "-0,06%", "10:01:00");
    f.Download1Click();
    EXPECT_EQ(f.Label1.GetFont().color, kRed);
    EXPECT_EQ(f.Label2.GetFont().color, kRed);

    ServeInvesting("899,60", "", "", "10:01:30");
    f.Download1Click();
    EXPECT_EQ(f.Label1.GetFont().color, kBlue);
    EXPECT_EQ(f.Label2.GetFont().color, kGreen);

    // A new level with the same quote time changes the text, not the colours.
    ServeInvesting("899,10", "-0,90", "-0,10%", "10:01:30");
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), "899,10");
    EXPECT_EQ(f.Label1.GetFont().color, kBlue);
    EXPECT_EQ(f.Label2.GetFont().color, kGreen);
}

TEST_F(RefreshTest, SameLevelTextChangesNothingAndFetchesNoChart) {
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    const int chartFetches = Fetches(quotes::DayChartProfile().url);
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:05:00");
    f.Download1Click();
    EXPECT_EQ(f.Label3.Text(), " @ 10:00:00");
    EXPECT_EQ(Fetches(quotes::DayChartProfile().url), chartFetches);
}

TEST_F(RefreshTest, FailedFetchShowsItsCodeAndTheNextQuoteIsColouredAgainstTheLevelBefore) {
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    ServeInvesting("901,00", "+2,00", "+0,22%", "10:00:30");
    f.Download1Click();

    // Two empty answers: the fetch failed.
    web.Script(quotes::InvestingQuoteProfile().url, {fakes::FakeWeb::Body(""), fakes::FakeWeb::Body("")});
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), " -1,00");
    EXPECT_EQ(f.Label3.Text(), " @ 10:00:30");
    EXPECT_EQ(f.Label2.GetFont().color, kGreen);

    // A page too short to be a quote page is rejected.
    web.Script(quotes::InvestingQuoteProfile().url, {fakes::FakeWeb::Body("Default.htm")});
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), " -2,00");
    EXPECT_EQ(f.Label2.GetFont().color, kGreen);

    ServeInvesting("900,50", "+1,50", "+0,17%", "10:01:30");
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), "900,50");
    EXPECT_EQ(f.Label2.GetFont().color, kRed);  // lower than 901,00, the level before the failures
}

TEST_F(RefreshTest, FailureCodesAreNotColouredEvenWithANewerQuoteTimeLeftBehind) {
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    ServeInvesting("901,00", "+2,00", "+0,22%", "10:00:30");
    f.Download1Click();
    // The same level text with a newer quote time: the display stays, the newer time is kept.
    ServeInvesting("901,00", "+2,00", "+0,22%", "10:01:00");
    f.Download1Click();
    ASSERT_EQ(f.Label3.Text(), " @ 10:00:30");
    ASSERT_EQ(f.Label2.GetFont().color, kGreen);

    struct Failure { std::vector<fakes::FakeWeb::Attempt> attempts; std::string shown; };
    const Failure failures[] = {
        {{fakes::FakeWeb::Body(""), fakes::FakeWeb::Body("")}, " -1,00"},
        {{fakes::FakeWeb::Body("Default.htm")}, " -2,00"},
    };
    for (const Failure& failure : failures) {
        web.Script(quotes::InvestingQuoteProfile().url, failure.attempts);
        f.Download1Click();
        EXPECT_EQ(f.Label2.Text(), failure.shown);
        EXPECT_EQ(f.Label1.GetFont().color, kGreen) << failure.shown;
        EXPECT_EQ(f.Label2.GetFont().color, kGreen) << failure.shown;
        EXPECT_EQ(f.PreviousLevel(), 901.0) << failure.shown;
    }

    ServeInvesting("900,50", "+1,50", "+0,17%", "10:01:30");
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), "900,50");
    EXPECT_EQ(f.Label2.GetFont().color, kRed);  // lower than 901,00, the last good level
}

TEST_F(RefreshTest, PageWithoutTheLevelIsShownAsARejectedPageAndNotAsAQuote) {
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    // A page in a layout without the level, as a challenge page or a redesign brings.
    const std::string otherLayout = "<html><body><div data-test=\"instrument-price-last\">901,00</div>"
                                    "<time>10:00:30</time></body></html>";
    web.Script(quotes::InvestingQuoteProfile().url, {fakes::FakeWeb::Body(otherLayout)});
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), " -2,00");
    EXPECT_EQ(f.Label3.Text(), " @ 10:00:00");
    EXPECT_EQ(f.Label2.GetFont().color, ui::kBlack);

    ServeInvesting("901,00", "+2,00", "+0,22%", "10:01:00");
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), "901,00");
    EXPECT_EQ(f.Label2.GetFont().color, kGreen);
}

TEST_F(RefreshTest, IexPageWithoutQuoteTimeShowsStars) {
    sys.clock.now = fakes::MakeDateTime(2026, 12, 5, 12, 0);
    web.Script(quotes::IexQuoteProfile().url,
               {fakes::FakeWeb::Body(std::string(60, ' ') + "var IEX25LastPrice = 900.1; no time here")});
    auto& f = StartAndFirstRefresh();
    EXPECT_EQ(f.Label1.Text(), "IEX25: ");
    EXPECT_EQ(f.Label2.Text(), "*******");
    EXPECT_EQ(f.Label3.Text(), " @ ");
}

TEST_F(RefreshTest, EmptyLevelTextShowsAsZero) {
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    ServeInvesting("", "+1,00", "+0,11%", "10:00:30");
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), "  0,00");
    EXPECT_EQ(f.CurrentLevel(), 0.0);
}

TEST_F(RefreshTest, AlwaysOnTopBarShowsLevelChangeAndPercent) {
    sys.clock.now = fakes::MakeDateTime(2026, 12, 5, 12, 0);
    SetStoredText("Normale Modus", "0");
    ServeIex("905.1", "3.2", "0.35", "17:35:02");
    auto& f = StartAndFirstRefresh();
    EXPECT_EQ(f.Label2.Text(), "905,10 3,20 (0,35%)");
    EXPECT_EQ(f.Label3.Text(), " @ 17:35:02");
    EXPECT_EQ(f.Width(), 385);  // the closed exchange does not widen the bar
}

TEST_F(RefreshTest, InvestingChangeTextsAreShownAsThePageWritesThem) {
    SetStoredText("Normale Modus", "0");
    ServeInvesting("905,1", "+3,20", "0,35%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    EXPECT_EQ(f.Label2.Text(), "905,10 +3,20 (0,35%)");
}

TEST_F(RefreshTest, LevelsAboveAThousandKeepTheirThousands) {
    ServeInvesting("1.002,35", "+3,20", "+0,32%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    EXPECT_EQ(f.Label2.Text(), "1002,35");
}

TEST_F(RefreshTest, InvalidQuoteTimeEndsTheRefreshWithAnError) {
    ServeInvesting("900,00", "+1,00", "+0,11%", "25:99");
    auto& f = Start();
    backend.Advance(1000);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "'25:99' is not a valid time");
    EXPECT_EQ(backend.messages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(backend.messages[0].caption, "Quodo");
    EXPECT_TRUE(f.LabelWait.Visible());
    EXPECT_EQ(f.Label2.Text(), "*******");

    // A timer-driven refresh that fails keeps the busy pointer until a later tick completes.
    ServeInvesting("900,00", "+1,00", "+0,11%", "xx");
    backend.Advance(30 * 1000);
    EXPECT_TRUE(backend.busy);
    ServeInvesting("901,00", "+1,00", "+0,11%", "10:02:00");
    backend.Advance(30 * 1000);
    EXPECT_FALSE(backend.busy);
    EXPECT_EQ(f.Label2.Text(), "901,00");
}

TEST_F(RefreshTest, AHugeInvalidQuoteTimeGivesAShortMessage) {
    ServeInvesting("900,00", "+1,00", "+0,11%", std::string(1 << 20, '7'));
    Start();
    backend.Advance(1000);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "'" + std::string(40, '7') + "...' is not a valid time");
}

TEST_F(RefreshTest, ModeSwitchThatMeetsAnInvalidQuoteTimeIsFinishedBeforeTheErrorIsShown) {
    backend.screen = {1280, 1024};
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    backend.Advance(100);
    f.SetBounds(f.Left(), 900, f.Width(), f.Height());  // dragged low; no limits while dragging

    ServeInvesting("901,00", "+2,00", "+0,22%", "25:99");
    ui::App().Dispatch([&] { f.AltijdopvoorgrondClick(); });  // as the menu runs it
    EXPECT_FALSE(state.normalMode);
    EXPECT_EQ(f.Height(), 23);
    EXPECT_EQ(f.Top(), 1024 - 40 - 23) << "kept on the screen";
    ASSERT_TRUE(Stored("Normale Modus"));
    EXPECT_EQ(Stored("Normale Modus")->data, "0");
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "'25:99' is not a valid time");
    // The bar keeps the quote it showed, in the form of the new mode; nothing of the failed page.
    EXPECT_EQ(f.Label2.Text(), "900,00 +1,00 (+0,11%)");
    EXPECT_EQ(f.Label3.Text(), " @ 10:00:00");

    ServeInvesting("900,00", "+1,00", "+0,11%", "10:01:00");
    ui::App().Dispatch([&] { f.AltijdopvoorgrondClick(); });
    EXPECT_TRUE(state.normalMode);
    EXPECT_EQ(f.Label2.Text(), "900,00");
    EXPECT_EQ(Stored("Normale Modus")->data, "1");
    EXPECT_EQ(backend.messages.size(), 1u);
}

TEST_F(RefreshTest, RefreshTimerFollowsTheStoredIntervalAndSwitch) {
    SetStored("Aantal seconden", 45);
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    EXPECT_EQ(f.DownloadTimer.Interval(), 45000u);
    ServeInvesting("901,00", "+1,00", "+0,11%", "10:00:45");
    backend.Advance(43000);
    EXPECT_EQ(f.Label2.Text(), "900,00");
    backend.Advance(2000);
    EXPECT_EQ(f.Label2.Text(), "901,00");
    EXPECT_EQ(backend.busyChanges, 2);
}

TEST_F(RefreshTest, WithTheRefreshTimerOffTheLevelIsFetchedOnlyOnDemand) {
    SetStoredText("DownloadTimer Aan", "0");
    ServeInvesting("900,00", "+1,00", "+0,11%", "10:00:00");
    auto& f = StartAndFirstRefresh();
    const int afterStart = Fetches(quotes::InvestingQuoteProfile().url);
    backend.Advance(10 * 60 * 1000);
    EXPECT_EQ(Fetches(quotes::InvestingQuoteProfile().url), afterStart);
    ServeInvesting("901,00", "+1,00", "+0,11%", "10:00:30");
    f.AltijdopvoorgrondClick();
    EXPECT_EQ(Fetches(quotes::InvestingQuoteProfile().url), afterStart + 1);
}

TEST_F(RefreshTest, DownloadBeforeTheFirstRefreshOnlyFetchesTheChart) {
    auto& f = Start();
    f.Download1Click();
    EXPECT_FALSE(f.FirstRun());
    EXPECT_EQ(Fetches(quotes::InvestingQuoteProfile().url), 0);
    EXPECT_EQ(Fetches(quotes::DayChartProfile().url), 1);
}

}  // namespace
}  // namespace apptest
