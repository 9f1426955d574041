// The day chart: fetched into the data folder whenever the level changes, drawn in normal mode,
// with the fallback picture when the chart cannot be shown.
#include "app/Main.h"
#include "platform/Platform.h"
#include "quotes/Fetch.h"

namespace app {

// A file above the bound is a failed load: it is never read into memory whole.
bool TMainForm::LoadPicture(const std::string& path) {
    std::optional<std::string> bytes = platform::Current().files->ReadFileUpTo(path, quotes::kChartFileLimit);
    return bytes && chartPng_.Decode(*bytes, chartBitmap_);
}

platform::Task<> TMainForm::DownloadDayGraph() {
    auto chart = quotes::AwaitFile(*platform::Current().web, quotes::DayChartProfile(), state_.dataFolder + "DayGraph.png");
    co_await std::move(chart);
}

void TMainForm::DrawDayGraph() {
    if (!state_.normalMode) return;
    // When neither the chart nor the fallback picture can be read, the area keeps what it showed.
    if (LoadPicture(state_.dataFolder + "DayGraph.png") || LoadPicture(state_.dataFolder + "ErrorGraph.png"))
        Image.Draw(chartBitmap_, 0, 0);
}

}  // namespace app
