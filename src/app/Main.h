// The main window: a border-less window with the day chart above a one-line bar (index name,
// level, quote time and the alarm marker), in normal or always-on-top mode.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/ProgramState.h"
#include "app/SourceOrder.h"
#include "platform/Task.h"
#include "app/Version.h"
#include "chart/Png.h"
#include "quotes/DayPoints.h"
#include "quotes/IndexQuote.h"
#include "settings/TickerControl.h"
#include "support/Support.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Operations.h"

namespace app {

class TMainForm : public ui::Form, public settings::TickerControl {
public:
    explicit TMainForm(ProgramState& state);
    ~TMainForm() override;

    // Components, in the order the window declares them.
    ui::PopupMenu PopupMenu{"PopupMenu"};
    ui::Timer DownloadTimer{*this, "DownloadTimer", 100, true};
    ui::Timer UpdateTimer{*this, "UpdateTimer", 60000, false};
    ui::Timer MinTimer{*this, "MinTimer", 300, false};
    ui::Timer MaxTimer{*this, "MaxTimer", 300, false};
    ui::PopupMenu InfoPopup{"InfoPopup"};
    ui::Panel KoersPanel{this, "KoersPanel"};
    ui::SpeedButton ButtonInfo{&KoersPanel, "ButtonInfo", "info"};
    ui::SpeedButton ButtonMin{&KoersPanel, "ButtonMin", "min"};
    ui::SpeedButton ButtonCheck{&KoersPanel, "ButtonCheck", "check"};
    ui::SpeedButton ButtonMax{&KoersPanel, "ButtonMax", "max"};
    ui::Label Label1{&KoersPanel, "Label1"};
    ui::Label Label2{&KoersPanel, "Label2"};
    ui::Label Label3{&KoersPanel, "Label3"};
    ui::Timer GrafiekTimer{*this, "GrafiekTimer", 100, false};
    ui::Image Image{this, "Image"};
    ui::Timer Timer1{*this, "Timer1", 1000, true};
    ui::Label LabelWait{this, "LabelWait"};

    // Event handlers.
    void FormCreate();
    void DownloadTimerTimer();
    void ButtonInfoClick();
    void FormMouseDown(ui::Control& sender, ui::MouseButton button, int x, int y);
    void FormMouseMove(ui::Control& sender, ui::MouseButton button, int x, int y);
    void FormMouseUp(ui::Control& sender, ui::MouseButton button, int x, int y);
    void Afsluiten1Click();
    void UpdateTimerTimer();
    void MinTimerTimer();
    void MaxTimerTimer();
    void FormDestroy();
    void OverQuodo2Click();
    void Help1Click();
    void Help2Click();
    void FormShow();
    void Download1Click();
    void DrawDayGraph();
    void AltijdopvoorgrondClick();
    void GrafiekTimerTimer();
    void Instellingen1Click();
    void Timer1Timer();

    // Operations other windows call. RefreshQuote asks for a refresh: it starts at once, or follows
    // the one that runs.
    void RefreshQuote();
    void ShowQuote();
    void CheckAlarm();
    void ArrangeWindow();
    void CheckMarketClosed();

    // What the settings dialog asks of the window.
    bool NormalMode() const override { return state_.normalMode; }
    void SwitchMode() override { AltijdopvoorgrondClick(); }
    void SetRefresh(unsigned intervalMs, bool on) override;
    void SetUpdateCheck(bool on) override { UpdateTimer.SetEnabled(on); }
    void SetAlarmSwitches(bool alarmOn, bool soundOn) override;
    void ShowAlarm(bool on) override;

    // Hooks to the windows that are built on top of this one (settings dialog, information box,
    // update check); empty until those windows exist.
    std::function<void(bool normalMode)> onModeSwitch;
    // The first show has arranged the window (the settings dialog greys its sound switch then).
    ui::Handler onFirstShow;
    ui::Handler onSettings, onAbout, onUpdateCheck;

    const std::string ProductName = "Quodo";
    const std::string VersionText = std::string("versie ") + kVersionNumber;
    const std::string NoticeText = "Koersen zonder garantie; alleen ter informatie.";

