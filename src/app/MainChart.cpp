// The day chart: fetched into the data folder whenever the level changes, drawn in normal mode;
// when the chart server gives no picture, the day drawn from its points (the feed's, or the levels
// the bar has shown today); the fallback picture when neither can be shown.
#include "app/Main.h"
#include "chart/DayChart.h"
#include "chart/DayRecord.h"
#include "platform/Platform.h"
#include "platform/Wait.h"
#include "quotes/Fetch.h"
#include "quotes/TimeOfDay.h"

namespace app {

namespace {

// The day file is a few kilobytes; a disk that takes longer than this is left to finish by itself.
constexpr unsigned kDayFileDeadlineMs = 5000;

support::Date TradingDayNow() { return chart::TradingDayAt(platform::Current().clock->Now()); }

}  // namespace

// A file above the bound is a failed load: it is never read into memory whole.
bool TMainForm::LoadPicture(const std::string& path) {
    std::optional<std::string> bytes = platform::Current().files->ReadFileUpTo(path, quotes::kChartFileLimit);
    return bytes && chartPng_.Decode(*bytes, chartBitmap_);
}

// What the server answered this time is today's, picture or not; a server that could not be reached
// leaves the file, and its day, as they were.
platform::Task<> TMainForm::DownloadDayGraph() {
    auto chart = quotes::AwaitFile(*platform::Current().web, quotes::DayChartProfile(), state_.dataFolder + "DayGraph.png");
    const quotes::FileFetch fetched = co_await std::move(chart);
    if (fetched.urlOpened) chartDay_ = TradingDayNow();
}

// The feed's day when it is today's and has a line to draw, else the program's own.
const quotes::DayPoints* TMainForm::DayToDraw(const support::Date& tradingDay) const {
    const auto drawable = [&](const quotes::DayPoints& day) {
        return chart::IsDay(day, tradingDay) && day.points.size() >= 2;
    };
    if (drawable(quotes::FeedDay)) return &quotes::FeedDay;
    return drawable(ownDay_) ? &ownDay_ : nullptr;
}

// The server's picture comes first, unless it was stored on another day or by an earlier run while
// today has a day to draw: then that day is shown, not an old picture.
void TMainForm::DrawDayGraph() {
    if (!state_.normalMode) return;
    const support::Date today = TradingDayNow();
    const quotes::DayPoints* day = DayToDraw(today);
    if ((!day || chartDay_ == today) && LoadPicture(state_.dataFolder + "DayGraph.png")) {
        Image.Draw(chartBitmap_, 0, 0);
    } else if (day) {
        Image.ShowPainted([points = *day](int width, int height, int dpi) {
            return chart::DrawDay(points, width, height, dpi);
        });
    } else if (LoadPicture(state_.dataFolder + "ErrorGraph.png")) {
        // When neither the chart nor the fallback picture can be read, the area keeps what it showed.
        Image.Draw(chartBitmap_, 0, 0);
    }
}

// At start-up: the day as an earlier run left it (a file of a few kilobytes, read once).
void TMainForm::LoadOwnDay() {
    const auto text = platform::Current().files->ReadFileUpTo(state_.dataFolder + chart::kDayFileName, chart::kDayFileLimit);
    ownDay_ = text ? chart::ReadDayFile(*text) : quotes::DayPoints();
}

// The level the bar shows now, at the minute of its quote time; the close before it follows from the
// change. A code or a time that is none adds nothing.
bool TMainForm::RecordOwnPoint() {
    if (quotes::IsCode(lastHandledPrice_) || currentLevel_ <= 0) return false;
    const quotes::IndexQuoteRecord& quote = quotes::IndexQuote;
    const auto time = quotes::ParseTimeOfDay(quote.QuoteTime, platform::Current().locale->TimeSeparator());
    if (!time) return false;
    const bool changeKnown = quote.AbsDiff.find_first_of("0123456789") != std::string::npos;
    const double previousClose = changeKnown ? currentLevel_ - support::ParseNumber(quote.AbsDiff) : 0;
    chart::AddReading(ownDay_, TradingDayNow(), time->hour * 60 + time->minute, currentLevel_, previousClose);
    return true;
}

platform::Task<> TMainForm::SaveOwnDay() {
    if (ownDaySaving_->exchange(true)) co_return;
    auto write = platform::OnWorker(
        [files = platform::Current().files, path = state_.dataFolder + chart::kDayFileName, day = ownDay_,
         saving = ownDaySaving_](platform::Job&) {
            struct Done {
                std::atomic<bool>& flag;
                ~Done() { flag = false; }
            } done{*saving};
            chart::WriteWhole(*files, path, chart::DayFileText(day));
        },
        platform::WaitOptions::Within(kDayFileDeadlineMs));
    try {
        co_await std::move(write);
    } catch (const platform::DeadlinePassed&) {
    }
}

}  // namespace app
