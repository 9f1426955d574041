// Each reader's cutting on a 1 MB page, next to one memmem pass over the same bytes (for a marker
// that is not there, so the pass reads everything). Report: reader time / memmem time.
//   quotes_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

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

BENCHMARK(BM_MemmemIexPage);
BENCHMARK(BM_MemmemIexPageReaderMarker);
BENCHMARK(BM_IexReader);
BENCHMARK(BM_MemmemInvestingPage);
BENCHMARK(BM_InvestingReader);

}  // namespace