    // What the windows share (the mode, the exchange, the data folder, the alarm).
    ProgramState& State() const { return state_; }
    // The owner of the window's operations.
    platform::Owner& Work() { return work_; }

    // State, readable by tests and other windows.
    bool Shown() const { return shown_; }
    bool FirstRun() const { return firstRun_; }
    bool Dragging() const { return dragging_; }
    const std::string& StartDir() const { return startDir_; }
    const std::string& HelpFilePath() const { return helpFilePath_; }
    double CurrentLevel() const { return currentLevel_; }
    double PreviousLevel() const { return previousLevel_; }
    bool Refreshing() const { return refreshes_.Running(); }
    bool Sounding() const { return sounds_.Running(); }

private:
    void BuildMenus();
    void SetUpComponents();
    void HookMouse(ui::Control& control);
    void PlaceBarControls();
    void KeepOnScreen();
    void ApplyTopmost();
    bool AppHelp(unsigned command, unsigned long data);
    // Loads the help library at the first help request; false (the user told) when it cannot.
    bool LoadHtmlHelp();
    void TellHelpIsMissing();
    void UnloadHtmlHelp();
    ui::MenuItem& AltijdopvoorgrondItem();

    // The refresh cycle.
    enum class QuoteFrom { Page, Feed, Kept };
    enum class FeedAnswer { NotAsked, Quote, NoQuote, HeldBack };
    platform::Task<QuoteFrom> ReadQuote(bool marketClosed, int64_t refreshBegan);
    platform::Task<bool> ReadPage(bool marketClosed);
    platform::Task<FeedAnswer> AskFeed();
    void ShowIndexName(const std::string& name);
    void ShowQuoteOf(const quotes::IndexQuoteRecord& quote);
    void PlaceQuoteLabels();
    void ColourQuote();
    platform::Task<> RefreshOnce();
    platform::Task<> RefreshSteps();
    platform::Task<> DownloadDayGraph();
    void LoadOwnDay();
    bool RecordOwnPoint();
    platform::Task<> SaveOwnDay();
    const quotes::DayPoints* DayToDraw(const support::Date& tradingDay) const;
    void BeepHigh();
    void BeepLow();
    platform::Task<> Sweep(int step);

    ProgramState& state_;
    bool shown_ = false;
    bool firstRun_ = true;
    bool dragging_ = false;
    // What the window starts: one refresh at a time, and one sweep of tones at a time, with at most
    // one more waiting behind each.
    platform::Owner work_{ui::App()};
    ui::OneAtATime refreshes_{work_};
    ui::OneAtATime sounds_{work_};
    // A tick of the refresh timer showed the busy pointer; the refresh that starts next takes it
    // away when it has completed.
    bool busyAsked_ = false;
    bool previousNormalMode_ = true;
    int dragStartX_ = 0, dragStartY_ = 0;
    std::string startDir_;
    std::string helpFilePath_;
    ui::Application::HelpHook savedHelpHook_;

    // The day chart's decoder and bitmap, made with the window and reused for every draw.
    chart::PngDecoder chartPng_;
    ui::Bitmap chartBitmap_;
    bool LoadPicture(const std::string& path);
    // The trading day on which this run last stored what the chart server answered (year 0: never).
    support::Date chartDay_{0, 0, 0};
    // The levels the bar has shown, kept for the trading day.
    quotes::DayPoints ownDay_;
    // A write of the day file that outlived its wait still runs: the next point writes again.
    std::shared_ptr<std::atomic<bool>> ownDaySaving_ = std::make_shared<std::atomic<bool>>(false);

    // Where the quote comes from: the page of the hour or the feed, which is asked politely.
    SourceOrder sourceOrder_;
    FeedPoliteness feedPoliteness_;
    quotes::IndexQuoteRecord feedQuote_;  // what the feed last left, a quote or a code
    bool levelFromFeed_ = false;          // the bar shows a level the feed gave

    std::string lastHandledPrice_;
    double currentLevel_ = 0;
    double previousLevel_ = 0;
    std::string lastColouredTime_;
    // The quote the bar shows, to show it again in the other mode's form when a refresh fails.
    quotes::IndexQuoteRecord shownQuote_;
    bool quoteShown_ = false;
};

bool IsOutsideTradingHours(int hour, int minute);

}  // namespace app
