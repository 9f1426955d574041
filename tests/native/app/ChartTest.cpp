// The day chart: fetched with every new level, drawn in normal mode, the fallback picture
// when it cannot be drawn.
#include "../chart/TestPng.h"
#include "AppFixture.h"
#include "QuotePages.h"
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
    std::string ChartFile() { return app::DataFolder + "DayGraph.png"; }
    app::TMainForm& StartAndRefresh() {
        auto& f = Start();
        backend.Advance(1000);
        return f;
    }
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
    files.files[app::DataFolder + "ErrorGraph.png"].content = "broken";
    ServeChart("broken too");
    ServeQuote("901,00", "10:00:30");
    f.Download1Click();
    EXPECT_EQ(Pixel(f, 0, 0), 0x0000FFu);
    EXPECT_EQ(f.Label2.Text(), "901,00");
    EXPECT_TRUE(backend.messages.empty());
}

}  // namespace
}  // namespace apptest
