#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "quotes/Download_AEX_Invst.h"

namespace {

using fakes::FakeWeb;
using quotes::IndexQuote;
using quotes_test::ReaderTest;

const std::string kInvestingUrl = "http://nl.investing.com/indices/netherlands-25-historical-data";

std::string InvestingPage(const std::string& level, const std::string& abs, const std::string& rel,
                          const std::string& time) {
    return "<div class=\"top\"><span class=\"pid-27-last\" id=\"last_last\" dir=\"ltr\">" + level +
           "</span>\n<span class=\"pid-27-pc\" dir=\"ltr\">" + abs + "</span>\n<span class=\"pid-27-pcp\" dir=\"ltr\">" +
           rel + "</span>\n<span class=\"bold pid-27-time\">" + time + "</span></div>";
}

class InvestingReader : public ReaderTest {
protected:
    void Serve(const std::string& page) { web.Script(kInvestingUrl, {FakeWeb::Body(page)}); }
    std::string ReadTime(const std::string& pageTime) {
        Serve(InvestingPage("812,34", "+1,20", "+0,15%", pageTime));
        platform::RunSync(quotes::Download_AEX_Invst());
        return IndexQuote.QuoteTime;
    }
};

TEST_F(InvestingReader, TheRealisticHistoricalDataPage) {
    Serve(quotes_test::ReadPage("investing-historical.html"));
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.LastPrice, "1.002,35") << "the page's own text";
    EXPECT_EQ(IndexQuote.AbsDiff, "+4,12");
    EXPECT_EQ(IndexQuote.Sign, "+");
    EXPECT_EQ(IndexQuote.RelDiff, "+0,41%");
    EXPECT_EQ(IndexQuote.QuoteTime, "17:40:12");
}

TEST_F(InvestingReader, TimesAreMovedIntoTheTradingHours) {
    EXPECT_EQ(ReadTime("17:40:12"), "17:40:12");
    EXPECT_EQ(ReadTime("18:00:30"), "18:00:30");
    EXPECT_EQ(ReadTime("18:01:05"), "18:00:05");
    EXPECT_EQ(ReadTime("08:15:00"), "18:00:00");
    EXPECT_EQ(ReadTime("08:30:00"), "08:30:00");
    EXPECT_EQ(ReadTime("23:59:59"), "18:00:59");
    EXPECT_EQ(ReadTime("9:05"), "09:05:00");
}

TEST_F(InvestingReader, TheEnglishLongTimeFormatIsUsed) {
    quotes_test::UseEnglish(system.locale);
    EXPECT_EQ(ReadTime("17:40:12"), "5:40:12 PM");
    EXPECT_EQ(ReadTime("09:05:07"), "9:05:07 AM");
    EXPECT_EQ(IndexQuote.LastPrice, "812,34") << "no number conversion";
}

TEST_F(InvestingReader, ADateInsteadOfATimeGivesTheReadingTimeMovedIntoTradingHours) {
    system.clock.now = fakes::MakeDateTime(2026, 6, 2, 7, 12, 40);
    EXPECT_EQ(ReadTime("02/06"), "18:00:40");
    system.clock.now = fakes::MakeDateTime(2026, 6, 2, 11, 22, 33);
    EXPECT_EQ(ReadTime("2/6/2026"), "11:22:33");
}

TEST_F(InvestingReader, TheSignIsTheFirstCharacterOfTheChange) {
    Serve(InvestingPage("812,34", "-12,34", "-1,50%", "12:00:00"));
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.Sign, "-");
    Serve(InvestingPage("812,34", "+0,50", "+0,06%", "12:00:00"));
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.Sign, "+");
    Serve(InvestingPage("812,34", "0,00", "0,00%", "12:00:00"));
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.Sign, "0");
    EXPECT_EQ(IndexQuote.RelDiff, "0,00%") << "no per-cent sign is added";
    Serve(InvestingPage("812,34", "1,5", "0,2", "12:00:00"));
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.RelDiff, "0,2");
}

