// The day chart: fetched into the data folder whenever the level changes, drawn in normal mode,
// with the fallback picture when the chart cannot be shown.
#include "app/Main.h"
#include "chart/Png.h"
#include "platform/Platform.h"
#include "quotes/Fetch.h"

namespace app {

namespace {

// Made once and reused for every draw, as is the bitmap it decodes into.
chart::PngDecoder& ChartPng() {
    static chart::PngDecoder decoder;
    return decoder;
}

ui::Bitmap& ChartBitmap() {
    static ui::Bitmap bitmap;
    return bitmap;
}

bool LoadPicture(const std::string& path) {
    std::optional<std::string> bytes = platform::Current().files->ReadFile(path);
    return bytes && ChartPng().Decode(*bytes, ChartBitmap());
}

}  // namespace

void TMainForm::DownloadDayGraph() {
    quotes::FetchUrlToFile(*platform::Current().web, quotes::DayChartProfile(), DataFolder + "DayGraph.png");
}

void TMainForm::DrawDayGraph() {
    if (!NormalMode) return;
    // When neither the chart nor the fallback picture can be read, the area keeps what it showed.
    if (LoadPicture(DataFolder + "DayGraph.png") || LoadPicture(DataFolder + "ErrorGraph.png"))
        Image.Draw(ChartBitmap(), 0, 0);
}

}  // namespace app
