// The window thread's waits: the page, the chart and the tones come on threads of their own, and
// what the user or a timer asks for meanwhile runs once the wait is over, never inside it.
#include <set>
#include <chrono>
#include <thread>

#include "AppFixture.h"
#include "QuotePages.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

class WaitTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::Current().waiter = &backend;
    }
    void Serve(const std::string& level, const std::string& time) {
        web.Script(quotes::InvestingQuoteProfile().url,
                   {fakes::FakeWeb::Body(InvestingPage(level, "+1,00", "+0,10%", time))});
    }
    int PageFetches() { return int(web.Count("OpenUrl")) - ChartFetches(); }
    int ChartFetches() {
        int n = 0;
        for (auto& call : web.CallsOf("OpenUrl")) n += call.text == quotes::DayChartProfile().url;
        return n;
    }
};

TEST_F(WaitTest, TicksAndCommandsDuringAWaitRunOnceAfterItAndTheRefreshKeepsItsOrder) {
    SetStored("Bovengrens", 2000);  // no alarm: the waits are the page's and the chart's
    auto& f = Start();
    Serve("905,10", "10:00:01");
    Serve("906,20", "10:00:31");
    Serve("907,30", "10:01:01");
    std::vector<std::string> seenInWaits;
    backend.onWait = [&] {
        seenInWaits.push_back(f.Label2.Text());
        if (backend.waits != 1) return;
        backend.Advance(95000);                // three ticks of the refresh timer
        backend.nextMenuChoice = "Download1";  // "Download AEX", twice
        RightPress(f, 1, 1);
        RightPress(f, 1, 1);
        EXPECT_EQ(backend.popups.size(), 2u);  // the menu opens during the wait
    };
    backend.Advance(1000);  // the first refresh; the held events run after it, from the loop
    // Each refresh waits for its page, then for its chart, none inside another; after the first
    // come the tick and the command, once each.
    EXPECT_EQ(seenInWaits, (std::vector<std::string>{"*******", "905,10", "905,10", "906,20", "906,20", "907,30"}));
    EXPECT_EQ(PageFetches(), 3);
    EXPECT_TRUE(backend.messages.empty());
}

TEST_F(WaitTest, ADialogChosenDuringAWaitOpensAfterTheRefreshAndRefreshesGoOnWhileItIsOpen) {
    auto& f = Start();
    Serve("905,10", "10:00:01");
    bool refreshDoneWhenOpened = false;
    int fetchesWhileOpen = 0;
    backend.onWait = [&] {
        if (backend.waits != 1) return;
        backend.nextMenuChoice = "Instellingen1";
        RightPress(f, 1, 1);
        EXPECT_TRUE(backend.modalForms.empty());
    };
    backend.onModal = [&](ui::Form&) {
        backend.onWait = nullptr;
        refreshDoneWhenOpened = f.Label2.Text() == "905,10";
        Serve("906,20", "10:00:31");
        const int before = PageFetches();
        backend.Advance(30000);  // the refresh timer keeps its interval while the dialog is open
        fetchesWhileOpen = PageFetches() - before;
    };
    backend.Advance(1000);
    backend.RunPosted();
    EXPECT_EQ(backend.modalForms, (std::vector<std::string>{"OptionsForm"}));
    EXPECT_TRUE(refreshDoneWhenOpened);
    EXPECT_EQ(fetchesWhileOpen, 1);
}

TEST_F(WaitTest, AfsluitenDuringAWaitEndsTheProgramWithoutFinishingTheRefresh) {
    auto& f = Start();
    web.Script(quotes::InvestingQuoteProfile().url, {fakes::FakeWeb::StallAfter({})});
    backend.onWait = [&] {
        backend.nextMenuChoice = "Afsluiten1";
        RightPress(f, 1, 1);
    };
    backend.Advance(1000);
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_TRUE(backend.messages.empty());  // ended quietly
    EXPECT_EQ(f.Label2.Text(), "*******");
    ASSERT_TRUE(platform::WorksEnded(std::chrono::seconds(20)));  // the cut ends the work on its thread
    EXPECT_LE(PageFetches(), 1) << "no second try after the cut";
    EXPECT_EQ(ChartFetches(), 0);
}

TEST_F(WaitTest, TheSweepPlaysWholeOnAThreadOfItsOwn) {
    SetStored("Bovengrens", 500);
    auto& f = Start();
    Serve("905,10", "10:00:01");
    struct ThreadNoting : RecordingSound {
        std::set<std::thread::id> playedOn;
        void Tone(unsigned frequency, unsigned milliseconds) override {
            playedOn.insert(std::this_thread::get_id());
            RecordingSound::Tone(frequency, milliseconds);
        }
    } noting;
    platform::Current().sound = &noting;
    backend.Advance(1000);
    EXPECT_EQ(noting.played.size(), 5u * 51u);  // every tone and pause, in the window thread's wait
    EXPECT_FALSE(noting.playedOn.count(std::this_thread::get_id()));
    EXPECT_TRUE(f.MaxTimer.Enabled());  // the marker after the sound, as before
}

}  // namespace
}  // namespace apptest
