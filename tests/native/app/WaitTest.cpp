// The program while its operations wait: the window thread is free meanwhile, so ticks, clicks, keys
// and menu commands act when they come; a refresh asked for during one follows it once; stopped
// timers stay stopped; the program's end calls every wait off quietly; what is posted behind a box
// runs while it is open, and an error that ends an operation reaches the user once.
#include <stdexcept>

#include "AppFixture.h"
#include "QuotePages.h"
#include "platform/Wait.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

class WaitTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::Current().loop = &backend;
        SetStored("Bovengrens", 1000);
        SetStored("Ondergrens", 800);
    }
    void Serve(const std::string& level, const std::string& time) {
        web.Script(quotes::InvestingQuoteProfile().url,
                   {fakes::FakeWeb::Body(InvestingPage(level, "+1,00", "+0,10%", time))});
    }
    int ChartFetches() {
        int n = 0;
        for (auto& call : web.CallsOf("OpenUrl")) n += call.text == quotes::DayChartProfile().url;
        return n;
    }
    int PageFetches() { return int(web.Count("OpenUrl")) - ChartFetches(); }
    // The markers of the bar: which show, and which blink.
    std::string Markers(app::TMainForm& f) {
        return std::string(f.ButtonMax.Visible() ? "max " : "") + (f.ButtonMin.Visible() ? "min " : "") +
               (f.ButtonCheck.Visible() ? "check " : "") + (f.MaxTimer.Enabled() ? "max-blinks " : "") +
               (f.MinTimer.Enabled() ? "min-blinks" : "");
    }
    // The first refresh has read a level above the band; its sweep and chart wait (works are held).
    app::TMainForm& StartWithASweepWaiting() {
        SetStored("Bovengrens", 900);
        auto& f = Start();
        Serve("905,10", "10:00:01");
        backend.holdWorks = true;
        backend.Advance(1000);
        backend.FinishWork();
        return f;
    }
    void OkInSettings(app::TMainForm& f, bool sound) {
        backend.onModal = [this, sound](ui::Form&) {
            options->GeluidCheck.SetChecked(sound);
            options->BtnOK.Click();
        };
        f.Instellingen1Click();
    }
};

TEST_F(WaitTest, WhatIsAskedForDuringARefreshActsWhenItComesAndOneMoreRefreshFollows) {
    SetStored("Aantal seconden", 10);
    auto& f = Start();
    Serve("905,10", "10:00:01");
    Serve("906,20", "10:00:26");
    backend.holdWorks = true;
    backend.Advance(1000);  // the first refresh waits for its page
    ASSERT_TRUE(f.Refreshing());
    backend.Advance(25000);  // two ticks of the refresh timer
    f.Download1Click();      // "Download AEX", twice
    f.Download1Click();
    f.AltijdopvoorgrondClick();  // a mode switch acts at once
    EXPECT_FALSE(state.normalMode);
    EXPECT_EQ(f.Height(), 23);
    EXPECT_EQ(backend.HeldWorks(), 1u) << "nothing nests: the page of the first refresh only";

    for (int work = 0; work < 3; ++work) backend.FinishWork();  // the first refresh's page, chart and day file
    EXPECT_TRUE(f.Refreshing());
    EXPECT_TRUE(backend.busy) << "the ticks' busy pointer waits for the refresh they asked for";
    backend.FinishWorks();
    EXPECT_FALSE(f.Refreshing());
    EXPECT_FALSE(backend.busy);
    EXPECT_EQ(PageFetches(), 2) << "the first refresh, and one more for everything asked meanwhile";
    // Each step read the state when it ran: the quotes came in the form of the new mode.
    EXPECT_EQ(f.Label2.Text(), "906,20 +1,00 (+0,10%)");
    EXPECT_TRUE(backend.messages.empty());
}

