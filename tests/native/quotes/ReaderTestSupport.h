// Shared set-up of the quote reader tests: a scripted web, a fake clock and locale, the pages of
// tests/fixtures/pages, and locale presets.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "fakes/FakeSystem.h"
#include "fakes/FakeWeb.h"
#include "quotes/IndexQuote.h"

namespace quotes_test {

inline std::string ReadPage(const std::string& name) {
    std::ifstream in(std::string(QUODO_PAGES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void UseDutch(fakes::FakeLocale& locale) {
    locale.languageId = 1043;
    locale.decimalSeparator = ',';
    locale.timeSeparator = ':';
    locale.longTimeFormat = "HH:mm:ss";
}

inline void UseEnglish(fakes::FakeLocale& locale) {
    locale.languageId = 1033;
    locale.decimalSeparator = '.';
    locale.timeSeparator = ':';
    locale.longTimeFormat = "h:mm:ss tt";
}

inline quotes::IndexQuoteRecord EarlierQuote() {
    return quotes::IndexQuoteRecord{"800,00", "1,00", "0,12%", "+", "16:00:00"};
}

inline bool SameFields(const quotes::IndexQuoteRecord& a, const quotes::IndexQuoteRecord& b) {
    return a.LastPrice == b.LastPrice && a.AbsDiff == b.AbsDiff && a.RelDiff == b.RelDiff && a.Sign == b.Sign &&
           a.QuoteTime == b.QuoteTime;
}

class ReaderTest : public ::testing::Test {
protected:
    fakes::FakeSystem system;
    fakes::FakeWeb web;
    void SetUp() override {
        system.Install();
        web.Install();
        UseDutch(system.locale);
        quotes::IndexQuote = EarlierQuote();
    }
    void TearDown() override {
        web.Uninstall();
        system.Uninstall();
        EXPECT_EQ(web.OpenHandles(), 0u);
    }
};

}  // namespace quotes_test
