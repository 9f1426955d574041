// The refresh cycle of the main window: when the quote is fetched, from which site, and how the
// bar shows and colours it.
#include <cmath>
#include <utility>

#include "app/Main.h"
#include "platform/Platform.h"
#include "quotes/DayPoints.h"
#include "quotes/Download_AEX_Feed.h"
#include "quotes/Download_AEX_IEX.h"
#include "quotes/Download_AEX_Invst.h"
#include "quotes/IndexQuote.h"
#include "settings/StoredSettings.h"
#include "support/ClockStart.h"
#include "support/Support.h"
#include "ui/Backend.h"

namespace app {

namespace {

constexpr ui::Color kGreen = ui::Rgb(0x00, 0x80, 0x00);
constexpr ui::Color kRed = ui::Rgb(0xFF, 0x00, 0x00);
constexpr ui::Color kBlue = ui::Rgb(0x00, 0x00, 0xFF);
// The program's clock in milliseconds (see SourceOrder.h).
int64_t ClockMs() {
    const platform::DateTime now = platform::Current().clock->Now();
    return support::SecondsSince1970(now) * 1000 + now.millisecond;
}

}  // namespace

bool IsOutsideTradingHours(int hour, int minute) { return hour < 9 || hour * 60 + minute > 1050; }

void TMainForm::Timer1Timer() {
    firstRun_ = false;
    Timer1.Stop();
    RefreshQuote();
}

void TMainForm::GrafiekTimerTimer() {
    GrafiekTimer.Stop();
    if (!firstRun_) RefreshQuote();
    ApplyTopmost();
}

// The busy pointer shows from the tick until the refresh it asked for has completed: not one that
// was already under way when the tick came.
void TMainForm::DownloadTimerTimer() {
    ui::CurrentBackend().SetBusyCursor(true);
    if (!firstRun_) {
        busyAsked_ = true;
        RefreshQuote();
    } else {
        ui::CurrentBackend().SetBusyCursor(false);
    }
    ApplyTopmost();
}

void TMainForm::UpdateTimerTimer() {
    UpdateTimer.Stop();
    if (onUpdateCheck) onUpdateCheck();
}

void TMainForm::Download1Click() { RefreshQuote(); }

void TMainForm::SetRefresh(unsigned intervalMs, bool on) {
    DownloadTimer.SetInterval(intervalMs);
    DownloadTimer.SetEnabled(on);
}

void TMainForm::ApplyTopmost() { SetTopmost(!state_.normalMode); }

void TMainForm::CheckMarketClosed() {
    platform::DateTime now = platform::Current().clock->Now();
    state_.marketClosed = support::IsNonTradingDay(now) ||
                   IsOutsideTradingHours(now.hour, now.minute);
    if (state_.normalMode) {
        SetWidth(state_.marketClosed ? 262 : 250);
        Repaint();
    }
}

// One refresh at a time: asked for while one runs (a tick, "Download AEX", a mode switch), it runs
// once more after it, however often it was asked meanwhile.
void TMainForm::RefreshQuote() {
    refreshes_.Ask([this] { return RefreshOnce(); });
}

// A refresh that ends with an error keeps the busy pointer.
platform::Task<> TMainForm::RefreshOnce() {
    const bool endsBusy = std::exchange(busyAsked_, false);
    co_await RefreshSteps();
    if (endsBusy) ui::CurrentBackend().SetBusyCursor(false);
}

// Each step reads the window's state when it runs: a mode switched while the page was awaited
// shows in the new mode's form.
platform::Task<> TMainForm::RefreshSteps() {
    if (firstRun_) {
        co_await DownloadDayGraph();
        firstRun_ = false;
        co_return;
    }

    CheckMarketClosed();
    const bool marketClosed = state_.marketClosed;
    auto read = ReadQuote(marketClosed, ClockMs());
    const QuoteFrom from = co_await std::move(read);
    LabelWait.Hide();
    // The feed holds us off, or was asked too short a while ago: the bar keeps its level.
    if (from == QuoteFrom::Kept) co_return;
    levelFromFeed_ = from == QuoteFrom::Feed;
    ShowIndexName(marketClosed && from == QuoteFrom::Page ? "IEX25: " : "AEX: ");

    if (quotes::IndexQuote.LastPrice == lastHandledPrice_) co_return;
    lastHandledPrice_ = quotes::IndexQuote.LastPrice;

    ColourQuote();
    ShowQuoteOf(quotes::IndexQuote);
    const bool recorded = RecordOwnPoint();
    co_await DownloadDayGraph();
    DrawDayGraph();
    if (recorded) co_await SaveOwnDay();
}

// The page of the hour is read first, and when it gives no quote the feed is asked in the same
// refresh; after the page has failed a few refreshes running, the other way round (SourceOrder),
// the page then asked only when the feed was asked and gave no quote. When neither gives a quote
// the bar shows the page's code, unless the feed could not be asked for politeness' sake while the
// bar shows its level: that level then stays.
platform::Task<TMainForm::QuoteFrom> TMainForm::ReadQuote(bool marketClosed, int64_t refreshBegan) {
    settings::SettingsStore store(ProductName);
    const bool feedOn = settings::LoadFeedSwitch(store);
    const bool pageFirst = sourceOrder_.PageFirst(marketClosed ? 0 : 1, refreshBegan) || !feedOn;
    FeedAnswer feed = FeedAnswer::NotAsked;
    if (!pageFirst) {
        auto ask = AskFeed();
        feed = co_await std::move(ask);
        if (feed == FeedAnswer::Quote) co_return QuoteFrom::Feed;
        // The page, failing for a while, waits for its ten minutes; the level shown stays.
        if (feed == FeedAnswer::HeldBack && levelFromFeed_) co_return QuoteFrom::Kept;
    }
    auto read = ReadPage(marketClosed);
    if (co_await std::move(read)) co_return QuoteFrom::Page;
    if (pageFirst && feedOn) {
        auto ask = AskFeed();
        feed = co_await std::move(ask);
        if (feed == FeedAnswer::Quote) co_return QuoteFrom::Feed;
    }
    co_return feed == FeedAnswer::HeldBack && levelFromFeed_ ? QuoteFrom::Kept : QuoteFrom::Page;
}

// The page of the hour into IndexQuote; true when it gave a level.
platform::Task<bool> TMainForm::ReadPage(bool marketClosed) {
    auto read = marketClosed ? quotes::Download_AEX_IEX() : quotes::Download_AEX_Invst();
    co_await std::move(read);
    const bool delivered = !quotes::IsCode(quotes::IndexQuote.LastPrice);
    sourceOrder_.PageRead(ClockMs(), delivered);
    co_return delivered;
}

// The feed, when it may be asked now; its quote becomes IndexQuote, its codes stay its own.
platform::Task<TMainForm::FeedAnswer> TMainForm::AskFeed() {
    const int64_t now = ClockMs();
    if (!feedPoliteness_.MayAsk(now, DownloadTimer.Interval())) co_return FeedAnswer::HeldBack;
    feedPoliteness_.Asked(now);
    platform::Services& services = platform::Current();
    auto ask = quotes::Download_AEX_Feed(*services.web, *services.locale, feedQuote_, quotes::FeedDay);
    const quotes::FeedOutcome outcome = co_await std::move(ask);
    if (outcome.delivered) {
        quotes::IndexQuote = feedQuote_;
        co_return FeedAnswer::Quote;
    }
    if (outcome.holdOffSeconds == 0) co_return FeedAnswer::NoQuote;
    feedPoliteness_.HoldOff(ClockMs(), outcome.holdOffSeconds);
    co_return FeedAnswer::HeldBack;
}

// The two index names differ in width; the level and the time move along, also when the level
// text stays the same and the quote is therefore not shown again.
void TMainForm::ShowIndexName(const std::string& name) {
    if (Label1.Text() == name) return;
    Label1.SetText(name);
    PlaceQuoteLabels();
}

void TMainForm::PlaceQuoteLabels() {
    Label2.SetLeft(Label1.Left() + Label1.Width());
    Label3.SetLeft(Label2.Left() + Label2.Width());
}

void TMainForm::ColourQuote() {
    auto& quote = quotes::IndexQuote;
    // A failure code is shown in the level's place but is no level: it is neither coloured nor
    // remembered, so the next good quote is coloured against the last good one. Its quote time
    // is whatever an earlier page left, which may be newer than the last coloured one.
    const bool failureCode = quote.LastPrice == quotes::kFetchFailed || quote.LastPrice == quotes::kPageRejected;
    if (quote.LastPrice != quotes::kNoQuoteTime) {
        currentLevel_ = support::ParseNumber(quote.LastPrice);
        quote.LastPrice = support::FormatNumber(6, 2, currentLevel_);
    }
    if (quote.QuoteTime.empty() || quote.QuoteTime == "*****") return;
    if (state_.alarm.alarmOn) CheckAlarm();
    if (failureCode || quote.QuoteTime == lastColouredTime_ || currentLevel_ == previousLevel_) return;
    lastColouredTime_ = quote.QuoteTime;

    if (std::fabs(previousLevel_) < 0.01) {
        Label1.SetFontColor(ui::kBlack);
        Label2.SetFontColor(ui::kBlack);
    } else {
        Label1.SetFontColor(quote.Sign == "+" ? kGreen : quote.Sign.empty() ? kBlue : kRed);
        Label2.SetFontColor(currentLevel_ > previousLevel_ ? kGreen : kRed);
    }
    previousLevel_ = currentLevel_;
}

// The quote the bar shows, in the form of the current mode: the last one shown, not what a refresh
// in progress has read so far; the quote as read before any was shown.
void TMainForm::ShowQuote() { ShowQuoteOf(quoteShown_ ? shownQuote_ : quotes::IndexQuote); }

void TMainForm::ShowQuoteOf(const quotes::IndexQuoteRecord& quote) {
    shownQuote_ = quote;
    quoteShown_ = true;
    if (state_.normalMode)
        Label2.SetText(quote.LastPrice);
    else
        Label2.SetText(quote.LastPrice + " " + quote.AbsDiff + " (" + quote.RelDiff + ")");
    Label3.SetText(" @ " + quote.QuoteTime);
    PlaceQuoteLabels();
}

}  // namespace app
