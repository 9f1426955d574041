#include <gtest/gtest.h>

#include "support/Support.h"

using namespace support;

TEST(TextCutting, MarkerCutsAfterFirstOccurrence) {
    EXPECT_EQ(TextAfter("IEX25LastPrice", "x IEX25LastPrice=5;"), "=5;");
    EXPECT_EQ(TextAfter("a", "banana"), "nana");
    EXPECT_EQ(TextAfter("Missing", "x IEX25LastPrice=5;"), "");
    EXPECT_EQ(TextAfter("=5;", "x IEX25LastPrice=5;"), "");  // ends with the marker
    EXPECT_EQ(TextAfter("", "abc"), "");                     // an empty marker never occurs
    EXPECT_EQ(TextAfter("abc", ""), "");
}

TEST(TextCutting, MarkerCutsBeforeFirstOccurrence) {
    EXPECT_EQ(TextBefore("ab", "abcd"), "");
    EXPECT_EQ(TextBefore("cd", "abcd"), "ab");
    EXPECT_EQ(TextBefore("c", "abcabc"), "ab");
    EXPECT_EQ(TextBefore("x", "abcd"), "");
    EXPECT_EQ(TextBefore("", "abcd"), "");
}

TEST(TextCutting, CharacterCutsAtFirstAndLastOccurrence) {
    const std::string text = "a=b=c";
    EXPECT_EQ(TextAfterChar('=', text), "b=c");
    EXPECT_EQ(TextAfterLastChar('=', text), "c");
    EXPECT_EQ(TextBeforeChar('=', text), "a");
    EXPECT_EQ(TextBeforeLastChar('=', text), "a=b");
}

TEST(TextCutting, CharacterMissingOrAtTheEdgesGivesEmptyText) {
    for (const std::string text : {"", "abc"}) {
        EXPECT_EQ(TextAfterChar('=', text), "") << text;
        EXPECT_EQ(TextAfterLastChar('=', text), "") << text;
        EXPECT_EQ(TextBeforeChar('=', text), "") << text;
        EXPECT_EQ(TextBeforeLastChar('=', text), "") << text;
    }
    EXPECT_EQ(TextAfterChar('=', "abc="), "");
    EXPECT_EQ(TextAfterLastChar('=', "a=bc="), "");
    EXPECT_EQ(TextBeforeChar('=', "=abc"), "");
    EXPECT_EQ(TextBeforeLastChar('=', "=abc"), "");
}

TEST(TextCutting, TwoCutsAtTheLastBackslashDropTheLastFolderOfAFolderPath) {
    const std::string desktop = "C:\\Users\\user\\Desktop\\";
    const std::string once = TextBeforeLastChar('\\', desktop);
    EXPECT_EQ(once, "C:\\Users\\user\\Desktop");
    EXPECT_EQ(TextBeforeLastChar('\\', once), "C:\\Users\\user");
}

TEST(TextCutting, ArgumentsStayUnchanged) {
    const std::string text = "key=value";
    std::string copy = text;
    TextAfterChar('=', copy);
    TextBeforeLastChar('=', copy);
    RemoveSpaces(copy);
    EXPECT_EQ(copy, text);
}

TEST(TextFiltering, KeepsTheChosenCharactersInOrder) {
    EXPECT_EQ(KeepNumberChars("v 1.2,3b"), "1.2,3");
    EXPECT_EQ(KeepNonDigits("v12b"), "vb");
    EXPECT_EQ(RemoveSpaces(" a b\tc \n"), "ab\tc\n");  // only code 32 goes
    EXPECT_EQ(KeepNumberChars(""), "");
    EXPECT_EQ(KeepNonDigits("0123456789"), "");
}

TEST(TextFiltering, LongTextsAreFilteredWhole) {
    std::string text, numbers, nonDigits;
    for (int i = 0; i < 100; ++i) {
        const char digit = static_cast<char>('0' + i % 10);
        text += std::string("x") + digit + (i % 2 ? "," : ".");
        numbers += std::string(1, digit) + (i % 2 ? "," : ".");
        nonDigits += std::string("x") + (i % 2 ? "," : ".");
    }
    ASSERT_EQ(text.size(), 300u);
    EXPECT_EQ(KeepNumberChars(text), numbers);
    EXPECT_EQ(KeepNonDigits(text), nonDigits);
    EXPECT_EQ(RemoveSpaces(std::string(150, ' ') + text + std::string(150, ' ')), text);
}

