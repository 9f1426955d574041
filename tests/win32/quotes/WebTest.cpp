// The fetch over WinINet against the fixture server: what the server saw, attempts, chunking,
// the zero-byte rule, refused and dropped connections, stalls, cuts and huge bodies.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "FixtureServer.h"
#include "RecordingWeb.h"
#include "quotes/Fetch.h"
#include "win32/Win32Web.h"

namespace {

using quotes::ClassifyPage;
using quotes::FetchUrlToFile;
using quotes::PageOutcome;

std::string FixtureFile(const std::string& name) {
    std::ifstream in(std::string(QUODO_FIXTURES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The body the zero-byte rule makes of the reads WinINet delivered.
std::string ByZeroByteRule(const std::vector<std::string>& reads) {
    std::string body;
    for (const std::string& read : reads) body += read.substr(0, read.find('\0'));
    return body;
}

class WineWeb : public ::testing::Test {
protected:
    void SetUp() override {
        win32::InstallWeb();
        web_ = std::make_unique<RecordingWeb>(*platform::Current().web);
    }
    RecordingWeb& web() { return *web_; }
    quotes::FetchProfile Profile(const std::string& url, int attempts, uint32_t timeout) {
        quotes::FetchProfile p;
        p.url = url;
        p.attempts = attempts;
        p.bounds.receiveMs = timeout;
        return p;
    }

private:
    std::unique_ptr<RecordingWeb> web_;
};

TEST_F(WineWeb, TheServerSeesAPlainDirectGetWithTheAgentAndNoExtraHeaders) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_file": "pages/iex-mobile.html"}]}})");
    const auto result = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(result.body, FixtureFile("pages/iex-mobile.html"));
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Accepted);

    const auto seen = fixture::Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].host, "m.iex.nl");
    EXPECT_EQ(seen[0].target, "/") << "an origin-form target: no proxy in between";
    EXPECT_EQ(seen[0].Header("User-Agent"), "Delphi Function: Download");
    const std::set<std::string> allowed{"Host", "User-Agent", "Pragma", "Cache-Control", "Connection"};
    for (const auto& header : seen[0].headers) EXPECT_TRUE(allowed.count(header.first)) << "extra header " << header.first;
    EXPECT_EQ(seen[0].Header("Proxy-Connection"), "");
    EXPECT_EQ(seen[0].Header("Cookie"), "");
}

TEST_F(WineWeb, TheChartRequestCarriesItsQueryAndTheFileHoldsEveryByte) {
    std::string zeros;
    for (int offset : {3, 512, 1000}) zeros += (zeros.empty() ? "" : ", ") + std::to_string(offset);
    fixture::Load(R"({"routes": {"charts.iex.nl/ChartServer/chart.ashx": [{"body_size": 1636, "fill": "c", "zero_at": [)" +
                  zeros + "]}]}}");
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "quodo-chart-test.png";
    const auto result = FetchUrlToFile(web(), quotes::DayChartProfile(), path);
    EXPECT_TRUE(result.complete);

    std::string expected(1636, 'c');
    expected[3] = expected[512] = expected[1000] = '\0';
    std::ifstream in(path, std::ios::binary);
    std::ostringstream file;
    file << in.rdbuf();
    EXPECT_EQ(file.str(), expected);

    const auto seen = fixture::Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].host, "charts.iex.nl");
    EXPECT_EQ(seen[0].target, "/ChartServer/chart.ashx?ctype=4&id=12272&daterange=today&name=AEX");
    EXPECT_EQ(seen[0].Header("User-Agent"), "Delphi Function: Download");

    // A chart URL that cannot be opened leaves the file as it was.
    fixture::Load(R"({"routes": {"charts.iex.nl/ChartServer/chart.ashx": [{"drop": true}]}})");
    const auto failed = FetchUrlToFile(web(), quotes::DayChartProfile(), path);
    EXPECT_FALSE(failed.urlOpened);
    std::ifstream again(path, std::ios::binary);
    std::ostringstream kept;
    kept << again.rdbuf();
    EXPECT_EQ(kept.str(), expected);
    DeleteFileA(path.c_str());
}

TEST_F(WineWeb, EmptyEmptyThenAPageIsAcceptedOnTheThirdAttempt) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body": ""}, {"body": ""}, {"body_file": "pages/iex-mobile.html"}]}})");
    const auto result = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(result.attemptsMade, 3);
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Accepted);
    EXPECT_EQ(fixture::Requests().size(), 3u);

    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body": ""}]}})");
    const auto empty = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(empty.attemptsMade, 3);
    EXPECT_EQ(ClassifyPage(empty), PageOutcome::Failed);
    EXPECT_EQ(fixture::Requests().size(), 3u) << "no fourth request";
}

TEST_F(WineWeb, AZeroByteDropsTheRestOfItsReadOnly) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_size": 5000, "fill": "z", "zero_at": [9, 2100], "pieces": [700]}]}})");
    const auto result = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    ASSERT_FALSE(web().reads.empty());
    for (const auto& read : web().reads) EXPECT_LE(read.size(), 2048u);
    EXPECT_EQ(result.body, ByZeroByteRule(web().reads));
    EXPECT_EQ(result.body.substr(0, 9), std::string(9, 'z'));
    EXPECT_EQ(result.body.size() + (web().reads[0].size() - 9) <= 5000 - 1, true)
        << "the first read contributes its first nine bytes only";
}

