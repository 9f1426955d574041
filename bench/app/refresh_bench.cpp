// One refresh of the main window, natively on the headless backend with fake services: the quote
// page is read, the level coloured and shown, the day chart fetched into the (fake) data folder,
// decoded and drawn. The level changes every time, so every refresh does all of that. Beside it,
// the PNG decode of the same chart alone: the part of a refresh no code of ours can make cheaper.
// Report: refresh time / decode time.
//   refresh_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/Main.h"
#include "app/Startup.h"
#include "chart/Png.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeWeb.h"
#include "fakes/MemoryRegistry.h"
#include "native/app/QuotePages.h"
#include "native/chart/TestPng.h"
#include "quotes/Fetch.h"
#include "quotes/IndexQuote.h"
#include "settings/Options.h"
#include "ui/Application.h"
#include "ui/Headless.h"

namespace {

constexpr int kChartWidth = 190;
constexpr int kChartHeight = 187;
constexpr uint32_t kLineColour = 0x1F4E9A;

// A day chart as the chart server draws one: white, a light grid, axis lines and a price line
// that wanders over the day, as 8-bit RGB.
std::string DayChartPng() {
    testpng::Picture p;
    p.width = kChartWidth;
    p.height = kChartHeight;
    std::vector<uint32_t> rgb(size_t(p.width) * p.height, 0xFFFFFF);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (x % 19 == 0 || y % 17 == 0) rgb[size_t(y) * p.width + x] = 0xE0E0E0;
            if (x == 30 || y == p.height - 20) rgb[size_t(y) * p.width + x] = 0x404040;
        }
    int level = 90;
    for (int x = 31; x < p.width; ++x) {
        level += int((x * 7919u) % 7) - 3;
        if (level < 10) level = 10;
        if (level > p.height - 25) level = p.height - 25;
        for (int y = level; y < level + 2; ++y) rgb[size_t(y) * p.width + x] = kLineColour;
    }
    for (uint32_t c : rgb) p.samples.insert(p.samples.end(), {uint16_t(c >> 16), uint16_t((c >> 8) & 0xFF), uint16_t(c & 0xFF)});
    return testpng::Encode(p);
}

const std::string& ChartPng() {
    static const std::string png = DayChartPng();
    return png;
}

// The fallback picture, all grey: a drawn fallback is told apart from a drawn chart.
std::string FallbackPng() {
    testpng::Picture p;
    p.width = kChartWidth;
    p.height = kChartHeight;
    p.samples.assign(size_t(p.width) * p.height * 3, 0x80);
    return testpng::Encode(p);
}

struct SilentSound : platform::Sound {
    void Tone(unsigned, unsigned) override {}
    void Silence(unsigned, platform::StopSignal&) override {}
};

struct LoadedHelp : platform::HtmlHelp {
    bool loaded = false;
    bool Available() override { return true; }
    bool Load() override { return loaded = true; }
    bool Loaded() override { return loaded; }
    void Unload() override { loaded = false; }
    void Call(bool, const std::string&, unsigned, unsigned long) override {}
};

// The files a fetch writes are the files the chart drawing reads.
struct SharedFiles : fakes::FakeFileSystem {
    fakes::FakeWeb* web = nullptr;
    std::optional<std::string> ReadFile(const std::string& path) override {
        if (web) {
            auto it = web->files.find(path);
            if (it != web->files.end()) return it->second;
        }
        return FakeFileSystem::ReadFile(path);
    }
};

// The main window as the program starts it, on a Monday morning (Investing page), after its
// first refresh.
class RunningWindow {
public:
    RunningWindow() {
        ui::SetBackend(&backend_);
        sys_.Install();
        files_.web = &web_;
        files_.currentDirectory = sys_.files.currentDirectory;
        files_.programPath = sys_.files.programPath;
        files_.AddFile("C:\\Program Files\\Quodo\\Quodo.chm", "chm", 0);
        files_.AddFile("C:\\Program Files\\Quodo\\ErrorGraph.png", FallbackPng(), 0);
        auto& services = platform::Current();
        services.files = &files_;
        services.registry = &registry_;
        services.web = &web_;
        services.sound = &sound_;
        services.help = &help_;
        sys_.clock.now = fakes::MakeDateTime(2026, 12, 7, 10, 0);
        registry_.CreateKey("Software\\Quodo\\Defaults");

        ui::App().SetTitle("Quodo");
        form_ = std::make_unique<app::TMainForm>(state_);
        ui::App().SetMainForm(form_.get());
        ui::App().Dispatch([&] { form_->FormCreate(); });
        options_ = std::make_unique<settings::TOptionsForm>(*form_, form_->ProductName);
        app::ConnectOptions(*form_, *options_);
        ui::App().Dispatch([&] { options_->FormCreate(); });
        ui::App().Run(*form_);
        ScriptNext();
        backend_.Advance(1000);  // the first refresh
    }

