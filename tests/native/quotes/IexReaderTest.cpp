#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "quotes/Download_AEX_IEX.h"
#include "quotes/Fetch.h"

namespace {

using fakes::FakeWeb;
using quotes::IndexQuote;
using quotes_test::ReaderTest;

const std::string kIexUrl = "http://m.iex.nl/";

std::string IexPage(const std::string& last, const std::string& abs, const std::string& rel, const std::string& time) {
    return "<html><script>var IEX25LastPrice=" + last + ";\nvar IEX25AbsoluteDifference=" + abs +
           ";\nvar IEX25RelativeDifference=" + rel + ";</script>\n<span id=\"LastTime\">" + time + "</span></html>";
}

class IexReader : public ReaderTest {
protected:
    void Serve(const std::string& page) { web.Script(kIexUrl, {FakeWeb::Body(page)}); }
};

TEST(TwoDecimalsText, RoundsHalvesToTheEvenHundredthAndUsesTheGivenSeparator) {
    EXPECT_EQ(quotes::TwoDecimalsText("1234.567", ','), "1234,57");
    EXPECT_EQ(quotes::TwoDecimalsText("1234.567", '.'), "1234.57");
    EXPECT_EQ(quotes::TwoDecimalsText("0.125", ','), "0,12");
    EXPECT_EQ(quotes::TwoDecimalsText("0.375", ','), "0,38");
    EXPECT_EQ(quotes::TwoDecimalsText("-3.456", ','), "-3,46");
    EXPECT_EQ(quotes::TwoDecimalsText("2.1", ','), "2,10");
    EXPECT_EQ(quotes::TwoDecimalsText("", ','), "0,00");
    EXPECT_EQ(quotes::TwoDecimalsText("abc", '.'), "0.00");
    EXPECT_EQ(quotes::TwoDecimalsText("1.002,35", ','), "1002,35") << "thousands separators are read";
}

TEST_F(IexReader, DutchLocaleGivesCommaDecimalsSignAndThePageTime) {
    Serve(IexPage("1234.567", "-3.456", "-0.375", "17:35:02"));
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "1234,57");
    EXPECT_EQ(IndexQuote.AbsDiff, "-3,46");
    EXPECT_EQ(IndexQuote.Sign, "-");
    EXPECT_EQ(IndexQuote.RelDiff, "-0,38%");
    EXPECT_EQ(IndexQuote.QuoteTime, "17:35:02");
}

TEST_F(IexReader, EnglishLocaleGivesPointDecimals) {
    quotes_test::UseEnglish(system.locale);
    Serve(IexPage("1234.567", "2.1", "0.125", "17:35:02"));
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "1234.57");
    EXPECT_EQ(IndexQuote.AbsDiff, "2.10");
    EXPECT_EQ(IndexQuote.Sign, "+");
    EXPECT_EQ(IndexQuote.RelDiff, "0.12%");
    EXPECT_EQ(IndexQuote.QuoteTime, "17:35:02") << "stored as the page shows it";
}

TEST_F(IexReader, AZeroChangeHasNoSign) {
    Serve(IexPage("812", "0", "0.0", "9:05"));
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "812,00");
    EXPECT_EQ(IndexQuote.AbsDiff, "0,00");
    EXPECT_EQ(IndexQuote.Sign, "");
    EXPECT_EQ(IndexQuote.RelDiff, "0,00%");
    EXPECT_EQ(IndexQuote.QuoteTime, "9:05");
}

TEST_F(IexReader, TheRealisticMobilePage) {
    Serve(quotes_test::ReadPage("iex-mobile.html"));
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "812,35");
    EXPECT_EQ(IndexQuote.AbsDiff, "-3,46");
    EXPECT_EQ(IndexQuote.Sign, "-");
    EXPECT_EQ(IndexQuote.RelDiff, "-0,43%");
    EXPECT_EQ(IndexQuote.QuoteTime, "17:35:02");
}

