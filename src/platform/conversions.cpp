#include "platform/conversions.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <system_error>

#include "platform/errors.h"

// Everything here is independent of the C library's locale: the separators come
// from the NumberLocale argument, digits are checked by hand and the actual
// decimal <-> binary conversion is done by std::from_chars / std::to_chars,
// which always use '.'.

namespace scrimble {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// The pieces of a number text that passed the syntax check, as ASCII.
struct NumberParts {
    bool negative = false;
    std::string integerDigits;
    std::string fractionDigits;
    bool exponentNegative = false;
    std::string exponentDigits;
};

bool SplitNumber(const std::wstring& text, const NumberLocale& locale, NumberParts& parts) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;

    size_t i = begin;
    if (i < end && (text[i] == L'+' || text[i] == L'-')) {
        parts.negative = text[i] == L'-';
        ++i;
    }
    bool seenDecimal = false;
    for (; i < end; ++i) {
        const wchar_t c = text[i];
        if (IsDigit(c)) {
            (seenDecimal ? parts.fractionDigits : parts.integerDigits).push_back(static_cast<char>(c));
        } else if (c == locale.decimal && !seenDecimal) {
            seenDecimal = true;
        } else {
            break;
        }
    }
    if (parts.integerDigits.empty() && parts.fractionDigits.empty()) return false;

    if (i < end && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        if (i < end && (text[i] == L'+' || text[i] == L'-')) {
            parts.exponentNegative = text[i] == L'-';
            ++i;
        }
        for (; i < end && IsDigit(text[i]); ++i) parts.exponentDigits.push_back(static_cast<char>(text[i]));
        if (parts.exponentDigits.empty()) return false;
    }
    return i == end;
}

// Decimal exponent of the leading significant digit, saturated far beyond any
// double so that absurdly long exponents cannot overflow the arithmetic.
long long LeadingDigitExponent(const NumberParts& parts) {
    constexpr long long kSaturation = 1'000'000'000LL;
    long long exponent = 0;
    for (char d : parts.exponentDigits) {
        exponent = exponent * 10 + (d - '0');
        if (exponent > kSaturation) {
            exponent = kSaturation;
            break;
        }
    }
    if (parts.exponentNegative) exponent = -exponent;

    const size_t firstInteger = parts.integerDigits.find_first_not_of('0');
    if (firstInteger != std::string::npos) {
        return exponent + static_cast<long long>(parts.integerDigits.size() - firstInteger) - 1;
    }
    const size_t firstFraction = parts.fractionDigits.find_first_not_of('0');
    return exponent - static_cast<long long>(firstFraction) - 1;
}

bool AllZero(const NumberParts& parts) {
    return parts.integerDigits.find_first_not_of('0') == std::string::npos &&
           parts.fractionDigits.find_first_not_of('0') == std::string::npos;
}

double ConvertParts(const NumberParts& parts) {
    const double sign = parts.negative ? -1.0 : 1.0;
    if (AllZero(parts)) return sign * 0.0;

    std::string ascii = parts.integerDigits.empty() ? "0" : parts.integerDigits;
    if (!parts.fractionDigits.empty()) ascii += "." + parts.fractionDigits;
    if (!parts.exponentDigits.empty()) {
        ascii += parts.exponentNegative ? "e-" : "e";
        ascii += parts.exponentDigits;
    }
    double magnitude = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), magnitude,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars reports both overflow and underflow this way and leaves
        // the value untouched; tell them apart by the decimal magnitude.
        magnitude = LeadingDigitExponent(parts) > 0 ? HUGE_VAL : 0.0;
    }
    return sign * magnitude;
}

// Text of a floating value as printf's "%.<digits>G" would write it, but with
// the locale's decimal separator and without a negative zero.
template <typename Float>
std::wstring FloatToText(Float value, int significantDigits, const NumberLocale& locale) {
    if (value == 0) value = 0;  // drops the sign of -0
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, significantDigits);
    std::wstring text;
    for (const char* p = buffer; p != result.ptr; ++p) {
        const char c = *p;
        if (c == '.') {
            text.push_back(locale.decimal);
        } else if (c >= 'a' && c <= 'z') {
            text.push_back(static_cast<wchar_t>(c - 'a' + 'A'));
        } else {
            text.push_back(static_cast<wchar_t>(c));
        }
    }
    return text;
}