TEST_F(WineWeb, ChunkBoundariesOnTheWireDoNotChangeTheBody) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_file": "pages/investing-historical.html", "chunked": true, "pieces": [1, 2047, 7, 100000]}]}})");
    const auto result = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(result.body, FixtureFile("pages/investing-historical.html"));
    EXPECT_TRUE(result.complete);
}

TEST_F(WineWeb, DefaultHtmAndShortBodiesAreRejected) {
    const std::string page49(49, 'p'), page50(50, 'p');
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body": "Default.htm"}, {"body": ")" + page49 + R"("}, {"body": ")" + page50 + R"("}]}})");
    EXPECT_EQ(ClassifyPage(FetchUrlToFile(web(), quotes::IexQuoteProfile())), PageOutcome::Rejected);
    EXPECT_EQ(ClassifyPage(FetchUrlToFile(web(), quotes::IexQuoteProfile())), PageOutcome::Rejected);
    const auto accepted = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(ClassifyPage(accepted), PageOutcome::Accepted);
    EXPECT_EQ(accepted.body, page50);
}

TEST_F(WineWeb, ARefusedOrDroppedConnectionIsAFailedAttempt) {
    const auto refused = FetchUrlToFile(web(), Profile("http://m.iex.nl:1/", 3, true));
    EXPECT_EQ(refused.attemptsMade, 3);
    EXPECT_EQ(ClassifyPage(refused), PageOutcome::Failed);

    fixture::Load(R"({"routes": {"m.iex.nl/": [{"drop": true}]}})");
    const auto dropped = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(dropped.attemptsMade, 3);
    EXPECT_EQ(ClassifyPage(dropped), PageOutcome::Failed);
    EXPECT_EQ(fixture::Requests().size(), 3u);
}

TEST_F(WineWeb, ACutBodyIsReportedByTheWebAndKeptAsContent) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_size": 6000, "cut_after": 3000}, {"body_size": 6000}]}})");
    const auto result = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(result.body, std::string(3000, 'x'));
    EXPECT_EQ(result.attemptsMade, 1);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(web().failedReads, 1) << "the early close shows as a failed read";
}

TEST_F(WineWeb, AHugeBodyStopsAt16MiB) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_size": 17825792, "fill": "h"}]}})");
    const auto result = FetchUrlToFile(web(), quotes::IexQuoteProfile());
    EXPECT_EQ(result.body.size(), 16u * 1024 * 1024);
    EXPECT_EQ(result.body.find_first_not_of('h'), std::string::npos);
}

// Each fetch's requests carry its own bounds: no fetch takes another's leftovers.
TEST_F(WineWeb, StallsEndAfterTheFetchsOwnReceiveTimeout) {
    // Before the body: nothing arrives, the attempt fails.
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_size": 100, "stall_after": 0, "stall_ms": 20000}]}})");
    const auto before = FetchUrlToFile(web(), Profile("http://m.iex.nl/", 1, 2000));
    EXPECT_EQ(ClassifyPage(before), PageOutcome::Failed);
    ASSERT_EQ(web().urlBounds.size(), 1u);
    EXPECT_EQ(web().urlBounds[0].receiveMs, 2000u);
    EXPECT_EQ(web().urlBounds[0].connectMs, quotes::kConnectTimeoutMs);

    // During the body: what the reads delivered before the stall stays (a read that times out
    // delivers nothing).
    fixture::Load(R"({"routes": {"nl.investing.com/x": [{"body_size": 6000, "pieces": [2500], "stall_after": 2500, "stall_ms": 20000}]}})");
    const DWORD start = GetTickCount();
    const auto during = FetchUrlToFile(web(), Profile("http://nl.investing.com/x", 1, 3000));
    EXPECT_LT(GetTickCount() - start, 15000u);  // the receive time-out, well before the 20 s stall ends
    EXPECT_FALSE(during.body.empty());
    EXPECT_LE(during.body.size(), 2500u);
    EXPECT_EQ(during.body, ByZeroByteRule(web().reads));
    EXPECT_FALSE(during.complete);
    ASSERT_EQ(web().urlBounds.size(), 2u);
    EXPECT_EQ(web().urlBounds[1].receiveMs, 3000u);
}

// A server that never lets a read time out (the answer held back just under the receive time-out,
// piece after piece) is cut at the try's deadline, from the waiting side.
TEST_F(WineWeb, ATryEndsAtItsDeadlineWhateverTheServerTrickles) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_size": 200, "pieces": [1], "rate": 1}]}})");
    quotes::FetchProfile trickle = Profile("http://m.iex.nl/", 1, 2000);
    trickle.tryDeadlineMs = 3000;
    const DWORD start = GetTickCount();
    const auto result = FetchUrlToFile(web(), trickle);
    const DWORD elapsed = GetTickCount() - start;
    // About 5 s here (the deadline, then the read's receive time-out under Wine); the bound leaves
    // room for a machine busy with builds beside the tests, far below the 200 s of the whole trickle.
    EXPECT_GE(elapsed, 2900u);
    EXPECT_LT(elapsed, 3000u + 2000u + 10000u) << "the deadline, and at most one receive time-out more";
    EXPECT_FALSE(result.complete);
    EXPECT_LT(result.body.size(), 200u);
}

}  // namespace