TEST_F(IexReader, AChangeMarkerOnlyBeforeTheLevelLosesEverythingAfterTheLevel) {
    Serve("<script>var IEX25AbsoluteDifference=-3.456;\nvar IEX25LastPrice=812.5;\n"
          "var IEX25RelativeDifference=0.5;</script><span id=\"LastTime\">17:35:02</span>");
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.AbsDiff, "0,00");
    EXPECT_EQ(IndexQuote.Sign, "");
    EXPECT_EQ(IndexQuote.RelDiff, "0,00%");
    EXPECT_EQ(IndexQuote.QuoteTime, "");
    EXPECT_EQ(IndexQuote.LastPrice, "*******");
}

TEST_F(IexReader, APageWithoutTheTimeKeepsItsValuesButCodesTheLevel) {
    Serve("<script>var IEX25LastPrice=812.5;var IEX25AbsoluteDifference=1.5;var IEX25RelativeDifference=0.2;"
          "</script><span id=\"Time\">17:35:02</span>");
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "*******");
    EXPECT_EQ(IndexQuote.AbsDiff, "1,50");
    EXPECT_EQ(IndexQuote.Sign, "+");
    EXPECT_EQ(IndexQuote.RelDiff, "0,20%");
    EXPECT_EQ(IndexQuote.QuoteTime, "");
}

TEST_F(IexReader, AnInvalidTimeRaisesTheConversionErrorWithAllFieldsNew) {
    Serve(IexPage("812.5", "1.5", "0.2", "25:61"));
    try {
        platform::RunSync(quotes::Download_AEX_IEX());
        FAIL() << "no conversion error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "'25:61' is not a valid time");
    }
    EXPECT_EQ(IndexQuote.LastPrice, "812,50");
    EXPECT_EQ(IndexQuote.AbsDiff, "1,50");
    EXPECT_EQ(IndexQuote.RelDiff, "0,20%");
    EXPECT_EQ(IndexQuote.QuoteTime, "25:61");
}

TEST_F(IexReader, TheTimeIsCheckedWithTheUsersTimeSeparator) {
    system.locale.timeSeparator = '.';
    Serve(IexPage("812.5", "1.5", "0.2", "17.35.02"));
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.QuoteTime, "17.35.02");
    Serve(IexPage("812.5", "1.5", "0.2", "17:35:02"));
    EXPECT_THROW(platform::RunSync(quotes::Download_AEX_IEX()), quotes::ConvertError);
}

TEST_F(IexReader, ARejectedPageChangesOnlyTheLevel) {
    for (const std::string& body : {std::string("Default.htm"), std::string(49, 'x')}) {
        IndexQuote = quotes_test::EarlierQuote();
        Serve(body);
        platform::RunSync(quotes::Download_AEX_IEX());
        auto expected = quotes_test::EarlierQuote();
        expected.LastPrice = "-2";
        EXPECT_TRUE(quotes_test::SameFields(IndexQuote, expected)) << body;
    }
}

TEST_F(IexReader, NoSessionIsARejectedPageNotAFailedFetch) {
    web.sessionOpens = false;
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "-2");
    EXPECT_EQ(IndexQuote.AbsDiff, "1,00");
}

TEST_F(IexReader, AFailedFetchChangesOnlyTheLevel) {
    web.Script(kIexUrl, {FakeWeb::Refused(), FakeWeb::Body(""), FakeWeb::Refused()});
    platform::RunSync(quotes::Download_AEX_IEX());
    auto expected = quotes_test::EarlierQuote();
    expected.LastPrice = "-1";
    EXPECT_TRUE(quotes_test::SameFields(IndexQuote, expected));
    EXPECT_EQ(web.CallsOf("OpenUrl").size(), 3u);
}

TEST_F(IexReader, TheThirdAttemptsPageIsRead) {
    web.Script(kIexUrl, {FakeWeb::Body(""), FakeWeb::Body(""), FakeWeb::Body(IexPage("900", "1", "0.1", "10:00"))});
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "900,00");
}

TEST_F(IexReader, ACutPageGivesNoCutNumber) {
    // The connection broke in the middle of the level: no ";" ends it, so it reads as nothing.
    web.Script(kIexUrl, {FakeWeb::CutAfter({"<html><script>var pageType = \"home\";\nvar IEX25LastPrice=812.3"})});
    platform::RunSync(quotes::Download_AEX_IEX());
    EXPECT_EQ(IndexQuote.LastPrice, "*******");
    EXPECT_EQ(IndexQuote.AbsDiff, "0,00");
}

}  // namespace