// A marker's blink timer that was stopped never ticks again: the first quote inside the band leaves
// the steady tick, also when the page took long and the markers blinked meanwhile; an OK in the
// settings dialog with the level above the band sounds again and leaves the up-arrow alone blinking.
TEST_F(WaitTest, StoppedTimersStayStoppedAndTheMarkerFollowsTheLastEvaluation) {
    auto& f = Start();
    Serve("905,10", "10:00:01");
    backend.holdWorks = true;
    backend.Advance(1000);
    backend.Advance(700);  // the page takes its time; before any level both markers blink
    EXPECT_NE(Markers(f).find("max-blinks min-blinks"), std::string::npos);
    backend.FinishWorks();
    EXPECT_EQ(Markers(f), "check ");
    backend.Advance(3000);
    EXPECT_EQ(Markers(f), "check ");

    options->SpinBoven.UserTyped("900");  // now above the band
    backend.onModal = [&](ui::Form&) { options->BtnOK.Click(); };
    f.Instellingen1Click();
    EXPECT_EQ(backend.HeldWorks(), 1u) << "the sweep plays on a thread of its own";
    f.Instellingen1Click();  // OK again while the first sound plays: the second follows it
    for (int i = 0; i < 20; ++i) {
        backend.Advance(150);
        EXPECT_FALSE(f.ButtonMin.Visible());
        EXPECT_FALSE(f.ButtonCheck.Visible());
    }
    backend.FinishWork();
    EXPECT_EQ(sound.played.size(), 5u * 51u);
    EXPECT_TRUE(f.Sounding());
    backend.FinishWorks();
    EXPECT_EQ(sound.played.size(), 2u * 5u * 51u);
    EXPECT_FALSE(f.Sounding());
    EXPECT_TRUE(f.MaxTimer.Enabled());
    EXPECT_FALSE(f.MinTimer.Enabled());
}

// The dialog is modal, but refreshes go on while it is open: one that waited when it opened ends,
// the next comes at its time; a value typed meanwhile is the one OK stores.
TEST_F(WaitTest, RefreshesGoOnWhileTheSettingsDialogIsOpenAndWhatIsTypedThenIsKept) {
    auto& f = Start();
    Serve("905,10", "10:00:01");
    Serve("906,20", "10:00:31");
    backend.holdWorks = true;
    backend.Advance(1000);
    backend.onModal = [&](ui::Form&) {
        EXPECT_TRUE(f.Refreshing());
        backend.FinishWorks();
        EXPECT_EQ(f.Label2.Text(), "905,10");
        backend.Advance(30000);
        options->SpinBoven.UserTyped("1234");
        backend.FinishWorks();
        EXPECT_EQ(f.Label2.Text(), "906,20");
        options->BtnOK.Click();
    };
    backend.nextMenuChoice = "Instellingen1";
    RightPress(f, 1, 1);
    EXPECT_EQ(backend.modalForms, (std::vector<std::string>{"OptionsForm"}));
    EXPECT_EQ(StoredInteger("Bovengrens"), 1234);
    EXPECT_EQ(PageFetches(), 2);
}

// A page that hangs where nothing can cut it ends the refresh at the fetch's bound all the same: the
// bar shows the failure code, and the next refresh comes at its time.
TEST_F(WaitTest, ARefreshWhosePageHangsEndsAtItsBound) {
    SetStoredText("DownloadTimer Aan", "0");
    SetStoredText("Feed Aan", "0");  // no feed asked after the page
    auto& f = Start();
    backend.holdWorks = true;
    backend.Advance(1000);
    const unsigned bound = quotes::WaitingBound(quotes::InvestingQuoteProfile());
    backend.Advance(bound - 1);
    EXPECT_TRUE(f.Refreshing());
    backend.Advance(1);
    EXPECT_EQ(f.Label2.Text(), " -1,00");
    EXPECT_EQ(backend.HeldWorks(), 2u) << "the abandoned page, and the chart";
    backend.FinishWorks();  // the abandoned work, told to stop, ends without a fetch
    EXPECT_FALSE(f.Refreshing());
    EXPECT_EQ(PageFetches(), 0);
}

