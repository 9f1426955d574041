// The day chart: fetched with every new level, drawn in normal mode, the fallback picture
// when it cannot be drawn.
#include "../chart/TestPng.h"
#include "AppFixture.h"
#include "QuotePages.h"
#include "chart/DayChart.h"
#include "chart/DayRecord.h"
#include "quotes/Fetch.h"

namespace apptest {
namespace {

std::string SolidPng(int width, int height, unsigned r, unsigned g, unsigned b) {
    testpng::Picture p;
    p.width = width;
    p.height = height;
    for (int i = 0; i < width * height; ++i) p.samples.insert(p.samples.end(), {uint16_t(r), uint16_t(g), uint16_t(b)});
    return testpng::Encode(p);
}

class ChartTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        files.AddFile("C:\\Program Files\\Quodo\\ErrorGraph.png", SolidPng(190, 187, 200, 0, 0), 0);
    }
    uint32_t Pixel(app::TMainForm& f, int x, int y) {
        const ui::Bitmap& s = f.Image.Surface();
        return s.pixels[size_t(y) * s.width + x] & 0xFFFFFF;
    }
    void ServeQuote(const std::string& level, const std::string& time) {
        web.Script(quotes::InvestingQuoteProfile().url,
                   {fakes::FakeWeb::Body(InvestingPage(level, "+1,00", "+0,10%", time))});
    }
    void ServeChart(const std::string& png) {
        web.Script(quotes::DayChartProfile().url, {fakes::FakeWeb::Chunks({png})});
    }
    std::string ChartFile() { return state.dataFolder + "DayGraph.png"; }
    app::TMainForm& StartAndRefresh() {
        auto& f = Start();
        backend.Advance(1000);
        return f;
    }
    int Count(app::TMainForm& f, uint32_t colour) {
        return int(std::count(f.Image.Surface().pixels.begin(), f.Image.Surface().pixels.end(), colour));
    }
    void Quote(app::TMainForm& f, const std::string& level, const std::string& time) {
        ServeQuote(level, time);
        f.Download1Click();
    }
    quotes::DayPoints SavedDay() { return chart::ReadDayFile(files.files[std::string(kDataFolder) + chart::kDayFileName].content); }
};

TEST_F(ChartTest, WithoutAChartTheFallbackPictureShowsUntilAChartArrives) {
    ServeChart(SolidPng(100, 50, 0, 0, 255));  // fetched by the first refresh
    ServeQuote("900,00", "10:00:00");
    auto& f = Start();
    EXPECT_EQ(Pixel(f, 0, 0), 0xC80000u);
    EXPECT_EQ(Pixel(f, 189, 186), 0xC80000u);

    backend.Advance(1000);
    EXPECT_EQ(web.files[ChartFile()].size(), SolidPng(100, 50, 0, 0, 255).size());
    EXPECT_EQ(Pixel(f, 0, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(f, 99, 49), 0x0000FFu);
    // A smaller chart leaves the rest of the earlier picture where it was.
    EXPECT_EQ(Pixel(f, 100, 0), 0xC80000u);
    EXPECT_EQ(Pixel(f, 0, 50), 0xC80000u);
}

TEST_F(ChartTest, LargerChartIsCutAtTheArea) {
    ServeChart(SolidPng(300, 250, 0, 128, 0));
    ServeQuote("900,00", "10:00:00");
    auto& f = Start();
    backend.Advance(1000);
    EXPECT_EQ(f.Image.Surface().width, 190);
    EXPECT_EQ(f.Image.Surface().height, 187);
    EXPECT_EQ(Pixel(f, 189, 186), 0x008000u);
}

TEST_F(ChartTest, ResponseThatIsNoPictureShowsTheFallback) {
    ServeChart(SolidPng(50, 50, 0, 0, 255));
    ServeQuote("900,00", "10:00:00");
    auto& f = StartAndRefresh();
    ASSERT_EQ(Pixel(f, 0, 0), 0x0000FFu);
    ServeChart("<html>Server Error</html>");
    ServeQuote("901,00", "10:00:30");
    f.Download1Click();
    EXPECT_EQ(web.files[ChartFile()], "<html>Server Error</html>");
    EXPECT_EQ(Pixel(f, 0, 0), 0xC80000u);
}

TEST_F(ChartTest, UnreachableChartServerKeepsThePreviousChart) {
    ServeChart(SolidPng(50, 50, 0, 0, 255));
    ServeQuote("900,00", "10:00:00");
    auto& f = StartAndRefresh();
    const std::string before = web.files[ChartFile()];
    web.Script(quotes::DayChartProfile().url, {fakes::FakeWeb::Refused()});
    ServeQuote("901,00", "10:00:30");
    f.Download1Click();
    EXPECT_EQ(web.files[ChartFile()], before);
    EXPECT_EQ(Pixel(f, 0, 0), 0x0000FFu);
}

TEST_F(ChartTest, AlwaysOnTopModeFetchesButDrawsOnlyAfterTheSwitchBack) {
    SetStoredText("Normale Modus", "0");
    ServeChart(SolidPng(50, 50, 0, 0, 255));
    ServeQuote("900,00", "10:00:00");
    auto& f = StartAndRefresh();
    EXPECT_FALSE(web.files[ChartFile()].empty());
    EXPECT_NE(Pixel(f, 0, 0), 0x0000FFu);
    ServeQuote("900,00", "10:00:30");
    f.AltijdopvoorgrondClick();
    EXPECT_EQ(Pixel(f, 0, 0), 0x0000FFu);
}

TEST_F(ChartTest, WhenTheFallbackCannotBeReadEitherTheAreaKeepsWhatItShowedAndTheRefreshGoesOn) {
    ServeChart(SolidPng(50, 50, 0, 0, 255));
    ServeQuote("900,00", "10:00:00");
    auto& f = StartAndRefresh();
    files.files[state.dataFolder + "ErrorGraph.png"].content = "broken";
    ServeChart("broken too");
    ServeQuote("901,00", "10:00:30");
    f.Download1Click();
    EXPECT_EQ(Pixel(f, 0, 0), 0x0000FFu);
    EXPECT_EQ(f.Label2.Text(), "901,00");
    EXPECT_TRUE(backend.messages.empty());
}

TEST_F(ChartTest, AnErrorInTheFirstShowStillShowsTheWindowAndGoesToTheErrorHandler) {
    SetStored("MainLeft", 5000);
    files.tooLargeForMemory.insert(std::string(kDataFolder) + "DayGraph.png");
    auto& f = Start();
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(backend.messages[0].caption, "Quodo");
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.Left(), 1280 - 250) << "kept on the screen";
    EXPECT_TRUE(f.LabelWait.Visible());
    EXPECT_EQ(f.LabelWait.Text(), "\r\nWacht op nl.investing.com");
    EXPECT_TRUE(f.GrafiekTimer.Enabled());
    backend.Advance(100);
    EXPECT_FALSE(f.GrafiekTimer.Enabled()) << "the chart timer ran";
}

