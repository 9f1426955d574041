#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fakes/FakeWeb.h"
#include "quotes/Fetch.h"

namespace {

using fakes::FakeWeb;
using quotes::ClassifyPage;
using quotes::FetchUrlToFile;
using quotes::PageOutcome;

std::string Page(size_t size, char fill = 'p') { return std::string(size, fill); }

TEST(FetchProfiles, EachUseHasItsAddressAttemptsTimeoutFlagsHeadersAndChunk) {
    const auto iex = quotes::IexQuoteProfile();
    EXPECT_EQ(iex.url, "http://m.iex.nl/");
    EXPECT_EQ(iex.attempts, 3);
    EXPECT_EQ(iex.bounds.receiveMs, 2000u);
    EXPECT_EQ(iex.openFlags, 0x80000000u);
    EXPECT_FALSE(iex.extraHeaders.has_value());
    EXPECT_EQ(iex.chunkSize, 2048u);

    const auto investing = quotes::InvestingQuoteProfile();
    EXPECT_EQ(investing.url, "http://nl.investing.com/indices/netherlands-25-historical-data");
    EXPECT_EQ(investing.attempts, 2);
    EXPECT_EQ(investing.openFlags, 0x80000000u);

    const auto versions = quotes::VersionListProfile();
    EXPECT_EQ(versions.url, "https://www.quodosoft.nl/versions.dat");
    EXPECT_EQ(versions.attempts, 2);
    EXPECT_EQ(versions.bounds.receiveMs, 2000u);

    const auto installer = quotes::InstallerProfile("https://www.quodosoft.nl/QuodoSetup.exe");
    EXPECT_EQ(installer.attempts, 1);
    EXPECT_EQ(installer.openFlags, 0x84000000u);  // no copy in the cache either
    EXPECT_EQ(installer.chunkSize, 2048u);

    const auto chart = quotes::DayChartProfile();
    // Every use has bounds of its own: the connect, each wait for data and the whole try.
    for (const auto& p : {iex, investing, versions, installer, chart}) {
        EXPECT_GT(p.bounds.connectMs, 0u) << p.url;
        EXPECT_GT(p.bounds.receiveMs, 0u) << p.url;
        EXPECT_GT(p.tryDeadlineMs, p.bounds.receiveMs) << p.url;
    }
    EXPECT_LE(versions.tryDeadlineMs * unsigned(versions.attempts), 60000u);
    EXPECT_EQ(chart.url, "http://charts.iex.nl/ChartServer/chart.ashx?ctype=4&id=12272&daterange=today&name=AEX");
    EXPECT_EQ(chart.openFlags, 0x04000000u);
    ASSERT_TRUE(chart.extraHeaders.has_value());
    EXPECT_EQ(*chart.extraHeaders, "");
    EXPECT_EQ(chart.chunkSize, 512u);
}

TEST(ClassifyPage, FailedRejectedAndAcceptedBodies) {
    EXPECT_EQ(ClassifyPage(3, ""), PageOutcome::Failed);
    EXPECT_EQ(ClassifyPage(1, ""), PageOutcome::Failed);
    EXPECT_EQ(ClassifyPage(0, ""), PageOutcome::Rejected);  // no session: no attempt
    EXPECT_EQ(ClassifyPage(1, "Default.htm"), PageOutcome::Rejected);
    EXPECT_EQ(ClassifyPage(1, Page(49)), PageOutcome::Rejected);
    EXPECT_EQ(ClassifyPage(1, Page(50)), PageOutcome::Accepted);
    const std::string containsDefault = "<html>Default.htm" + Page(40) + "</html>";
    EXPECT_EQ(ClassifyPage(1, containsDefault), PageOutcome::Accepted);
    EXPECT_EQ(ClassifyPage(1, "default.htm" + Page(39)), PageOutcome::Accepted);
}

class TextFetchTest : public ::testing::Test {
protected:
    FakeWeb web;
    quotes::FetchProfile iex = quotes::IexQuoteProfile();
    void TearDown() override { EXPECT_EQ(web.OpenHandles(), 0u) << "every handle is closed"; }
};

TEST_F(TextFetchTest, RetriesUntilABodyArrivesWithoutRepeatingTheSession) {
    const std::string page = Page(300);
    web.Script(iex.url, {FakeWeb::Body(""), FakeWeb::Refused(), FakeWeb::Body(page)});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.attemptsMade, 3);
    EXPECT_EQ(result.body, page);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Accepted);
    EXPECT_EQ(web.CallsOf("OpenSession").size(), 1u);
    EXPECT_EQ(web.CallsOf("OpenUrl").size(), 3u);
}

