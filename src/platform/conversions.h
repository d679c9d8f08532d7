// Text <-> number conversions in the user's locale: blanks around a number are
// allowed, rounding to integers goes half to even, text that is no number or a
// value outside the target type is an error (TypeMismatch / Overflow).
#pragma once

#include <cstdint>
#include <string>

namespace scrimble {

// The separators of the user's locale. Windows fills it from the locale
// settings (CurrentNumberLocale); tests pass their own.
struct NumberLocale {
    wchar_t decimal = L'.';
    wchar_t thousands = L',';
};

// The separators of the current user locale (Windows), or "." and "," elsewhere.
NumberLocale CurrentNumberLocale();

// Parses an optional sign, digits with the locale's decimal separator and an
// optional exponent, with blanks (space, tab, ideographic space) around it.
// Returns false for empty text and anything else.
bool TryParseNumber(const std::wstring& text, const NumberLocale& locale, double& value);

bool IsNumeric(const std::wstring& text, const NumberLocale& locale);

double TextToDouble(const std::wstring& text, const NumberLocale& locale);   // throws
float TextToSingle(const std::wstring& text, const NumberLocale& locale);    // throws
int16_t TextToInt16(const std::wstring& text, const NumberLocale& locale);   // throws

// The nearest whole number, halves to the even one, whatever the floating-point
// rounding mode; NaN and infinities come back as they are.
double RoundHalfToEven(double value);
// Rounds to the nearest integer, halves to the even one; Overflow outside int16.
int16_t DoubleToInt16(double value);
// Checked 16-bit addition; Overflow when the sum does not fit.
int16_t AddInt16(int16_t a, int16_t b);

// Up to 7 significant digits, no leading blank, exponent form for large values
// ("10", "12.5", "1E+07"), the locale's decimal separator.
std::wstring SingleToText(float value, const NumberLocale& locale);
// Up to 15 significant digits, same rules.
std::wstring DoubleToText(double value, const NumberLocale& locale);
std::wstring IntToText(long long value);

// Format with a pattern of zeros ("00", "000"): at least that many digits,
// leading zeros, minus sign in front. An empty pattern leaves the text as it is.
// A numeric text is formatted as its value rounded to a whole number, halves to
// the even one as TextToInt16 rounds; a text that is no number is returned
// unchanged.
std::wstring FormatZeroPadded(const std::wstring& numberText, const std::wstring& zeroMask,
                              const NumberLocale& locale);
std::wstring FormatZeroPadded(long long value, const std::wstring& zeroMask);
// Format with "0,000": thousands grouped with the locale's separator, at least
// four digits (5 -> "0,005", 2000000 -> "2,000,000").
std::wstring FormatGrouped(long long value, const NumberLocale& locale);

}  // namespace scrimble