TEST_F(ChartTest, ChartFileAboveTheBoundIsAFailedLoadAndShowsTheFallback) {
    const std::string chart = SolidPng(50, 50, 0, 0, 255);
    const std::string path = std::string(kDataFolder) + "DayGraph.png";
    files.AddFile(path, chart + std::string(quotes::kChartFileLimit - chart.size(), '\0'), 0);
    auto& f = Start();
    EXPECT_EQ(Pixel(f, 0, 0), 0x0000FFu) << "a chart file of exactly the bound is drawn";

    form.reset();
    files.AddFile(path, chart + std::string(quotes::kChartFileLimit + 1 - chart.size(), '\0'), 0);
    auto& g = Start();
    EXPECT_EQ(Pixel(g, 0, 0), 0xC80000u);
    EXPECT_TRUE(backend.messages.empty());
}

TEST_F(ChartTest, ChartResponseAboveTheBoundIsNotStoredWholeAndShowsTheFallback) {
    const std::string chart = SolidPng(50, 50, 0, 0, 255);
    const size_t limit = quotes::kChartFileLimit;
    auto huge = fakes::FakeWeb::Sized(limit + 100000, 512);
    huge.chunks.front().replace(0, chart.size(), chart);
    web.Script(quotes::DayChartProfile().url, {huge});
    ServeQuote("900,00", "10:00:00");
    auto& f = StartAndRefresh();
    EXPECT_GT(web.files[ChartFile()].size(), limit);
    EXPECT_LE(web.files[ChartFile()].size(), limit + 512);
    EXPECT_EQ(web.OpenHandles(), 0u);
    EXPECT_EQ(Pixel(f, 0, 0), 0xC80000u);
    EXPECT_EQ(f.Label2.Text(), "900,00");
}

// Without a picture from the chart server, the levels the bar showed make the day, kept in a file:
// read back after a restart rather than an earlier run's picture, and left behind the next day.
TEST_F(ChartTest, TheShownLevelsDrawTheDayUntilAPictureComesAndAreKeptForTheDay) {
    quotes::DayPoints morning;
    chart::AddReading(morning, {2026, 12, 7}, 540, 905, 0);
    chart::AddReading(morning, {2026, 12, 7}, 570, 904, 0);
    files.AddFile(std::string(kDataFolder) + chart::kDayFileName, chart::DayFileText(morning), 0);
    files.AddFile(std::string(kDataFolder) + "DayGraph.png", SolidPng(190, 187, 0, 0, 255), 0);  // an earlier run's
    ServeQuote("907,00", "10:00:00");
    auto& f = Start();
    EXPECT_GT(Count(f, chart::kFallingLine), 50) << "at the first show, not the old picture";
    backend.Advance(1000);  // the chart server does not answer
    EXPECT_GT(Count(f, chart::kRisingLine), 50);
    EXPECT_EQ(SavedDay().points.size(), 3u);
    EXPECT_EQ(SavedDay().previousClose, 906.0) << "the level less the change";

    ServeChart(SolidPng(190, 187, 0, 255, 0));
    Quote(f, "908,00", "10:02:00");
    EXPECT_EQ(Pixel(f, 100, 100), 0x00FF00u);

    // The next day; the feed's day, when it is today's, comes before the program's own.
    chart::AddReading(quotes::FeedDay, {2026, 12, 7}, 540, 900, 0);
    chart::AddReading(quotes::FeedDay, {2026, 12, 7}, 1020, 900, 0);
    sys.clock.now = fakes::MakeDateTime(2026, 12, 8, 10, 0);
    Quote(f, "910,00", "10:00:00");
    EXPECT_TRUE(chart::IsDay(SavedDay(), {2026, 12, 8}));
    EXPECT_EQ(SavedDay().points.size(), 1u);
    EXPECT_EQ(Pixel(f, 0, 0), 0x00FF00u) << "a day of one point draws nothing, nor yesterday's feed";
    quotes::FeedDay.day = 8;
    Quote(f, "912,00", "10:01:00");
    EXPECT_GT(Count(f, chart::kFlatLine), 50);
}

}  // namespace
}  // namespace apptest