TEST_F(InvestingReader, APageWithoutTheLevelIsARejectedPage) {
    // An error page, a challenge page, a changed layout: long enough to be accepted, but no level.
    const std::string pages[] = {
        "<html><body><span id=\"last\" dir=\"ltr\">812,34</span><span dir=\"ltr\">+1,00</span>"
        "<span class=\"x-time\">14:00:00</span></body></html>",
        "<html><head><title>Just a moment...</title></head><body>Checking your browser</body></html>",
        std::string(50, ' '),
    };
    for (const std::string& page : pages) {
        IndexQuote = quotes_test::EarlierQuote();
        Serve(page);
        platform::RunSync(quotes::Download_AEX_Invst());
        auto expected = quotes_test::EarlierQuote();
        expected.LastPrice = "-2";
        EXPECT_TRUE(quotes_test::SameFields(IndexQuote, expected)) << page;
    }
}

TEST_F(InvestingReader, TheLevelMarkerAtTheVeryEndGivesAnEmptyLevel) {
    system.clock.now = fakes::MakeDateTime(2026, 6, 2, 14, 3, 9);
    Serve(std::string(60, ' ') + "id=\"last_last\"");
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.LastPrice, "");
    EXPECT_EQ(IndexQuote.QuoteTime, "14:03:09");
}

TEST_F(InvestingReader, AMissingMarkerAfterTheLevelEmptiesEverythingAfterItAndTakesTheReadingTime) {
    system.clock.now = fakes::MakeDateTime(2026, 6, 2, 14, 3, 9);
    Serve("<html><body><span id=\"last_last\" dir=\"ltr\">812,34</span><span class=\"change\">+1,00</span>"
          "<span class=\"x-time\">14:00:00</span></body></html>");
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.LastPrice, "812,34");
    EXPECT_EQ(IndexQuote.AbsDiff, "");
    EXPECT_EQ(IndexQuote.Sign, "");
    EXPECT_EQ(IndexQuote.RelDiff, "");
    EXPECT_EQ(IndexQuote.QuoteTime, "14:03:09");
}

TEST_F(InvestingReader, AnInvalidTimeRaisesTheConversionErrorWithThePageTexts) {
    Serve(InvestingPage("812,34", "+1,20", "+0,15%", "17u40"));
    try {
        platform::RunSync(quotes::Download_AEX_Invst());
        FAIL() << "no conversion error";
    } catch (const quotes::ConvertError& error) {
        EXPECT_STREQ(error.what(), "'17u40' is not a valid time");
    }
    EXPECT_EQ(IndexQuote.LastPrice, "812,34");
    EXPECT_EQ(IndexQuote.AbsDiff, "+1,20");
    EXPECT_EQ(IndexQuote.Sign, "+");
    EXPECT_EQ(IndexQuote.RelDiff, "+0,15%");
    EXPECT_EQ(IndexQuote.QuoteTime, "17u40");
}

TEST_F(InvestingReader, ARejectedPageEmptiesNothingButTheLevel) {
    Serve("Default.htm");
    platform::RunSync(quotes::Download_AEX_Invst());
    auto expected = quotes_test::EarlierQuote();
    expected.LastPrice = "-2";
    EXPECT_TRUE(quotes_test::SameFields(IndexQuote, expected));
}

TEST_F(InvestingReader, AFailedFetchAfterTwoAttemptsChangesOnlyTheLevel) {
    web.Script(kInvestingUrl, {FakeWeb::Refused(), FakeWeb::Body(""), FakeWeb::Body(InvestingPage("1", "2", "3", "4:00"))});
    platform::RunSync(quotes::Download_AEX_Invst());
    auto expected = quotes_test::EarlierQuote();
    expected.LastPrice = "-1";
    EXPECT_TRUE(quotes_test::SameFields(IndexQuote, expected));
    EXPECT_EQ(web.CallsOf("OpenUrl").size(), 2u);
    EXPECT_TRUE(web.CallsOf("SetReceiveTimeout").empty());
}

TEST_F(InvestingReader, NoSessionIsARejectedPage) {
    web.sessionOpens = false;
    platform::RunSync(quotes::Download_AEX_Invst());
    EXPECT_EQ(IndexQuote.LastPrice, "-2");
}

}  // namespace
