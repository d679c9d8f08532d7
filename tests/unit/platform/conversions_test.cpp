#include "platform/conversions.h"
#include "platform/twips.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "support/test_util.h"

namespace scrimble {
namespace {

using test::ErrorNumberOf;

const NumberLocale kDot{L'.', L','};
const NumberLocale kComma{L',', L'.'};

TEST(TryParseNumber, ReadsNumbersWrittenTheLocalesWay) {
    struct Case { std::wstring text; NumberLocale locale; double value; };
    const Case cases[] = {
        {L"42", kDot, 42}, {L"007", kDot, 7}, {L"0", kDot, 0}, {L"+3", kDot, 3}, {L"-3", kDot, -3},
        {L"  5", kDot, 5}, {L"5\t", kDot, 5}, {L"\u30005\u3000", kDot, 5}, {L" \t-2.5 ", kDot, -2.5},
        {L"1.5e3", kDot, 1500}, {L"1.5E+3", kDot, 1500}, {L"1.5e-2", kDot, 0.015}, {L"-2E1", kDot, -20},
        {L".5", kDot, 0.5}, {L"5.", kDot, 5}, {L"1,5", kComma, 1.5}, {L"-,25", kComma, -0.25},
        // Beyond a double: infinity or zero, even for absurdly long exponents.
        {L"1e400", kDot, HUGE_VAL}, {L"-1e400", kDot, -HUGE_VAL}, {L"1e99999999999999999999", kDot, HUGE_VAL},
        {L"0.001e312", kDot, HUGE_VAL}, {L"1e-400", kDot, 0}, {L"0.0000001e-99999999999999999999", kDot, 0},
        {L"0e99999999999999999999", kDot, 0}, {L"1.7976931348623157e308", kDot, DBL_MAX},
    };
    for (const Case& c : cases) {
        double value = -12345;
        EXPECT_EQ(true, TryParseNumber(c.text, c.locale, value)) << c.text;
        EXPECT_EQ(c.value, value) << c.text;
    }
}

TEST(TryParseNumber, RejectsAnythingElseAndLeavesTheValueAlone) {
    const std::wstring rejected[] = {
        L"", L"   ", L"\u3000", L"abc", L"12abc", L"1 2", L"0x10", L"inf", L"nan", L"\uFF11",  // fullwidth 1
        L"+-3", L"--3", L"- 3", L"3-", L"-", L"1e", L"1e+", L"e5", L"1e5.0", L"1d5", L".", L"1.2.3",
        L"1,5", L"1,000",  // not the decimal separator, and no grouping
    };
    for (const std::wstring& text : rejected) {
        double value = -12345;
        EXPECT_EQ(false, TryParseNumber(text, kDot, value)) << text;
        EXPECT_EQ(-12345, value) << text;
    }
    double value = -12345;
    EXPECT_EQ(false, TryParseNumber(L"1.5", kComma, value));
}

TEST(IsNumeric, AcceptsFiniteNumbersOnly) {
    EXPECT_EQ(true, IsNumeric(L" 12 ", kDot));
    EXPECT_EQ(true, IsNumeric(L"1,5", kComma));
    EXPECT_EQ(false, IsNumeric(L"1,5", kDot));
    EXPECT_EQ(false, IsNumeric(L"", kDot));
    EXPECT_EQ(false, IsNumeric(L"1e400", kDot));
}

TEST(TextToNumber, ReadsValuesWithinTheType) {
    EXPECT_EQ(12.5f, TextToSingle(L"12.5", kDot));
    EXPECT_EQ(0.1f, TextToSingle(L"0.1", kDot));
    EXPECT_EQ(FLT_MAX, TextToSingle(L"3.4028234663852886e38", kDot));
    EXPECT_EQ(-2.5, TextToDouble(L" -2.5 ", kDot));
}

TEST(TextToInt16, RoundsHalvesToEvenWithinTheRange) {
    const std::pair<std::wstring, int> cases[] = {
        {L"0.5", 0},   {L"1.5", 2},     {L"2.5", 2},       {L"3.5", 4},          {L"0.51", 1},
        {L"-0.5", 0},  {L"-2.5", -2},   {L"-3.5", -4},     {L" -0.51 ", -1},     {L"32767", 32767},
        {L"-32768", -32768}, {L"32767.4", 32767}, {L"-32768.5", -32768},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(expected, TextToInt16(text, kDot)) << text;
    EXPECT_EQ(2, TextToInt16(L"2,5", kComma));
}

TEST(TextToNumber, RefusesTextsThatAreNoNumberAndValuesOutsideTheType) {
    const std::pair<int, std::function<void()>> cases[] = {
        {13, [] { TextToDouble(L"", kDot); }},      {13, [] { TextToDouble(L"ten", kDot); }},
        {13, [] { TextToDouble(L"1.5", kComma); }}, {6, [] { TextToDouble(L"2e308", kDot); }},
        {6, [] { TextToDouble(L"-2e308", kDot); }}, {6, [] { TextToSingle(L"3.5e38", kDot); }},
        {6, [] { TextToSingle(L"-1e39", kDot); }},  {13, [] { TextToSingle(L"top", kDot); }},
        {13, [] { TextToInt16(L"", kDot); }},       {13, [] { TextToInt16(L"ab", kDot); }},
        {6, [] { TextToInt16(L"32768", kDot); }},   {6, [] { TextToInt16(L"32767.5", kDot); }},
        {6, [] { TextToInt16(L"-32769", kDot); }},  {6, [] { TextToInt16(L"-32768.51", kDot); }},
        {6, [] { TextToInt16(L"1e10", kDot); }},    {6, [] { DoubleToInt16(NAN); }},
        {6, [] { DoubleToInt16(HUGE_VAL); }},       {6, [] { DoubleToInt16(-HUGE_VAL); }},
        {6, [] { AddInt16(32767, 1); }},            {6, [] { AddInt16(-32768, -1); }},
        {6, [] { AddInt16(20000, 20000); }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, ErrorNumberOf(cases[i].second)) << "case " << i;
    }
}

TEST(AddInt16, AddsWithinTheRange) {
    for (const auto& [a, b, sum] :
         {std::tuple{1, 10, 11}, {32766, 1, 32767}, {-32767, -1, -32768}, {32767, -32768, -1}}) {
        EXPECT_EQ(sum, AddInt16(a, b)) << a << " + " << b;
    }
}

TEST(NumberToText, WritesSignificantDigitsLikeGeneralFormat) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {SingleToText(10.0f, kDot), L"10"},          {SingleToText(12.5f, kDot), L"12.5"},
        {SingleToText(-3.0f, kDot), L"-3"},          {SingleToText(0.1f, kDot), L"0.1"},
        {SingleToText(-0.0f, kDot), L"0"},           {SingleToText(1234567.0f, kDot), L"1234567"},
        {SingleToText(1.0f / 3.0f, kDot), L"0.3333333"}, {SingleToText(1e7f, kDot), L"1E+07"},
        {SingleToText(12345678.0f, kDot), L"1.234568E+07"}, {SingleToText(-2.5e10f, kDot), L"-2.5E+10"},
        {SingleToText(0.0001f, kDot), L"0.0001"},    {SingleToText(0.00001f, kDot), L"1E-05"},
        {SingleToText(12.5f, kComma), L"12,5"},      {SingleToText(12345678.0f, kComma), L"1,234568E+07"},
        {DoubleToText(0.1, kDot), L"0.1"},           {DoubleToText(123456789012345.0, kDot), L"123456789012345"},
        {DoubleToText(1234567890123456.0, kDot), L"1.23456789012346E+15"}, {DoubleToText(1e100, kDot), L"1E+100"},
        {DoubleToText(-1.5e-100, kComma), L"-1,5E-100"}, {DoubleToText(0.1 + 0.2, kComma), L"0,3"},
        {IntToText(0), L"0"}, {IntToText(-5), L"-5"}, {IntToText(LLONG_MIN), L"-9223372036854775808"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(expected, text);
}

TEST(FormatZeroPadded, PadsToTheMaskWidthAndRoundsHalvesToEven) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {FormatZeroPadded(1, L"00"), L"01"},          {FormatZeroPadded(101, L"00"), L"101"},
        {FormatZeroPadded(-5, L"00"), L"-05"},        {FormatZeroPadded(0, L"000"), L"000"},
        {FormatZeroPadded(7, L""), L"7"},             {FormatZeroPadded(L"099", L"0000", kDot), L"0099"},
        {FormatZeroPadded(L"-5", L"00", kDot), L"-05"}, {FormatZeroPadded(L" 7 ", L"00", kDot), L"07"},
        {FormatZeroPadded(L"1.5", L"00", kDot), L"02"}, {FormatZeroPadded(L"2.5", L"00", kDot), L"02"},
        {FormatZeroPadded(L"-2.5", L"00", kDot), L"-02"}, {FormatZeroPadded(L"1,5", L"00", kComma), L"02"},
        {FormatZeroPadded(L"-0.4", L"00", kDot), L"00"}, {FormatZeroPadded(L"-0.5", L"00", kDot), L"00"},
        {FormatZeroPadded(L"0.5", L"000", kDot), L"000"}, {FormatZeroPadded(L"2.51", L"00", kDot), L"03"},
        {FormatZeroPadded(L"1e20", L"00", kDot), L"100000000000000000000"},
        // Text that is no number, or an empty mask, leaves the text as it is.
        {FormatZeroPadded(L"", L"00", kDot), L""},    {FormatZeroPadded(L"abc", L"000", kDot), L"abc"},
        {FormatZeroPadded(L"1,5", L"00", kDot), L"1,5"}, {FormatZeroPadded(L" 1 ", L"", kDot), L" 1 "},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(expected, text);
}

TEST(FormatGrouped, PadsToFourDigitsAndGroupsThousandsTheLocalesWay) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {FormatGrouped(5, kDot), L"0,005"},        {FormatGrouped(0, kDot), L"0,000"},
        {FormatGrouped(999, kDot), L"0,999"},      {FormatGrouped(1234, kDot), L"1,234"},
        {FormatGrouped(12345, kDot), L"12,345"},   {FormatGrouped(123456, kDot), L"123,456"},
        {FormatGrouped(2000000, kDot), L"2,000,000"}, {FormatGrouped(-5, kDot), L"-0,005"},
        {FormatGrouped(INT32_MIN, kDot), L"-2,147,483,648"}, {FormatGrouped(2000000, kComma), L"2.000.000"},
        {FormatGrouped(5, NumberLocale{L',', L'\u00A0'}), L"0\u00A0005"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(expected, text);
}

// Saved window positions as read from the settings file: to the nearest pixel
// at the system DPI, held within 16-bit coordinates whatever the file says.
TEST(WindowPosition, ConvertsToTheNearestPixelAndHoldsAnyValueInRange) {
    const float kNan = std::nanf("");
    const struct { float twips; unsigned dpi; int pixels; float clamped; } cases[] = {
        {10, 96, 1, 10},          {7, 96, 0, 7},            {-8, 96, -1, -8},        {922.5f, 192, 123, 922.5f},
        {1845, 96, 123, 1845},    {1230, 144, 123, 1230},   {10, 0, 1, 10},          // 0 DPI counts as 96
        {TextToSingle(L"491505", kDot), 96, 32767, 491505},  // 32767 * 15: the last pixel in range
        {491520, 96, 32767, 491505},                      {-491520, 96, -32767, -491505},
        {TextToSingle(L"1E+20", kDot), 96, 32767, 491505},  {TextToSingle(L"-1E+20", kDot), 192, -32767, -245752.5f},
        {TextToSingle(L"3.402823E+38", kDot), 288, 32767, 163835}, {-FLT_MAX, 120, -32767, -393204},
        {HUGE_VALF, 96, 32767, 491505},                   {kNan, 96, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pixels, twips::PositionToPixels(c.twips, c.dpi)) << c.twips << " at " << c.dpi;
        EXPECT_EQ(c.clamped, twips::ClampPosition(c.twips, c.dpi)) << c.twips << " at " << c.dpi;
        EXPECT_EQ(c.pixels, twips::PositionToPixels(twips::ClampPosition(c.twips, c.dpi), c.dpi)) << c.twips;
    }
    // Written back and read again, every pixel position comes back.
    for (unsigned dpi : {96u, 120u, 144u, 168u, 192u, 216u, 240u, 288u}) {
        for (int pixels : {-32767, -1921, -1, 0, 1, 7, 123, 1919, 3839, 32767}) {
            const float written = TextToSingle(SingleToText(twips::PixelsToPosition(pixels, dpi), kDot), kDot);
            EXPECT_EQ(pixels, twips::PositionToPixels(written, dpi)) << pixels << " at " << dpi;
        }
    }
}

}  // namespace
}  // namespace scrimble
