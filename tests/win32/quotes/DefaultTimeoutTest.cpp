// Before any fetch has set the receive time-out, a request still carries a finite one: Windows'
// own default, put on the request handle so that it holds under Wine as well.
#include <gtest/gtest.h>

#include "FixtureServer.h"
#include "RecordingWeb.h"
#include "quotes/Fetch.h"
#include "win32/Win32Web.h"

TEST(WineWebDefaultTimeout, ARequestCarriesWindowsOwnFiniteDefault) {
    win32::InstallWeb();
    const uint32_t inEffect = win32::ReceiveTimeoutInEffect();
    EXPECT_GT(inEffect, 2000u);
    EXPECT_LE(inEffect, 3600000u) << "no request may wait for ever";

    fixture::Load(R"({"routes": {"nl.investing.com/indices/netherlands-25-historical-data": [{"body_file": "pages/investing-historical.html"}]}})");
    RecordingWeb web(*platform::Current().web);
    const auto result = quotes::FetchUrlToFile(web, quotes::InvestingQuoteProfile());
    EXPECT_EQ(quotes::ClassifyPage(result), quotes::PageOutcome::Accepted);
    ASSERT_EQ(web.urlReceiveTimeouts.size(), 1u);
    EXPECT_EQ(web.urlReceiveTimeouts[0], inEffect);
    EXPECT_EQ(win32::ReceiveTimeoutInEffect(), inEffect) << "a profile without the time-out changes nothing";
}

// Takes as long as the default itself (30 s under Wine), so it runs only when asked for:
// quotes_web_default_timeout_test.exe --gtest_also_run_disabled_tests
TEST(WineWebDefaultTimeout, DISABLED_AStallEndsAfterTheDefault) {
    win32::InstallWeb();
    fixture::Load(R"({"routes": {"nl.investing.com/stall": [{"body_size": 100, "stall_after": 0, "stall_ms": 600000}]}})");
    quotes::FetchProfile profile;
    profile.url = "http://nl.investing.com/stall";
    const DWORD start = GetTickCount();
    const auto result = quotes::FetchUrlToFile(*platform::Current().web, profile);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(quotes::ClassifyPage(result), quotes::PageOutcome::Failed);
    EXPECT_LT(elapsed, win32::ReceiveTimeoutInEffect() + 5000u);
    printf("the stalled fetch ended after %lu ms\n", static_cast<unsigned long>(elapsed));
}