    app::TMainForm& Form() { return *form_; }

    // Serves the next quote page (a new level and time every time) and the chart. The level
    // stays between the alarm bounds, so the alarm keeps quiet as on an ordinary day.
    void ScriptNext() {
        ++served_;
        char level[16], time[16];
        std::snprintf(level, sizeof level, "%d,%02d", 450 + (served_ / 100) % 100, served_ % 100);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", 9 + (served_ / 3600) % 8, (served_ / 60) % 60, served_ % 60);
        lastLevel_ = level;
        web_.Script(quotes::InvestingQuoteProfile().url,
                    {fakes::FakeWeb::Body(apptest::InvestingPage(level, "+1,00", "+0,10%", time))});
        web_.Script(quotes::DayChartProfile().url, {fakes::FakeWeb::Chunks({ChartPng()})});
    }
    // The fake records every call; its record is emptied between batches.
    void ForgetCalls() { web_.calls.clear(); }
    const std::string& LastLevel() const { return lastLevel_; }

private:
    ui::HeadlessBackend backend_;
    fakes::FakeSystem sys_;
    SharedFiles files_;
    fakes::MemoryRegistry registry_;
    fakes::FakeWeb web_;
    SilentSound sound_;
    LoadedHelp help_;
    app::ProgramState state_;
    std::unique_ptr<app::TMainForm> form_;
    std::unique_ptr<settings::TOptionsForm> options_;
    int served_ = 0;
    std::string lastLevel_;
};

bool ChartDrawn(app::TMainForm& form) {
    const ui::Bitmap& s = form.Image.Surface();
    ui::Bitmap chart;
    chart::PngDecoder().Decode(ChartPng(), chart);
    return s.width == kChartWidth && s.height == kChartHeight && s.pixels == chart.pixels;
}

void BM_PngDecode(benchmark::State& state) {
    const std::string& png = ChartPng();
    chart::PngDecoder decoder;
    ui::Bitmap bitmap;
    for (auto _ : state) {
        const bool ok = decoder.Decode(png, bitmap);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(bitmap.pixels.data());
    }
    if (bitmap.width != kChartWidth || bitmap.height != kChartHeight) state.SkipWithError("the chart was not decoded");
    state.counters["png_bytes"] = double(png.size());
}

void BM_Refresh(benchmark::State& state) {
    static RunningWindow window;
    app::TMainForm& form = window.Form();
    // Pages are scripted a batch ahead, outside the timing; each refresh takes the next one.
    constexpr int kBatch = 256;
    int scripted = 0;
    const size_t heapBefore = mallinfo2().uordblks;
    for (auto _ : state) {
        if (scripted == 0) {
            state.PauseTiming();
            window.ForgetCalls();
            for (int i = 0; i < kBatch; ++i) window.ScriptNext();
            scripted = kBatch;
            state.ResumeTiming();
        }
        form.RefreshQuote();
        --scripted;
    }
    // Refreshes whose pages were scripted but not taken would shift the next run's levels; the
    // check below reads the last level shown, so take them now.
    std::string shown = form.Label2.Text();
    while (scripted-- > 0) form.RefreshQuote();
    window.ForgetCalls();
    // Heap in use after the run against before it, per refresh: what the refresh keeps for good.
    const double heapGrowth = double(mallinfo2().uordblks) - double(heapBefore);
    state.counters["heap_growth_per_refresh"] = heapGrowth / double(state.iterations());
    if (form.Label2.Text() != window.LastLevel() || !ChartDrawn(form) || shown.empty())
        state.SkipWithError("the refresh did not show the new level and the chart");
}

}  // namespace

BENCHMARK(BM_PngDecode);
BENCHMARK(BM_Refresh);
