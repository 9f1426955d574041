// Both quote readers end to end over WinINet: the fixture server serves the program's real host
// names, the readers fill IndexQuote.
#include <gtest/gtest.h>

#include "FixtureServer.h"
#include "fakes/FakeSystem.h"
#include "quotes/Download_AEX_IEX.h"
#include "quotes/Download_AEX_Invst.h"
#include "win32/Win32Web.h"

namespace {

using quotes::IndexQuote;

class WineReaders : public ::testing::Test {
protected:
    fakes::FakeSystem system;
    void SetUp() override {
        system.Install();
        win32::InstallWeb();
        IndexQuote = quotes::IndexQuoteRecord{"800,00", "1,00", "0,12%", "+", "16:00:00"};
    }
    void TearDown() override { system.Uninstall(); }
};

TEST_F(WineReaders, TheIexMobilePageInADutchLocale) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"body_file": "pages/iex-mobile.html", "pieces": [300]}]}})");
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "812,35");
    EXPECT_EQ(IndexQuote.AbsDiff, "-3,46");
    EXPECT_EQ(IndexQuote.Sign, "-");
    EXPECT_EQ(IndexQuote.RelDiff, "-0,43%");
    EXPECT_EQ(IndexQuote.QuoteTime, "17:35:02");
}

TEST_F(WineReaders, TheInvestingPageInAnEnglishLocale) {
    system.locale.decimalSeparator = '.';
    system.locale.longTimeFormat = "h:mm:ss tt";
    fixture::Load(R"({"routes": {"nl.investing.com/indices/netherlands-25-historical-data": [{"body_file": "pages/investing-historical.html"}]}})");
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.LastPrice, "1.002,35");
    EXPECT_EQ(IndexQuote.AbsDiff, "+4,12");
    EXPECT_EQ(IndexQuote.Sign, "+");
    EXPECT_EQ(IndexQuote.RelDiff, "+0,41%");
    EXPECT_EQ(IndexQuote.QuoteTime, "5:40:12 PM");
    const auto seen = fixture::Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].host, "nl.investing.com");
    EXPECT_EQ(seen[0].target, "/indices/netherlands-25-historical-data");
}

TEST_F(WineReaders, FailureCodesLeaveTheOtherFieldsAlone) {
    fixture::Load(R"({"routes": {"m.iex.nl/": [{"drop": true}]}})");
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "-1");
    EXPECT_EQ(fixture::Requests().size(), 3u);

    fixture::Load(R"({"routes": {"nl.investing.com/indices/netherlands-25-historical-data": [{"body": "Default.htm"}]}})");
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.LastPrice, "-2");
    EXPECT_EQ(fixture::Requests().size(), 1u);

    fixture::Load(R"({"routes": {"nl.investing.com/indices/netherlands-25-historical-data": [{"body": ""}]}})");
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.LastPrice, "-1");
    EXPECT_EQ(fixture::Requests().size(), 2u);

    EXPECT_EQ(IndexQuote.AbsDiff, "1,00");
    EXPECT_EQ(IndexQuote.RelDiff, "0,12%");
    EXPECT_EQ(IndexQuote.Sign, "+");
    EXPECT_EQ(IndexQuote.QuoteTime, "16:00:00");
}

}  // namespace
