#include <gtest/gtest.h>

#include <string>

#include "quotes/PageCut.h"

namespace {

using quotes::ViewAfter;
using quotes::ViewAfterChar;
using quotes::ViewBeforeChar;

// What TextAfter gives: the rest after the first occurrence, empty when there is none.
std::string Expected(const std::string& marker, const std::string& text) {
    const auto at = text.find(marker);
    return at == std::string::npos || marker.empty() ? std::string() : text.substr(at + marker.size());
}

TEST(PageCut, MarkersAreFoundAtEveryPlaceAndBlockBoundary) {
    const std::string markers[] = {"IEX25LastPrice", "\"last_last\"", "dir=\"ltr\">", "time\">", "ab", "=", "LastTime\">"};
    for (const std::string& marker : markers) {
        for (size_t length = 0; length < 160; length += 7) {
            for (size_t at = 0; at + marker.size() <= length; ++at) {
                std::string text(length, '"');
                for (size_t i = 0; i < length; i += 3) text[i] = static_cast<char>('a' + i % 26);
                text.replace(at, marker.size(), marker);
                ASSERT_EQ(std::string(ViewAfter(marker, text)), Expected(marker, text)) << marker << " at " << at << " of " << length;
            }
        }
    }
}

TEST(PageCut, NearMissesAndRepeatsFindTheFirstWholeMarker) {
    const std::string page = std::string(70, 'x') + "IEX25LastPric=1;" + std::string(40, '"') + "IEX25LastPriceIEX25LastPrice=2;";
    EXPECT_EQ(std::string(ViewAfter("IEX25LastPrice", page)), "IEX25LastPrice=2;");
    EXPECT_EQ(std::string(ViewAfter("IEX25LastPrice", std::string(200, 'I'))), "");
    EXPECT_EQ(std::string(ViewAfter("", "abc")), "") << "an empty marker never occurs";
    EXPECT_EQ(std::string(ViewAfter("abcd", "abc")), "");
}

TEST(PageCut, FindAfterTellsAMarkerAtTheEndFromAMissingOne) {
    const std::string page = std::string(80, 'x') + "\"last_last\"";
    ASSERT_TRUE(quotes::FindAfter("\"last_last\"", page).has_value());
    EXPECT_EQ(*quotes::FindAfter("\"last_last\"", page), "");
    EXPECT_EQ(*quotes::FindAfter("\"last_last\"", page + ">905,10<"), ">905,10<");
    EXPECT_FALSE(quotes::FindAfter("\"last_last\"", std::string(80, 'x')).has_value());
    EXPECT_FALSE(quotes::FindAfter("", page).has_value()) << "an empty marker never occurs";
}

TEST(PageCut, CharacterCutsFollowTheTextHelpers) {
    EXPECT_EQ(std::string(ViewAfterChar('=', "a=b=c")), "b=c");
    EXPECT_EQ(std::string(ViewBeforeChar('=', "a=b=c")), "a");
    EXPECT_EQ(std::string(ViewAfterChar('=', "abc")), "");
    EXPECT_EQ(std::string(ViewBeforeChar(';', "812.5")), "") << "no end character: nothing";
    EXPECT_EQ(std::string(ViewAfterChar('=', "abc=")), "");
}

}  // namespace