// A sweep stops within a tone when the sound is switched off while it plays; sweeps asked for
// meanwhile (at most one waits behind the one that plays) are dropped with it.
TEST_F(WaitTest, SwitchingTheSoundOffStopsTheSweepAndDropsTheOnesAskedFor) {
    auto& f = StartWithASweepWaiting();
    for (int i = 0; i < 3; ++i) OkInSettings(f, true);  // three more sweeps asked for
    EXPECT_EQ(backend.HeldWorks(), 2u) << "the sweep and the chart";
    OkInSettings(f, false);
    backend.FinishWorks();
    EXPECT_TRUE(sound.played.empty());

    // Sound on again: the next sweep plays, and switching it off during its third tone ends it there.
    OkInSettings(f, true);
    sound.onTone = [&] {
        if (sound.played.size() == 3) OkInSettings(f, false);
    };
    backend.FinishWorks();
    EXPECT_LE(sound.played.size(), 4u);
    EXPECT_FALSE(f.Sounding());
}

TEST_F(WaitTest, EndingWhileThePageIsAwaitedFinishesNothingOfTheRefresh) {
    auto& f = Start();
    Serve("905,10", "10:00:01");
    backend.holdWorks = true;
    backend.Advance(1000);
    f.Afsluiten1Click();
    backend.EndWaits();
    backend.FinishWorks();
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_EQ(f.Label2.Text(), "*******");
    EXPECT_EQ(web.Count("OpenUrl"), 0u);
    EXPECT_TRUE(backend.messages.empty());
}

// The end comes while the chart is fetched and the alarm sounds: neither goes on, and nothing new
// starts (a mode switch asks for a refresh and a sound in vain).
TEST_F(WaitTest, EndingWhileTheChartAndASweepAreAwaitedStartsNothingMore) {
    auto& f = StartWithASweepWaiting();
    EXPECT_EQ(backend.HeldWorks(), 2u) << "the sweep and the chart";
    ui::App().Terminate();
    f.AltijdopvoorgrondClick();
    EXPECT_EQ(backend.HeldWorks(), 2u);
    backend.EndWaits();
    backend.FinishWorks();
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(ChartFetches(), 0);
    EXPECT_EQ(PageFetches(), 1);
    EXPECT_FALSE(f.Refreshing() || f.Sounding());
    EXPECT_TRUE(backend.messages.empty());
}

// A box held open by one item of the mailbox: what was queued behind it, and what comes while it is
// open, run from the box's own loop before it closes.
TEST_F(WaitTest, WhatIsPostedBehindABoxRunsWhileTheBoxIsOpen) {
    std::string ran;
    const auto mail = backend.Mail();
    backend.onMessage = [&](const ui::HeadlessBackend::Message&) {
        mail->Post([&] { ran += "posted meanwhile, "; });
        backend.RunPending();
        ran += "closed";
    };
    mail->Post([&] {
        ran += "box, ";
        ui::App().Report(std::make_exception_ptr(std::runtime_error("Ongeldige tijd")));
    });
    mail->Post([&] { ran += "queued, "; });
    backend.RunPending();
    EXPECT_EQ(ran, "box, queued, posted meanwhile, closed");
}

// A progress report that fails as the wait ends ends the operation with that error; an error whose
// handler fails in turn still reaches the user, once, and the program goes on.
TEST_F(WaitTest, AFailingProgressReportOrErrorHandlerEndsTheOperationAndTheErrorShowsOnce) {
    struct Failing : platform::ErrorSink {
        int calls = 0;
        void Report(std::exception_ptr) override {
            ++calls;
            throw std::logic_error("the handler fails");
        }
    } failing;
    platform::Owner owner(failing);
    owner.Start([]() -> platform::Task<> {
        platform::WaitOptions options;
        options.onProgress = [] { throw std::runtime_error("De voortgang faalt"); };
        auto download = platform::OnWorker([](platform::Job&) {}, options);
        co_await download;
        ADD_FAILURE() << "went on after its wait";
    }());
    owner.Start([]() -> platform::Task<> {
        co_await platform::Pause(10);
        throw std::runtime_error("Ongeldige tijd");
    }());
    backend.Advance(10);
    EXPECT_EQ(failing.calls, 2);
    EXPECT_EQ(owner.Running(), 0u);
    ASSERT_EQ(backend.messages.size(), 2u);
    EXPECT_EQ(backend.messages[0].text + ", " + backend.messages[1].text, "De voortgang faalt, Ongeldige tijd");
}

}  // namespace
}  // namespace apptest