TEST_F(TextFetchTest, ThreeEmptyAttemptsFailAndNoFourthIsMade) {
    web.Script(iex.url, {FakeWeb::Body(""), FakeWeb::Body(""), FakeWeb::Body(""), FakeWeb::Body(Page(100))});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.attemptsMade, 3);
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Failed);
    EXPECT_EQ(web.CallsOf("OpenUrl").size(), 3u);
}

TEST_F(TextFetchTest, TheInvestingProfileStopsAfterTwoAttempts) {
    const auto profile = quotes::InvestingQuoteProfile();
    web.Script(profile.url, {FakeWeb::Refused(), FakeWeb::Refused(), FakeWeb::Body(Page(100))});
    const auto result = FetchUrlToFile(web, profile);
    EXPECT_EQ(result.attemptsMade, 2);
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Failed);
}

TEST_F(TextFetchTest, NoSessionMeansNoAttemptAndARejectedPage) {
    web.sessionOpens = false;
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.attemptsMade, 0);
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Rejected);
    EXPECT_EQ(web.Ops(), (std::vector<std::string>{"OpenSession"}));
}

TEST_F(TextFetchTest, SessionAgentBoundsAndOpenArgumentsComeInOrder) {
    web.Script(iex.url, {FakeWeb::Body(Page(60))});
    FetchUrlToFile(web, iex);
    const std::vector<std::string> expected{"OpenSession", "SetBounds", "OpenUrl", "Read", "Read", "Close", "Close"};
    EXPECT_EQ(web.Ops(), expected);
    EXPECT_EQ(web.calls[0].text, "Delphi Function: Download");
    EXPECT_EQ(web.calls[1].number, quotes::kConnectTimeoutMs);
    EXPECT_EQ(web.calls[1].receiveMs, 2000u);
    const auto open = web.CallsOf("OpenUrl").at(0);
    EXPECT_EQ(open.text, "http://m.iex.nl/");
    EXPECT_TRUE(open.headersNull);
    EXPECT_EQ(open.number, 0u);
    EXPECT_EQ(open.flags, 0x80000000u);
    EXPECT_EQ(web.CallsOf("Read").at(0).number, 2048u);
    EXPECT_EQ(web.calls[5].number, 0u) << "the URL handle closes first";
    EXPECT_EQ(web.calls[6].number, 1u) << "then the session";
}

TEST_F(TextFetchTest, AStalledTryIsCutAtItsDeadlineAndTheNextTryMadeOnTheSameSession) {
    iex.tryDeadlineMs = 30;
    web.Script(iex.url, {FakeWeb::StallAfter({Page(10)}), FakeWeb::StallAfter({}), FakeWeb::Body(Page(60))});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.body, Page(10));  // what came before the cut is content: no second try
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.attemptsMade, 1);

    web.calls.clear();
    const auto next = FetchUrlToFile(web, iex);  // a silent try, then an answer
    EXPECT_EQ(next.attemptsMade, 2);
    EXPECT_EQ(next.body, Page(60));
    EXPECT_EQ(web.CallsOf("Abort").size(), 1u);
}

TEST_F(TextFetchTest, AZeroByteDropsTheRestOfItsChunkOnly) {
    std::string first = Page(2048, 'a');
    first[9] = '\0';  // the tenth byte
    std::string second = "bbbb";
    second[2] = '\0';
    web.Script(iex.url, {FakeWeb::Chunks({first, second, "ccc"})});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.body, "aaaaaaaaa" "bb" "ccc");
    EXPECT_EQ(result.attemptsMade, 1);
}

TEST_F(TextFetchTest, ABodyOfZeroBytesCountsAsEmptyAndIsTriedAgain) {
    web.Script(iex.url, {FakeWeb::Body(std::string(100, '\0')), FakeWeb::Body(Page(80))});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.attemptsMade, 2);
    EXPECT_EQ(result.body, Page(80));
}

