// The settings dialog on the headless backend: what it loads and applies at start-up, what the
// user's changes do to the running program, and what OK, Cancel and the close box store.
#include "AppFixture.h"
#include "QuotePages.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

class OptionsTest : public AppTest {
protected:
    // Runs the dialog modally; `act` is what the user does in it.
    int InDialog(const std::function<void(settings::TOptionsForm&)>& act) {
        backend.onModal = [&](ui::Form&) { act(*options); };
        form->Instellingen1Click();
        backend.onModal = nullptr;
        return options->ModalResult();
    }
    void Quote(const std::string& level) {
        web.Script(quotes::InvestingQuoteProfile().url,
                   {fakes::FakeWeb::Body(InvestingPage(level, "+1,00", "+0,10%", "10:1" + std::to_string(quotes_++)))});
        form->Download1Click();
    }
    std::string StoredText(const std::string& name) {
        auto value = Stored(name);
        return value ? value->data : "<none>";
    }
    int quotes_ = 0;
};

TEST_F(OptionsTest, CreationPlacesTheDialogAndAppliesTheStoredSettingsOnce) {
    SetStored("Aantal seconden", 45);
    SetStoredText("Updates Aan", "0");
    auto& f = Start();
    auto& o = *options;
    EXPECT_EQ(o.Caption(), "Quodo - Instellingen");
    EXPECT_EQ(o.ClientWidth(), 517);
    EXPECT_EQ(o.ClientHeight(), 273);
    EXPECT_EQ(o.Border(), ui::BorderStyle::Single);
    EXPECT_EQ(o.Top(), (1024 - o.Height()) / 2);
    EXPECT_EQ(o.Left(), (1280 - o.Width()) / 2);
    EXPECT_FALSE(o.Visible());

    EXPECT_EQ(f.DownloadTimer.Interval(), 45000u);
    EXPECT_TRUE(f.DownloadTimer.Enabled());
    EXPECT_FALSE(f.UpdateTimer.Enabled());
    EXPECT_TRUE(o.RadioNormal.Checked());
    EXPECT_FALSE(o.RadioVoorgrond.Checked());
    // Alarm on without a level: both markers blink, and nothing has sounded.
    EXPECT_TRUE(f.MaxTimer.Enabled() && f.MinTimer.Enabled());
    EXPECT_TRUE(sound.played.empty());
    // The main window's first show greys the sound switch.
    EXPECT_FALSE(o.GeluidCheck.Enabled());
    EXPECT_TRUE(o.SpinBoven.Enabled());
}

TEST_F(OptionsTest, AStoredPlaceOffTheScreenIsBroughtBack) {
    SetStored("ConfigTop", 5000);
    SetStored("ConfigLeft", uint32_t(-300));
    Start();
    EXPECT_EQ(options->Top(), 1024 - options->Height());
    EXPECT_EQ(options->Left(), 10);
}

TEST_F(OptionsTest, OkWithoutChangesSwitchesNothingStoresAllEightValuesAndEvaluatesTheAlarmAgain) {
    auto& f = Start();
    backend.Advance(1000);
    Quote("600,00");
    ASSERT_FALSE(sound.played.empty());
    sound.played.clear();
    const int top = f.Top();
    EXPECT_EQ(InDialog([](auto& o) { o.BtnOK.Click(); }), ui::kResultOk);
    EXPECT_EQ(f.Top(), top);
    EXPECT_TRUE(state.normalMode);
    EXPECT_FALSE(sound.played.empty());  // still above the band: it sounds again
    for (const char* name : {"DownloadTimer Aan", "Alarm Aan", "Geluid Aan", "Updates Aan", "Normale Modus"})
        EXPECT_EQ(StoredText(name), "1") << name;
    EXPECT_EQ(Stored("Aantal seconden")->type, platform::kRegDword);
    EXPECT_EQ(Stored("Bovengrens")->type, platform::kRegDword);
    EXPECT_TRUE(Stored("Ondergrens"));
    EXPECT_TRUE(options->GeluidCheck.Enabled());
}

TEST_F(OptionsTest, ClearingTheRefreshSwitchStopsTheTimerAtOnceAndCancelRestoresIt) {
    auto& f = Start();
    InDialog([&](auto& o) {
        o.DownloadCheck.Click();
        EXPECT_FALSE(f.DownloadTimer.Enabled());
        EXPECT_FALSE(o.Label2.Enabled());
        EXPECT_FALSE(o.SecondsEdit.Enabled());
        EXPECT_FALSE(o.Label3.Enabled());
        o.BtnCancel.Click();
    });
    EXPECT_TRUE(options->DownloadCheck.Checked());
    EXPECT_TRUE(f.DownloadTimer.Enabled());
    EXPECT_TRUE(options->SecondsEdit.Enabled());
    EXPECT_FALSE(Stored("DownloadTimer Aan"));  // Cancel stores nothing
}

