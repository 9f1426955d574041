// Each reader's cutting on a 1 MB page, next to one memmem pass over the same bytes (for a marker
// that is not there, so the pass reads everything). Report: reader time / memmem time.
//   quotes_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <rapidjson/reader.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "quotes/Download_AEX_Feed.h"
#include "quotes/Download_AEX_IEX.h"
#include "quotes/Download_AEX_Invst.h"

namespace {

constexpr size_t kPageSize = 1 << 20;

std::string ReadPage(const std::string& name) {
    std::ifstream in(std::string(QUODO_PAGES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A 1 MB page: the realistic page's head and body repeated (without the quote) up front, the
// realistic page itself at the end, so each reader walks the whole megabyte.
std::string BigPage(const std::string& page, const std::string& firstMarker) {
    std::string filler = page;
    for (size_t at; (at = filler.find(firstMarker)) != std::string::npos;) filler.erase(at, firstMarker.size());
    std::string big;
    while (big.size() + page.size() < kPageSize) big += filler.substr(0, std::min(filler.size(), kPageSize - page.size() - big.size()));
    return big + page;
}

const std::string& IexPage() {
    static const std::string page = BigPage(ReadPage("iex-mobile.html"), "IEX25LastPrice");
    return page;
}

const std::string& InvestingPage() {
    static const std::string page = BigPage(ReadPage("investing-historical.html"), "\"last_last\"");
    return page;
}

// A 1 MB answer of the feed: the quote, then a point a minute (time, open, high, low, close,
// volume) over the 17 days up to the quote, ten hours of them on its trading day.
const std::string& FeedAnswer() {
    static const std::string answer = [] {
        constexpr long long kMondayTen = 1796634000;  // 2026-12-07 10:00 in Amsterdam
        std::string times, opens, highs, lows, closes, volumes;
        char number[32];
        const auto add = [&](std::string& list, const char* text) { list += (list.empty() ? "" : ",") + std::string(text); };
        for (long long t = kMondayTen - 25500 * 60; t <= kMondayTen; t += 60) {  // about 41 bytes a minute
            std::snprintf(number, sizeof number, "%lld", t);
            add(times, number);
            std::snprintf(number, sizeof number, "%.2f", 880 + double(t % 3000) / 100);
            for (std::string* list : {&opens, &highs, &lows, &closes}) add(*list, number);
            add(volumes, "0");
        }
        return "{\"chart\":{\"result\":[{\"meta\":{\"currency\":\"EUR\",\"symbol\":\"^AEX\",\"regularMarketPrice\":905.12,"
               "\"regularMarketTime\":" + std::to_string(kMondayTen) + ",\"chartPreviousClose\":900.0},\"timestamp\":[" +
               times + "],\"indicators\":{\"quote\":[{\"open\":[" + opens + "],\"high\":[" + highs + "],\"low\":[" +
               lows + "],\"close\":[" + closes + "],\"volume\":[" + volumes + "]}]}}],\"error\":null}}";
    }();
    return answer;
}

// One memmem pass over the whole page: a search for a marker that is not on it.
void MemmemPass(benchmark::State& state, const std::string& page, const std::string& marker) {
    for (auto _ : state) {
        const void* found = memmem(page.data(), page.size(), marker.data(), marker.size());
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_MemmemIexPage(benchmark::State& state) { MemmemPass(state, IexPage(), "IEX25NotOnThePage\">"); }
void BM_MemmemIexPageReaderMarker(benchmark::State& state) { MemmemPass(state, IexPage(), "IEX25LastPrice="); }
void BM_MemmemInvestingPage(benchmark::State& state) { MemmemPass(state, InvestingPage(), "IEX25NotOnThePage\">"); }

void BM_MemmemFeedAnswer(benchmark::State& state) { MemmemPass(state, FeedAnswer(), "IEX25NotOnThePage\">"); }

void BM_IexReader(benchmark::State& state) {
    const std::string& page = IexPage();
    quotes::IndexQuoteRecord quote;
    for (auto _ : state) {
        quotes::CutIexPage(page, ',', ':', quote);
        benchmark::DoNotOptimize(quote);
    }
    if (quote.LastPrice != "812,35") state.SkipWithError("the page was not read");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_InvestingReader(benchmark::State& state) {
    const std::string& page = InvestingPage();
    quotes::IndexQuoteRecord quote;
    const quotes::TimeSettings settings{':', "HH:mm:ss"};
    for (auto _ : state) {
        quotes::CutInvestingPage(page, settings, quotes::TimeOfDay{12, 0, 0}, quote);
        benchmark::DoNotOptimize(quote);
    }
    if (quote.LastPrice != "1.002,35") state.SkipWithError("the page was not read");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_FeedReader(benchmark::State& state) {
    const std::string& answer = FeedAnswer();
    quotes::IndexQuoteRecord quote;
    quotes::DayPoints day;
    const quotes::FeedFormat format{',', "HH:mm:ss"};
    for (auto _ : state) {
        quotes::ReadFeedAnswer(answer, format, quote, day);
        benchmark::DoNotOptimize(quote);
    }
    if (quote.LastPrice != "905,12" || day.points.size() < 600) state.SkipWithError("the answer was not read");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
    state.counters["bytes"] = double(answer.size());
}

// RapidJSON's reader alone over the same answer, with a handler that does nothing: what of the
// feed reader's time is the parse.
void BM_FeedParseOnly(benchmark::State& state) {
    const std::string& answer = FeedAnswer();
    for (auto _ : state) {
        rapidjson::BaseReaderHandler<> nothing;
        rapidjson::Reader reader;
        rapidjson::StringStream stream(answer.c_str());
        const bool parsed = !reader.Parse<rapidjson::kParseIterativeFlag>(stream, nothing).IsError();
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}

BENCHMARK(BM_MemmemIexPage);
BENCHMARK(BM_MemmemIexPageReaderMarker);
BENCHMARK(BM_IexReader);
BENCHMARK(BM_MemmemInvestingPage);
BENCHMARK(BM_InvestingReader);
BENCHMARK(BM_MemmemFeedAnswer);
BENCHMARK(BM_FeedParseOnly);
BENCHMARK(BM_FeedReader);

}  // namespace
