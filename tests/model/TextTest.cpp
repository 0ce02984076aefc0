// Durations as text and names in code page 1251.

#include "model/Cp1251.h"
#include "model/RealText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>

namespace {

TEST(ParseReal, ReadsPlainDecimalNumbersWithTheGivenSeparator) {
    EXPECT_EQ(ParseReal("2.5"), 2.5L);
    EXPECT_EQ(ParseReal("2,5", ','), 2.5L);
    EXPECT_EQ(ParseReal("-3"), -3.0L);
    EXPECT_EQ(ParseReal("+4"), 4.0L);
    EXPECT_EQ(ParseReal("1e3"), 1000.0L);
    EXPECT_EQ(ParseReal("1.5E-2"), 0.015L);
    EXPECT_EQ(ParseReal(".5"), 0.5L);
    EXPECT_EQ(ParseReal("5."), 5.0L);
    EXPECT_EQ(ParseReal("0.1"), 0.1L); // rounded in extended precision, not via double
}

TEST(ParseReal, RefusesWhatIsNotAPlainFiniteDecimal) {
    for (const char* Text :
         {"",     " ",      "inf",     "-inf", "infinity", "nan",  "NaN",   "0x1p3",
          "0x10", "1e5000", "-1e5000", "1,5",  "1.5.",     "1..5", "1e",    "1e+",
          ".",    "-",      "+",       "e5",   " 1",       "1 ",   "1_000", "١"})
        EXPECT_FALSE(ParseReal(Text)) << '"' << Text << '"';
    EXPECT_FALSE(ParseReal("1.5", ','));
    EXPECT_FALSE(ParseReal("1,5,", ','));
}

TEST(FormatReal, WritesFifteenSignificantDigitsWithTheGivenSeparator) {
    EXPECT_EQ(FormatReal(2.5L), "2.5");
    EXPECT_EQ(FormatReal(2.5L, ','), "2,5");
    EXPECT_EQ(FormatReal(1), "1");
    EXPECT_EQ(FormatReal(1.0L / 3), "0.333333333333333");
    EXPECT_EQ(FormatReal(123456789012345678.0L), "1.23456789012346e+17");
    EXPECT_EQ(FormatReal(0), "0");
}

TEST(FormatReal, TextReadsBackToTheSameFifteenDigits) {
    std::mt19937_64 Random(15);
    for (int i = 0; i < 2000; ++i) {
        const TReal Value =
            std::ldexp(static_cast<TReal>(Random()), static_cast<int>(Random() % 120) - 100);
        for (char Separator : {'.', ','}) {
            const std::string Text = FormatReal(Value, Separator);
            const auto Back = ParseReal(Text, Separator);
            ASSERT_TRUE(Back) << Text;
            EXPECT_EQ(FormatReal(*Back, Separator), Text);
        }
    }
}

TEST(FormatReal, IgnoresTheProcessLocale) {
    // A locale with a decimal comma must not leak into the text; where no such
    // locale is installed the test still runs in the C locale.
    const char* Old = std::setlocale(LC_ALL, nullptr);
    const std::string Saved = Old ? Old : "C";
    for (const char* Name : {"ru_RU.UTF-8", "de_DE.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_ALL, Name))
            break;
    EXPECT_EQ(FormatReal(2.5L), "2.5");
    EXPECT_EQ(ParseReal("2.5"), 2.5L);
    std::setlocale(LC_ALL, Saved.c_str());
}

TEST(Cp1251, EveryByteGoesToOneCharacterAndBack) {
    for (int b = 0; b < 256; ++b) {
        const std::string Byte(1, static_cast<char>(b));
        const auto Back = Utf8ToCp1251(Cp1251ToUtf8(Byte));
        ASSERT_TRUE(Back) << b;
        EXPECT_EQ(*Back, Byte) << b;
    }
}

TEST(Cp1251, CyrillicAndPunctuationHaveTheirBytes) {
    EXPECT_EQ(Utf8ToCp1251("Работа №1 — «Ёлка» ё€"),
              std::string("\xD0\xE0\xE1\xEE\xF2\xE0 \xB9"
                          "1 \x97 \xAB\xA8\xEB\xEA\xE0\xBB \xB8\x88"));
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\xA8\xB8\xB9"), "АяЁё№");
    EXPECT_EQ(Cp1251ToUtf8("Bc"), "Bc");
}

TEST(Cp1251, TheUndefinedByteIsKeptAsU0098) {
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xC2\x98");
    EXPECT_EQ(Utf8ToCp1251("\xC2\x98"), std::string("\x98"));
}

TEST(Cp1251, RefusesWhatTheCodePageCannotHoldAndBrokenUtf8) {
    for (const char* Text : {"日本", "\xF0\x9F\x98\x80", "\xC2\x80", "\xC2\x99", "ü", "\x80",
                             "\xD0", "\xE2\x80", "\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xFF",
                             "A\xD0"
                             "A"}) {
        EXPECT_FALSE(Utf8ToCp1251(Text)) << Text;
        EXPECT_FALSE(IsStorableName(Text)) << Text;
    }
    EXPECT_TRUE(IsStorableName("Монтаж фундамента"));
    EXPECT_TRUE(IsStorableName(""));
}

} // namespace