// Decimal digits of |value|, computed without negating LLONG_MIN.
std::wstring MagnitudeDigits(long long value) {
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return digits;
}

std::wstring PadAndSign(bool negative, std::wstring digits, size_t minimumDigits) {
    if (digits.size() < minimumDigits) digits.insert(0, minimumDigits - digits.size(), L'0');
    return negative ? L"-" + digits : digits;
}

// The whole-number digits of an already rounded double, which may be far
// beyond the range of any integer type.
std::wstring WholeDoubleDigits(double wholeValue) {
    char buffer[DBL_MAX_10_EXP + 8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(wholeValue),
                                      std::chars_format::fixed, 0);
    return std::wstring(buffer, result.ptr);
}

}  // namespace

bool TryParseNumber(const std::wstring& text, const NumberLocale& locale, double& value) {
    NumberParts parts;
    if (!SplitNumber(text, locale, parts)) return false;
    value = ConvertParts(parts);
    return true;
}

// A number too large for a double does not count: nothing could hold it.
bool IsNumeric(const std::wstring& text, const NumberLocale& locale) {
    double value = 0;
    return TryParseNumber(text, locale, value) && std::isfinite(value);
}

double TextToDouble(const std::wstring& text, const NumberLocale& locale) {
    double value = 0;
    if (!TryParseNumber(text, locale, value)) throw TypeMismatchError();
    if (!std::isfinite(value)) throw OverflowError();
    return value;
}

float TextToSingle(const std::wstring& text, const NumberLocale& locale) {
    const double value = TextToDouble(text, locale);
    if (std::fabs(value) > FLT_MAX) throw OverflowError();
    return static_cast<float>(value);
}

int16_t TextToInt16(const std::wstring& text, const NumberLocale& locale) {
    return DoubleToInt16(TextToDouble(text, locale));
}

// Computed by hand so that the result does not hang on the floating-point
// environment's rounding mode.
double RoundHalfToEven(double value) {
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0)) rounded += 1;
    return rounded;
}

int16_t DoubleToInt16(double value) {
    if (std::isnan(value)) throw OverflowError();
    const double rounded = RoundHalfToEven(value);
    if (rounded < INT16_MIN || rounded > INT16_MAX) throw OverflowError();
    return static_cast<int16_t>(rounded);
}

int16_t AddInt16(int16_t a, int16_t b) {
    const int sum = static_cast<int>(a) + static_cast<int>(b);
    if (sum < INT16_MIN || sum > INT16_MAX) throw OverflowError();
    return static_cast<int16_t>(sum);
}

std::wstring SingleToText(float value, const NumberLocale& locale) {
    return FloatToText(value, 7, locale);
}

std::wstring DoubleToText(double value, const NumberLocale& locale) {
    return FloatToText(value, 15, locale);
}

std::wstring IntToText(long long value) {
    return PadAndSign(value < 0, MagnitudeDigits(value), 0);
}

std::wstring FormatZeroPadded(const std::wstring& numberText, const std::wstring& zeroMask,
                              const NumberLocale& locale) {
    if (zeroMask.empty()) return numberText;
    double value = 0;
    if (!TryParseNumber(numberText, locale, value) || !std::isfinite(value)) return numberText;
    // Rounded as the advance rounds the same text, so that a fractional
    // number never names the file that the next number will name.
    const double whole = RoundHalfToEven(value);
    return PadAndSign(whole < 0, WholeDoubleDigits(whole), zeroMask.size());
}

std::wstring FormatZeroPadded(long long value, const std::wstring& zeroMask) {
    return PadAndSign(value < 0, MagnitudeDigits(value), zeroMask.size());
}

std::wstring FormatGrouped(long long value, const NumberLocale& locale) {
    const std::wstring digits = PadAndSign(false, MagnitudeDigits(value), 4);
    std::wstring grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) grouped.push_back(locale.thousands);
        grouped.push_back(digits[i]);
    }
    return value < 0 ? L"-" + grouped : grouped;
}

}  // namespace scrimble