TEST_F(OptionsTest, TheModeSwitchesBothWays) {
    auto& f = Start();
    InDialog([](auto& o) {
        o.RadioVoorgrond.Click();
        o.BtnOK.Click();
    });
    EXPECT_FALSE(state.normalMode);
    EXPECT_EQ(f.Height(), 23);
    EXPECT_EQ(StoredText("Normale Modus"), "0");

    // From the main window's menu: the dialog shows the new mode, and OK leaves it alone.
    f.AltijdopvoorgrondClick();
    EXPECT_TRUE(state.normalMode);
    EXPECT_TRUE(options->RadioNormal.Checked());
    EXPECT_FALSE(options->RadioVoorgrond.Checked());
    InDialog([](auto& o) { o.BtnOK.Click(); });
    EXPECT_TRUE(state.normalMode);
    EXPECT_EQ(f.Height(), 213);
}

TEST_F(OptionsTest, SecondsAreCorrectedWhenTheFieldIsLeftAndNeverReachTheTimerOutOfRange) {
    auto& f = Start();
    InDialog([&](auto& o) {
        o.SecondsEdit.UserTyped("3");
        o.DownloadCheck.Click();  // the switch applies what is typed, pulled into range
        o.DownloadCheck.Click();
        EXPECT_EQ(f.DownloadTimer.Interval(), 10000u);
        o.SecondsEdit.Exit();
        EXPECT_EQ(o.SecondsEdit.Text(), "10");
        o.BtnOK.Click();
    });
    EXPECT_EQ(f.DownloadTimer.Interval(), 10000u);
    EXPECT_EQ(Stored("Aantal seconden")->data, std::string("\x0a\0\0\0", 4));
}

TEST_F(OptionsTest, AnEmptiedUpperBoundCountsAsZeroAtOnceAndOkStoresIt) {
    auto& f = Start();
    backend.Advance(1000);
    Quote("500,00");
    EXPECT_TRUE(f.ButtonCheck.Visible());
    InDialog([&](auto& o) {
        o.SpinBoven.UserTyped("");
        Quote("501,00");  // a refresh while the dialog is open reads the field as it is
        EXPECT_TRUE(f.MaxTimer.Enabled());
        o.BtnOK.Click();
    });
    EXPECT_EQ(Stored("Bovengrens")->data, std::string(4, '\0'));
}

TEST_F(OptionsTest, ClearingTheAlarmHidesTheMarkersStopsTheBlinkingAndGreysItsFields) {
    auto& f = Start();
    backend.Advance(1000);
    Quote("600,00");
    ASSERT_TRUE(f.MaxTimer.Enabled());
    InDialog([&](auto& o) {
        o.AlarmCheck.Click();
        for (ui::Control* c : {static_cast<ui::Control*>(&o.Label1), static_cast<ui::Control*>(&o.SpinBoven),
                               static_cast<ui::Control*>(&o.Label4), static_cast<ui::Control*>(&o.SpinOnder),
                               static_cast<ui::Control*>(&o.GeluidCheck)})
            EXPECT_FALSE(c->Enabled()) << c->Name();
        o.BtnOK.Click();
    });
    EXPECT_FALSE(f.ButtonMax.Visible() || f.ButtonMin.Visible() || f.ButtonCheck.Visible());
    EXPECT_FALSE(f.MaxTimer.Enabled() || f.MinTimer.Enabled());
    EXPECT_FALSE(state.alarm.alarmOn);
    backend.Advance(600);
    EXPECT_FALSE(f.ButtonMax.Visible());
}

TEST_F(OptionsTest, OkAndCancelArmTheUpdateCheckAgainAndClearingItStopsIt) {
    auto& f = Start();
    backend.Advance(60000);
    EXPECT_FALSE(f.UpdateTimer.Enabled());  // the check ran and switched its timer off
    InDialog([](auto& o) { o.BtnCancel.Click(); });
    EXPECT_TRUE(f.UpdateTimer.Enabled());
    InDialog([](auto& o) {
        o.UpdatesCheck.Click();
        o.BtnOK.Click();
    });
    EXPECT_FALSE(f.UpdateTimer.Enabled());
}

