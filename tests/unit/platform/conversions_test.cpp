#include "platform/conversions.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <string>

#include "platform/errors.h"

namespace scrimble {
namespace {

const NumberLocale kDot{L'.', L','};
const NumberLocale kComma{L',', L'.'};
const NumberLocale kSpaceGroups{L',', L'\u00A0'};

// The error number a call throws, or 0 when it throws nothing.
template <typename Call>
int ErrorNumberOf(Call call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

double Parsed(const std::wstring& text, const NumberLocale& locale) {
    double value = -12345.0;
    EXPECT_TRUE(TryParseNumber(text, locale, value)) << ::testing::PrintToString(text);
    return value;
}

bool Rejected(const std::wstring& text, const NumberLocale& locale) {
    double value = -12345.0;
    const bool accepted = TryParseNumber(text, locale, value);
    EXPECT_EQ(-12345.0, value) << "a rejected text must leave the value alone";
    return !accepted;
}

TEST(TryParseNumber, ReadsPlainIntegers) {
    EXPECT_EQ(42.0, Parsed(L"42", kDot));
    EXPECT_EQ(0.0, Parsed(L"0", kDot));
    EXPECT_EQ(7.0, Parsed(L"007", kDot));
}

TEST(TryParseNumber, AllowsBlanksAround) {
    EXPECT_EQ(5.0, Parsed(L"  5", kDot));
    EXPECT_EQ(5.0, Parsed(L"5\t", kDot));
    EXPECT_EQ(5.0, Parsed(L"\u30005\u3000", kDot));
    EXPECT_EQ(-2.5, Parsed(L" \t-2.5 ", kDot));
}

TEST(TryParseNumber, ReadsSigns) {
    EXPECT_EQ(3.0, Parsed(L"+3", kDot));
    EXPECT_EQ(-3.0, Parsed(L"-3", kDot));
    EXPECT_TRUE(Rejected(L"+-3", kDot));
    EXPECT_TRUE(Rejected(L"--3", kDot));
    EXPECT_TRUE(Rejected(L"- 3", kDot));
    EXPECT_TRUE(Rejected(L"3-", kDot));
    EXPECT_TRUE(Rejected(L"-", kDot));
}

TEST(TryParseNumber, ReadsExponents) {
    EXPECT_EQ(1500.0, Parsed(L"1.5e3", kDot));
    EXPECT_EQ(1500.0, Parsed(L"1.5E+3", kDot));
    EXPECT_EQ(0.015, Parsed(L"1.5e-2", kDot));
    EXPECT_EQ(-20.0, Parsed(L"-2E1", kDot));
    EXPECT_TRUE(Rejected(L"1e", kDot));
    EXPECT_TRUE(Rejected(L"1e+", kDot));
    EXPECT_TRUE(Rejected(L"e5", kDot));
    EXPECT_TRUE(Rejected(L"1e5.0", kDot));
    EXPECT_TRUE(Rejected(L"1d5", kDot));
}

TEST(TryParseNumber, ReadsFractionsWithEitherSideEmpty) {
    EXPECT_EQ(0.5, Parsed(L".5", kDot));
    EXPECT_EQ(5.0, Parsed(L"5.", kDot));
    EXPECT_EQ(-0.25, Parsed(L"-,25", kComma));
    EXPECT_TRUE(Rejected(L".", kDot));
    EXPECT_TRUE(Rejected(L"1.2.3", kDot));
}

TEST(TryParseNumber, RejectsEmptyAndWords) {
    EXPECT_TRUE(Rejected(L"", kDot));
    EXPECT_TRUE(Rejected(L"   ", kDot));
    EXPECT_TRUE(Rejected(L"\u3000", kDot));
    EXPECT_TRUE(Rejected(L"abc", kDot));
    EXPECT_TRUE(Rejected(L"12abc", kDot));
    EXPECT_TRUE(Rejected(L"1 2", kDot));
    EXPECT_TRUE(Rejected(L"0x10", kDot));
    EXPECT_TRUE(Rejected(L"inf", kDot));
    EXPECT_TRUE(Rejected(L"nan", kDot));
    EXPECT_TRUE(Rejected(L"\uFF11", kDot));  // fullwidth digit one
}

TEST(TryParseNumber, UsesOnlyTheLocaleDecimalSeparator) {
    EXPECT_EQ(1.5, Parsed(L"1.5", kDot));
    EXPECT_TRUE(Rejected(L"1,5", kDot));
    EXPECT_EQ(1.5, Parsed(L"1,5", kComma));
    EXPECT_TRUE(Rejected(L"1.5", kComma));
    EXPECT_TRUE(Rejected(L"1,000", kDot));
}

TEST(TryParseNumber, GivesInfinityForHugeAndZeroForTinyValues) {
    EXPECT_EQ(HUGE_VAL, Parsed(L"1e400", kDot));
    EXPECT_EQ(-HUGE_VAL, Parsed(L"-1e400", kDot));
    EXPECT_EQ(HUGE_VAL, Parsed(L"1e99999999999999999999", kDot));
    EXPECT_EQ(0.0, Parsed(L"1e-400", kDot));
    EXPECT_EQ(0.0, Parsed(L"0.0000001e-99999999999999999999", kDot));
    EXPECT_EQ(0.0, Parsed(L"0e99999999999999999999", kDot));
    EXPECT_EQ(HUGE_VAL, Parsed(L"0.001e312", kDot));
    EXPECT_EQ(DBL_MAX, Parsed(L"1.7976931348623157e308", kDot));
}

TEST(IsNumeric, AcceptsNumbersAndRejectsTheRest) {
    EXPECT_TRUE(IsNumeric(L" 12 ", kDot));
    EXPECT_TRUE(IsNumeric(L"1,5", kComma));
    EXPECT_FALSE(IsNumeric(L"1,5", kDot));
    EXPECT_FALSE(IsNumeric(L"", kDot));
    EXPECT_FALSE(IsNumeric(L"x", kDot));
    EXPECT_FALSE(IsNumeric(L"1e400", kDot));
}

TEST(TextToDouble, ThrowsTypeMismatchForNoNumber) {
    EXPECT_EQ(13, ErrorNumberOf([] { TextToDouble(L"", kDot); }));
    EXPECT_EQ(13, ErrorNumberOf([] { TextToDouble(L"ten", kDot); }));
    EXPECT_EQ(13, ErrorNumberOf([] { TextToDouble(L"1.5", kComma); }));
}

TEST(TextToDouble, ThrowsOverflowBeyondDouble) {
    EXPECT_EQ(6, ErrorNumberOf([] { TextToDouble(L"2e308", kDot); }));
    EXPECT_EQ(6, ErrorNumberOf([] { TextToDouble(L"-2e308", kDot); }));
}

TEST(TextToSingle, ReadsValuesWithinFloat) {
    EXPECT_EQ(12.5f, TextToSingle(L"12.5", kDot));
    EXPECT_EQ(0.1f, TextToSingle(L"0.1", kDot));
    EXPECT_EQ(FLT_MAX, TextToSingle(L"3.4028234663852886e38", kDot));
}

TEST(TextToSingle, ThrowsOverflowBeyondFloat) {
    EXPECT_EQ(6, ErrorNumberOf([] { TextToSingle(L"3.5e38", kDot); }));
    EXPECT_EQ(6, ErrorNumberOf([] { TextToSingle(L"-1e39", kDot); }));
    EXPECT_EQ(13, ErrorNumberOf([] { TextToSingle(L"top", kDot); }));
}

TEST(TextToInt16, RoundsHalvesToEven) {
    EXPECT_EQ(0, TextToInt16(L"0.5", kDot));
    EXPECT_EQ(2, TextToInt16(L"1.5", kDot));
    EXPECT_EQ(2, TextToInt16(L"2.5", kDot));
    EXPECT_EQ(4, TextToInt16(L"3.5", kDot));
    EXPECT_EQ(1, TextToInt16(L"0.51", kDot));
    EXPECT_EQ(-1, TextToInt16(L" -0.51 ", kDot));
    EXPECT_EQ(-2, TextToInt16(L"-2.5", kDot));
    EXPECT_EQ(-4, TextToInt16(L"-3.5", kDot));
    EXPECT_EQ(0, TextToInt16(L"-0.5", kDot));
    EXPECT_EQ(2, TextToInt16(L"2,5", kComma));
}

TEST(TextToInt16, KeepsTheInt16Range) {
    EXPECT_EQ(32767, TextToInt16(L"32767", kDot));
    EXPECT_EQ(-32768, TextToInt16(L"-32768", kDot));
    EXPECT_EQ(32767, TextToInt16(L"32767.4", kDot));
    EXPECT_EQ(-32768, TextToInt16(L"-32768.5", kDot));
    EXPECT_EQ(6, ErrorNumberOf([] { TextToInt16(L"32768", kDot); }));
    EXPECT_EQ(6, ErrorNumberOf([] { TextToInt16(L"32767.5", kDot); }));
    EXPECT_EQ(6, ErrorNumberOf([] { TextToInt16(L"-32769", kDot); }));
    EXPECT_EQ(6, ErrorNumberOf([] { TextToInt16(L"-32768.51", kDot); }));
    EXPECT_EQ(6, ErrorNumberOf([] { TextToInt16(L"1e10", kDot); }));
}

TEST(TextToInt16, ThrowsTypeMismatchForNoNumber) {
    EXPECT_EQ(13, ErrorNumberOf([] { TextToInt16(L"", kDot); }));
    EXPECT_EQ(13, ErrorNumberOf([] { TextToInt16(L"ab", kDot); }));
}

TEST(DoubleToInt16, RejectsNonFiniteValues) {
    EXPECT_EQ(6, ErrorNumberOf([] { DoubleToInt16(NAN); }));
    EXPECT_EQ(6, ErrorNumberOf([] { DoubleToInt16(HUGE_VAL); }));
    EXPECT_EQ(6, ErrorNumberOf([] { DoubleToInt16(-HUGE_VAL); }));
    EXPECT_EQ(-7, DoubleToInt16(-7.0));
}

TEST(AddInt16, AddsWithinRange) {
    EXPECT_EQ(11, AddInt16(1, 10));
    EXPECT_EQ(32767, AddInt16(32766, 1));
    EXPECT_EQ(-32768, AddInt16(-32767, -1));
    EXPECT_EQ(-1, AddInt16(32767, -32768));
}

TEST(AddInt16, ThrowsOverflowOutsideRange) {
    EXPECT_EQ(6, ErrorNumberOf([] { AddInt16(32767, 1); }));
    EXPECT_EQ(6, ErrorNumberOf([] { AddInt16(-32768, -1); }));
    EXPECT_EQ(6, ErrorNumberOf([] { AddInt16(20000, 20000); }));
}

TEST(SingleToText, WritesUpToSevenSignificantDigits) {
    EXPECT_EQ(L"10", SingleToText(10.0f, kDot));
    EXPECT_EQ(L"12.5", SingleToText(12.5f, kDot));
    EXPECT_EQ(L"-3", SingleToText(-3.0f, kDot));
    EXPECT_EQ(L"0.1", SingleToText(0.1f, kDot));
    EXPECT_EQ(L"0", SingleToText(0.0f, kDot));
    EXPECT_EQ(L"0", SingleToText(-0.0f, kDot));
    EXPECT_EQ(L"1234567", SingleToText(1234567.0f, kDot));
    EXPECT_EQ(L"0.3333333", SingleToText(1.0f / 3.0f, kDot));
}

TEST(SingleToText, SwitchesToExponentFormLikeG) {
    EXPECT_EQ(L"1E+07", SingleToText(1e7f, kDot));
    EXPECT_EQ(L"1.234568E+07", SingleToText(12345678.0f, kDot));
    EXPECT_EQ(L"-2.5E+10", SingleToText(-2.5e10f, kDot));
    EXPECT_EQ(L"0.0001", SingleToText(0.0001f, kDot));
    EXPECT_EQ(L"1E-05", SingleToText(0.00001f, kDot));
}

TEST(SingleToText, UsesTheLocaleDecimalSeparator) {
    EXPECT_EQ(L"12,5", SingleToText(12.5f, kComma));
    EXPECT_EQ(L"1,234568E+07", SingleToText(12345678.0f, kComma));
    EXPECT_EQ(L"10", SingleToText(10.0f, kComma));
}

TEST(DoubleToText, WritesUpToFifteenSignificantDigits) {
    EXPECT_EQ(L"0.1", DoubleToText(0.1, kDot));
    EXPECT_EQ(L"123456789012345", DoubleToText(123456789012345.0, kDot));
    EXPECT_EQ(L"1.23456789012346E+15", DoubleToText(1234567890123456.0, kDot));
    EXPECT_EQ(L"1E+100", DoubleToText(1e100, kDot));
    EXPECT_EQ(L"-1,5E-100", DoubleToText(-1.5e-100, kComma));
    EXPECT_EQ(L"0,3", DoubleToText(0.1 + 0.2, kComma));
}

TEST(IntToText, WritesPlainDecimal) {
    EXPECT_EQ(L"0", IntToText(0));
    EXPECT_EQ(L"-5", IntToText(-5));
    EXPECT_EQ(L"32767", IntToText(32767));
    EXPECT_EQ(L"-9223372036854775808", IntToText(LLONG_MIN));
}

TEST(FormatZeroPadded, PadsWholeNumbersToTheMaskWidth) {
    EXPECT_EQ(L"01", FormatZeroPadded(1, L"00"));
    EXPECT_EQ(L"11", FormatZeroPadded(11, L"00"));
    EXPECT_EQ(L"101", FormatZeroPadded(101, L"00"));
    EXPECT_EQ(L"-05", FormatZeroPadded(-5, L"00"));
    EXPECT_EQ(L"000", FormatZeroPadded(0, L"000"));
    EXPECT_EQ(L"7", FormatZeroPadded(7, L""));
}

TEST(FormatZeroPadded, PadsNumericText) {
    EXPECT_EQ(L"01", FormatZeroPadded(L"1", L"00", kDot));
    EXPECT_EQ(L"01", FormatZeroPadded(L"01", L"00", kDot));
    EXPECT_EQ(L"101", FormatZeroPadded(L"101", L"000", kDot));
    EXPECT_EQ(L"0099", FormatZeroPadded(L"099", L"0000", kDot));
    EXPECT_EQ(L"-05", FormatZeroPadded(L"-5", L"00", kDot));
    EXPECT_EQ(L"07", FormatZeroPadded(L" 7 ", L"00", kDot));
}

TEST(FormatZeroPadded, RoundsFractionsHalfAwayFromZero) {
    EXPECT_EQ(L"02", FormatZeroPadded(L"1.5", L"00", kDot));
    EXPECT_EQ(L"03", FormatZeroPadded(L"2.5", L"00", kDot));
    EXPECT_EQ(L"-03", FormatZeroPadded(L"-2.5", L"00", kDot));
    EXPECT_EQ(L"02", FormatZeroPadded(L"1,5", L"00", kComma));
    EXPECT_EQ(L"00", FormatZeroPadded(L"-0.4", L"00", kDot));
    EXPECT_EQ(L"100000000000000000000", FormatZeroPadded(L"1e20", L"00", kDot));
}

TEST(FormatZeroPadded, LeavesOtherTextAlone) {
    EXPECT_EQ(L"", FormatZeroPadded(L"", L"", kDot));
    EXPECT_EQ(L"", FormatZeroPadded(L"", L"00", kDot));
    EXPECT_EQ(L"abc", FormatZeroPadded(L"abc", L"000", kDot));
    EXPECT_EQ(L"1,5", FormatZeroPadded(L"1,5", L"00", kDot));
    EXPECT_EQ(L" 1 ", FormatZeroPadded(L" 1 ", L"", kDot));
}

TEST(FormatGrouped, PadsToFourDigitsAndGroupsThousands) {
    EXPECT_EQ(L"0,005", FormatGrouped(5, kDot));
    EXPECT_EQ(L"0,000", FormatGrouped(0, kDot));
    EXPECT_EQ(L"0,999", FormatGrouped(999, kDot));
    EXPECT_EQ(L"1,234", FormatGrouped(1234, kDot));
    EXPECT_EQ(L"12,345", FormatGrouped(12345, kDot));
    EXPECT_EQ(L"123,456", FormatGrouped(123456, kDot));
    EXPECT_EQ(L"2,000,000", FormatGrouped(2000000, kDot));
    EXPECT_EQ(L"-0,005", FormatGrouped(-5, kDot));
    EXPECT_EQ(L"-2,147,483,648", FormatGrouped(INT32_MIN, kDot));
}

TEST(FormatGrouped, UsesTheLocaleThousandsSeparator) {
    EXPECT_EQ(L"2.000.000", FormatGrouped(2000000, kComma));
    EXPECT_EQ(L"0\u00A0005", FormatGrouped(5, kSpaceGroups));
    EXPECT_EQ(L"1 234", FormatGrouped(1234, NumberLocale{L'.', L' '}));
}

}  // namespace
}  // namespace scrimble