TEST(ParseNumber, ReadsEitherDecimalMarkAndIgnoresBlanks) {
    EXPECT_DOUBLE_EQ(ParseNumber("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseNumber("  -3.456 "), -3.456);
    EXPECT_DOUBLE_EQ(ParseNumber(",5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseNumber("5."), 5);
    EXPECT_DOUBLE_EQ(ParseNumber("+2"), 2);
    EXPECT_DOUBLE_EQ(ParseNumber("812"), 812);
    EXPECT_DOUBLE_EQ(ParseNumber("- 0,52"), -0.52);
    EXPECT_DOUBLE_EQ(ParseNumber("-,5"), -0.5);
}

TEST(ParseNumber, PointsBeforeACommaGroupThousands) {
    EXPECT_DOUBLE_EQ(ParseNumber("1.002,35"), 1002.35);
    EXPECT_DOUBLE_EQ(ParseNumber("12.237,80"), 12237.8);
    EXPECT_DOUBLE_EQ(ParseNumber("1.234.567,5"), 1234567.5);
    EXPECT_DOUBLE_EQ(ParseNumber("-1.002,35"), -1002.35);
    EXPECT_DOUBLE_EQ(ParseNumber("1.002"), 1.002);  // without a comma the point is the decimal mark
}

TEST(ParseNumber, TextsItCannotReadGiveZero) {
    EXPECT_EQ(ParseNumber(""), 0);
    EXPECT_EQ(ParseNumber("   "), 0);
    EXPECT_EQ(ParseNumber("abc"), 0);
    EXPECT_EQ(ParseNumber("12 %"), 0);
    EXPECT_EQ(ParseNumber("1e5"), 0);
    EXPECT_EQ(ParseNumber("\t5"), 0);  // only blanks are ignored
    EXPECT_EQ(ParseNumber("1,2,3"), 0);
}

TEST(ParseNumber, TextsOfNumberCharactersThatAreNoNumberGiveZero) {
    for (const char* text : {"1.2.3", "1-2", "+-3", "--1", "5+", "+", "-", ".", "+.", "1,002.35"}) {
        EXPECT_EQ(ParseNumber(text), 0) << text;
    }
}

TEST(FormatNumber, FixedDecimalsRightAlignedWithTheGivenSeparator) {
    EXPECT_EQ(FormatNumber(6, 2, 5.5, ','), "  5,50");
    EXPECT_EQ(FormatNumber(2, 2, -3.456, ','), "-3,46");
    EXPECT_EQ(FormatNumber(6, 2, 5.5, '.'), "  5.50");
    EXPECT_EQ(FormatNumber(6, 2, 812.345678, ','), "812,35");
    EXPECT_EQ(FormatNumber(8, 2, 1234567.891, ','), "1234567,89");  // no thousands separator
    EXPECT_EQ(FormatNumber(4, 0, 2.5, ','), "   2");               // no decimals: no mark
    EXPECT_EQ(FormatNumber(0, 3, 0.0005, ','), "0,001");
    EXPECT_EQ(FormatNumber(5, 2, 0.52, ','), " 0,52");
}

TEST(FormatNumber, RoundsTheStoredValueCorrectly) {
    EXPECT_EQ(FormatNumber(0, 2, 2.675, '.'), "2.67");  // 2.675 is stored as 2.67499999...
    EXPECT_EQ(FormatNumber(0, 2, 1.005, '.'), "1.00");  // 1.00499999...
    EXPECT_EQ(FormatNumber(0, 2, 0.015625, '.'), "0.02");
    EXPECT_EQ(FormatNumber(0, 1, 99.96, '.'), "100.0");
    EXPECT_EQ(FormatNumber(0, 2, -812.349, '.'), "-812.35");
}

TEST(FormatNumber, AValueRoundingToZeroHasNoSign) {
    EXPECT_EQ(FormatNumber(6, 2, -0.001, ','), "  0,00");
    EXPECT_EQ(FormatNumber(0, 2, -0.0, '.'), "0.00");
    EXPECT_EQ(FormatNumber(0, 2, -0.006, '.'), "-0.01");
}

TEST(FormatNumber, UsesTheUsersDecimalSeparator) {
    struct CommaLocale : platform::Locale {
        char separator = ',';
        unsigned LanguageId() override { return 1043; }
        char DecimalSeparator() override { return separator; }
        char TimeSeparator() override { return ':'; }
        std::string LongTimeFormat() override { return "HH:mm:ss"; }
        std::string ShortDateFormat() override { return "d-M-yyyy"; }
    } locale;
    platform::Locale* previous = platform::Current().locale;
    platform::Current().locale = &locale;
    EXPECT_EQ(FormatNumber(6, 2, 5.5), "  5,50");
    locale.separator = '.';
    EXPECT_EQ(FormatNumber(6, 2, 5.5), "  5.50");
    platform::Current().locale = previous;
}

TEST(FormatNumber, ParsesBackToTheRoundedValue) {
    for (double value : {0.0, 1.5, -2.25, 812.34, -0.52, 12237.8}) {
        EXPECT_DOUBLE_EQ(ParseNumber(FormatNumber(6, 2, value, ',')), value) << value;
        EXPECT_DOUBLE_EQ(ParseNumber(FormatNumber(6, 2, value, '.')), value) << value;
    }
}