TEST_F(TextFetchTest, ChunksOfAnySizeArriveWholeAndInOrder) {
    // A short chunk after a full one must not pick up bytes the buffer held before.
    web.Script(iex.url, {FakeWeb::Chunks({Page(2048, 'a'), "xy", Page(5000, 'b'), "z"})});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.body, Page(2048, 'a') + "xy" + Page(5000, 'b') + "z");
    for (const auto& read : web.CallsOf("Read")) EXPECT_LE(read.delivered, 2048u);
}

TEST_F(TextFetchTest, ACutBodyIsKeptAsContentWithoutAnotherAttempt) {
    web.Script(iex.url, {FakeWeb::CutAfter({Page(70, 'a')}), FakeWeb::Body(Page(300))});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.attemptsMade, 1);
    EXPECT_EQ(result.body, Page(70, 'a'));
    EXPECT_FALSE(result.complete);
}

TEST_F(TextFetchTest, AFailedFirstReadCountsAsAnEmptyAttempt) {
    web.Script(iex.url, {FakeWeb::CutAfter({}), FakeWeb::Body(Page(300))});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.attemptsMade, 2);
    EXPECT_EQ(result.body, Page(300));
}

TEST_F(TextFetchTest, AHugeBodyStopsAt16MiBAndTheRestIsNotRead) {
    const size_t huge = quotes::kTextBodyLimit + 3 * 65536 + 17;
    web.Script(iex.url, {FakeWeb::Sized(huge, 65536)});
    const auto result = FetchUrlToFile(web, iex);
    EXPECT_EQ(result.body.size(), quotes::kTextBodyLimit);
    EXPECT_EQ(result.body.size(), 16u * 1024u * 1024u);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(web.CallsOf("Read").size(), quotes::kTextBodyLimit / 2048) << "no read after the limit";
}

TEST_F(TextFetchTest, AReadErrorThatEscapesStillClosesBothHandles) {
    web.Script(iex.url, {FakeWeb::Body(Page(100))});
    web.onRead = [] { throw std::runtime_error("read broke"); };
    EXPECT_THROW(FetchUrlToFile(web, iex), std::runtime_error);
    EXPECT_EQ(web.CallsOf("Close").size(), 2u);
}

class FileFetchTest : public ::testing::Test {
protected:
    FakeWeb web;
    void TearDown() override { EXPECT_EQ(web.OpenHandles(), 0u) << "every handle is closed"; }
};

struct MemoryFile : platform::OutputFile {
    std::string content;
    std::vector<size_t> writes;
    bool failOnWrite = false;
    bool Write(const char* data, size_t size) override {
        if (failOnWrite) throw std::runtime_error("disk full");
        writes.push_back(size);
        content.append(data, size);
        return true;
    }
};

TEST_F(FileFetchTest, TheChartFileHoldsExactlyTheBytesReceivedZerosIncluded) {
    const auto chart = quotes::DayChartProfile();
    std::string png = "\x89PNG\r\n\x1a\n" + std::string(600, '\0') + Page(516, 'e');
    ASSERT_EQ(png.size(), 1124u);
    web.Script(chart.url, {FakeWeb::Body(png)});
    const auto result = FetchUrlToFile(web, chart, "C:\\Data\\DayGraph.png");
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(web.files.at("C:\\Data\\DayGraph.png"), png);
    std::vector<uint32_t> delivered;
    for (const auto& read : web.CallsOf("Read")) delivered.push_back(read.delivered);
    EXPECT_EQ(delivered, (std::vector<uint32_t>{512, 512, 100, 0})) << "the last chunk holds 100 bytes";
    const auto open = web.CallsOf("OpenUrl").at(0);
    EXPECT_FALSE(open.headersNull) << "the chart passes an empty header text";
    EXPECT_EQ(open.number, 0u);
    EXPECT_EQ(open.flags, 0x04000000u);
}