TEST_F(OptionsTest, TheCloseBoxNeitherStoresNorRestores) {
    Start();
    EXPECT_EQ(InDialog([](auto& o) {
                  o.SpinOnder.SetValue(123);
                  o.Close();
              }),
              ui::kResultCancel);
    EXPECT_EQ(options->SpinOnder.Value(), 123);
    EXPECT_FALSE(Stored("Ondergrens"));
}

TEST_F(OptionsTest, TheDialogsPlaceIsStoredAtTheEnd) {
    Start();
    options->SetBounds(77, 66, options->Width(), options->Height());
    options->FormDestroy();
    EXPECT_EQ(Stored("ConfigTop")->data, std::string("\x42\0\0\0", 4));
    EXPECT_EQ(Stored("ConfigLeft")->data, std::string("\x4d\0\0\0", 4));
}

TEST_F(OptionsTest, TheTabKeyVisitsTheFieldsInTheDialogsOrder) {
    Start();
    std::vector<std::string> order;
    for (ui::Control* c : options->TabOrderList()) order.push_back(c->Name());
    EXPECT_EQ(order, (std::vector<std::string>{"SecondsEdit", "DownloadCheck", "AlarmCheck", "SpinBoven", "SpinOnder",
                                               "UpdatesCheck", "BtnCheck", "RadioNormal", "BtnOK", "BtnCancel"}));
}

TEST_F(OptionsTest, ACreationThatMeetsAnUnreadablePlaceStillAppliesTheIntervalAndReportsTheErrorAfter) {
    registry.Put(kKey, "ConfigTop", platform::kRegBinary, "\x01\x02");
    SetStored("Aantal seconden", 45);
    auto& f = Start();
    EXPECT_EQ(f.DownloadTimer.Interval(), 45000u);  // not the 100 ms placeholder
    EXPECT_TRUE(f.DownloadTimer.Enabled());
    EXPECT_EQ(options->Top(), (1024 - options->Height()) / 2);  // centred
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "Invalid data type for 'ConfigTop'");
}

TEST_F(OptionsTest, AnErrorInOkFinishesTheApplyAndTheSaveClosesTheDialogAndIsReportedAfter) {
    auto& f = Start();
    registry.RefuseWritesOf("Aantal seconden");
    size_t messagesWhileOpen = 99;
    backend.onModal = [&](ui::Form&) {
        options->SecondsEdit.SetValue(60);
        options->RadioVoorgrond.Click();
        options->BtnOK.Click();
        messagesWhileOpen = backend.messages.size();
    };
    ui::App().Dispatch([&] { f.Instellingen1Click(); });
    EXPECT_EQ(options->ModalResult(), ui::kResultOk);
    EXPECT_FALSE(options->Visible());
    EXPECT_EQ(messagesWhileOpen, 0u);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "Failed to set data for 'Aantal seconden'");
    EXPECT_FALSE(state.normalMode);  // applied whole
    EXPECT_EQ(f.DownloadTimer.Interval(), 60000u);
    EXPECT_EQ(StoredText("Normale Modus"), "0");
}

TEST_F(OptionsTest, WhereTheUserMovedTheDialogIsWhereItIsStoredAndWhereCheckNuCentres) {
    Start();
    int checkTop = 0, checkLeft = 0;
    options->onCheckNow = [&](int top, int left, int, int) { checkTop = top, checkLeft = left; };
    InDialog([](auto& o) {
        o.Moved(345, 67);  // dragged by its title bar
        o.BtnCheck.Click();
    });
    EXPECT_EQ(checkTop, 67);
    EXPECT_EQ(checkLeft, 345);
    options->FormDestroy();
    EXPECT_EQ(StoredInteger("ConfigTop"), 67);
    EXPECT_EQ(StoredInteger("ConfigLeft"), 345);
}

TEST_F(OptionsTest, APlaceOnASecondMonitorIsKeptAndOneOnNoMonitorGoesOntoTheNearest) {
    // The primary screen and, to its right and lower, a second one.
    backend.monitors = {{{0, 0, 1280, 1024}, {0, 0, 1280, 984}}, {{1280, 500, 2560, 1524}, {1280, 500, 2560, 1484}}};
    SetStored("ConfigLeft", 1700);
    SetStored("ConfigTop", 600);
    Start();
    EXPECT_EQ(options->Left(), 1700);
    EXPECT_EQ(options->Top(), 600);
    SetStored("ConfigTop", 10);  // above the second monitor, right of the first: on none
    options->FormCreate();
    EXPECT_EQ(options->Top(), 500);
}

}  // namespace
}  // namespace apptest
