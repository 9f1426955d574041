// The index alarm: the marker in the bar, the blinking and the tone sweeps.
#include "AppFixture.h"
#include "QuotePages.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

enum class Shown { Above, Below, Within, Off, Waiting };

class AlarmTest : public AppTest {
protected:
    void Serve(const std::string& level, const std::string& time) {
        web.Script(quotes::InvestingQuoteProfile().url,
                   {fakes::FakeWeb::Body(InvestingPage(level, "+1,00", "+0,10%", time))});
    }
    // Delivers a new level through a refresh, with a fresh quote time each time.
    void Quote(app::TMainForm& f, const std::string& level) {
        Serve(level, "10:" + std::to_string(10 + quoteCount_++) + ":00");
        sound.played.clear();
        f.Download1Click();
    }
    Shown State(app::TMainForm& f) {
        if (f.MaxTimer.Enabled() && f.MinTimer.Enabled()) return Shown::Waiting;
        if (f.MaxTimer.Enabled()) return Shown::Above;
        if (f.MinTimer.Enabled()) return Shown::Below;
        if (f.ButtonCheck.Visible()) return Shown::Within;
        return Shown::Off;
    }
    // The tones of n sweeps from first to last frequency, each followed by 300 ms of silence.
    static std::vector<PlayedTone> Sweeps(int step) {
        std::vector<PlayedTone> tones;
        for (int s = 0; s < 5; ++s) {
            for (int j = 1; j <= 50; ++j) tones.push_back({unsigned(1000 + step * 5 * j), 5});
            tones.push_back({0, 300});
        }
        return tones;
    }
    app::TMainForm& StartWithBounds(int upper, int lower) {
        SetStored("Bovengrens", uint32_t(upper));
        SetStored("Ondergrens", uint32_t(lower));
        auto& f = Start();
        backend.Advance(1000);
        return f;
    }
    int quoteCount_ = 0;
};

TEST_F(AlarmTest, BeforeTheFirstQuoteBothMarkersBlink) {
    auto& f = Start();
    EXPECT_EQ(State(f), Shown::Waiting);
    const bool maxBefore = f.ButtonMax.Visible(), minBefore = f.ButtonMin.Visible();
    backend.Advance(300);
    EXPECT_NE(f.ButtonMax.Visible(), maxBefore);
    EXPECT_NE(f.ButtonMin.Visible(), minBefore);
    backend.Advance(300);
    EXPECT_EQ(f.ButtonMax.Visible(), maxBefore);
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(AlarmTest, LevelsAgainstTheBoundsGiveTheRightMarkerAndSweep) {
    auto& f = StartWithBounds(550, 400);
    Quote(f, "550,01");
    EXPECT_EQ(State(f), Shown::Above);
    EXPECT_EQ(sound.played, Sweeps(+1));
    EXPECT_EQ(sound.played.front().frequency, 1005u);
    EXPECT_EQ(sound.played[49].frequency, 1250u);
    EXPECT_FALSE(f.ButtonMin.Visible());
    EXPECT_FALSE(f.ButtonCheck.Visible());

    Quote(f, "550,00");
    EXPECT_EQ(State(f), Shown::Within);
    EXPECT_TRUE(sound.played.empty());
    EXPECT_FALSE(f.ButtonMax.Visible());

    Quote(f, "399,99");
    EXPECT_EQ(State(f), Shown::Below);
    EXPECT_EQ(sound.played, Sweeps(-1));
    EXPECT_EQ(sound.played[49].frequency, 750u);

    Quote(f, "400,00");
    EXPECT_EQ(State(f), Shown::Within);
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(AlarmTest, BlinkingMarkerShowsAndHidesEvery300Ms) {
    auto& f = StartWithBounds(550, 400);
    Quote(f, "600,00");
    ASSERT_TRUE(f.ButtonMax.Visible());
    backend.Advance(300);
    EXPECT_FALSE(f.ButtonMax.Visible());
    backend.Advance(300);
    EXPECT_TRUE(f.ButtonMax.Visible());
    EXPECT_FALSE(f.ButtonMin.Visible());
}

TEST_F(AlarmTest, InvertedBoundsNeverGiveWithin) {
    auto& f = StartWithBounds(400, 550);
    Quote(f, "500,00");
    EXPECT_EQ(State(f), Shown::Above);
    Quote(f, "300,00");
    EXPECT_EQ(State(f), Shown::Below);
}

TEST_F(AlarmTest, SoundOffStillMovesTheMarkers) {
    SetStoredText("Geluid Aan", "0");
    auto& f = StartWithBounds(550, 400);
    Quote(f, "700,00");
    EXPECT_EQ(State(f), Shown::Above);
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(AlarmTest, AlarmOffHidesEveryMarker) {
    SetStoredText("Alarm Aan", "0");
    auto& f = StartWithBounds(550, 400);
    EXPECT_EQ(State(f), Shown::Off);
    EXPECT_FALSE(f.ButtonMax.Visible());
    EXPECT_FALSE(f.ButtonMin.Visible());
    Quote(f, "700,00");
    EXPECT_EQ(State(f), Shown::Off);
    EXPECT_FALSE(f.ButtonMax.Visible());
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(AlarmTest, FailedRefreshLeavesTheAlarmAlone) {
    SetStoredText("Feed Aan", "0");  // the page's failure is what the bar shows
    auto& f = StartWithBounds(550, 400);
    Quote(f, "300,00");
    ASSERT_EQ(State(f), Shown::Below);
    sound.played.clear();
    web.Script(quotes::InvestingQuoteProfile().url, {fakes::FakeWeb::Body(""), fakes::FakeWeb::Body("")});
    f.Download1Click();
    EXPECT_EQ(f.Label2.Text(), " -1,00");
    EXPECT_EQ(State(f), Shown::Below);
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(AlarmTest, ModeSwitchWhileBelowPlaysTheFallingSweepAgain) {
    auto& f = StartWithBounds(550, 400);
    Quote(f, "300,00");
    sound.played.clear();
    Serve("300,00", "10:59:00");  // the switch refreshes: the same level changes nothing
    f.AltijdopvoorgrondClick();
    EXPECT_EQ(sound.played, Sweeps(-1));
    EXPECT_EQ(State(f), Shown::Below);
    EXPECT_TRUE(f.ButtonMin.Visible());
    EXPECT_FALSE(f.ButtonCheck.Visible());
}

}  // namespace
}  // namespace apptest