TEST_F(FileFetchTest, AChartLongerThanTheBoundIsCutAfterTheChunkThatPassesIt) {
    const auto chart = quotes::DayChartProfile();
    EXPECT_EQ(chart.fileLimit, quotes::kChartFileLimit);
    const size_t limit = quotes::kChartFileLimit;
    web.Script(chart.url, {FakeWeb::Sized(limit + 100, 512), FakeWeb::Sized(limit, 512)});
    const auto tooLarge = FetchUrlToFile(web, chart, "C:\\Data\\DayGraph.png");
    EXPECT_TRUE(tooLarge.tooLarge);
    EXPECT_FALSE(tooLarge.complete);
    EXPECT_EQ(web.files.at("C:\\Data\\DayGraph.png").size(), limit + 100) << "more than the bound: no chart";
    EXPECT_EQ(web.CallsOf("Read").size(), limit / 512 + 1) << "no read after the chunk that passed the bound";

    const auto atTheBound = FetchUrlToFile(web, chart, "C:\\Data\\DayGraph.png");
    EXPECT_FALSE(atTheBound.tooLarge);
    EXPECT_TRUE(atTheBound.complete);
    EXPECT_EQ(web.files.at("C:\\Data\\DayGraph.png").size(), limit);
}

TEST_F(FileFetchTest, TheFileIsCreatedOnlyAfterTheUrlOpened) {
    const auto chart = quotes::DayChartProfile();
    web.files["C:\\Data\\DayGraph.png"] = "previous chart";
    web.Script(chart.url, {FakeWeb::Refused()});
    const auto result = FetchUrlToFile(web, chart, "C:\\Data\\DayGraph.png");
    EXPECT_FALSE(result.urlOpened);
    EXPECT_EQ(web.files.at("C:\\Data\\DayGraph.png"), "previous chart");
    EXPECT_TRUE(web.CallsOf("CreateFile").empty());
    const std::vector<std::string> expected{"OpenSession", "SetBounds", "OpenUrl", "Close"};
    EXPECT_EQ(web.Ops(), expected);
}

TEST_F(FileFetchTest, NoSessionWritesNothing) {
    web.sessionOpens = false;
    MemoryFile sink;
    const auto result = FetchUrlToFile(web, quotes::InstallerProfile("http://www.quodosoft.nl/QuodoSetup.exe"), sink);
    EXPECT_FALSE(result.urlOpened);
    EXPECT_TRUE(sink.writes.empty());
    EXPECT_EQ(web.CallsOf("OpenUrl").size(), 0u);
}

TEST_F(FileFetchTest, TheInstallerCountsWholeKilobytesPerChunkAndReportsEachChunk) {
    const auto profile = quotes::InstallerProfile("http://www.quodosoft.nl/QuodoSetup.exe");
    web.Script(profile.url, {FakeWeb::Chunks({Page(2048, 'a'), Page(2048, 'b'), Page(700, 'c')})});
    MemoryFile sink;
    std::vector<uint32_t> gauge;
    const auto result = FetchUrlToFile(web, profile, sink, [&](uint32_t kilobytes) { gauge.push_back(kilobytes + 1); });
    EXPECT_EQ(result.kilobytes, 4u);
    EXPECT_EQ(gauge, (std::vector<uint32_t>{3, 5, 5}));
    EXPECT_EQ(sink.content, Page(2048, 'a') + Page(2048, 'b') + Page(700, 'c'));
    EXPECT_EQ(result.bytes, 4796u);
    EXPECT_TRUE(result.complete);
    EXPECT_TRUE(web.CallsOf("SetReceiveTimeout").empty());
}

TEST_F(FileFetchTest, ACutDownloadIsReportedAsIncomplete) {
    const auto profile = quotes::InstallerProfile("http://www.quodosoft.nl/QuodoSetup.exe");
    web.Script(profile.url, {FakeWeb::CutAfter({Page(2048, 'a')})});
    MemoryFile sink;
    const auto result = FetchUrlToFile(web, profile, sink);
    EXPECT_TRUE(result.urlOpened);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(sink.content.size(), 2048u);
}

TEST_F(FileFetchTest, ASinkErrorPassesOnAfterBothHandlesAreClosed) {
    const auto profile = quotes::InstallerProfile("http://www.quodosoft.nl/QuodoSetup.exe");
    web.Script(profile.url, {FakeWeb::Body(Page(5000))});
    MemoryFile sink;
    sink.failOnWrite = true;
    EXPECT_THROW(FetchUrlToFile(web, profile, sink), std::runtime_error);
    EXPECT_EQ(web.CallsOf("Close").size(), 2u);
}

}  // namespace
