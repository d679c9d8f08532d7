// Checks the number conversions against a plain reference: text is a number
// when, once trimmed and written with '.', it holds nothing but digits, signs,
// 'e' and '.' and the C library's strtod takes all of it; integers are
// rounded by nearbyint and printed by snprintf. Beyond matching it:
// parse(format(n)) == n for 16-bit integers in every written form, including
// the zero-padded and grouped ones.
//
// Input: the text to parse comes first; the integers, the double's bits, the
// zero mask's length and the locale are taken from the end.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/conversions.h"
#include "support/test_util.h"

namespace scrimble {
namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "conversions fuzz: %s\n", what);
    std::abort();
}

constexpr int kOverflow = 6;
constexpr int kTypeMismatch = 13;

// Decimal separator first; the last uses a no-break space for thousands.
const NumberLocale kLocales[] = {{L'.', L','}, {L',', L'.'}, {L',', L'\u00a0'}};

// Bytes to characters: ASCII as it is, a few bytes to blanks and look-alike
// digits the parser must treat right, the rest to letters it must reject.
std::wstring TextOf(const std::string& bytes) {
    static const wchar_t kSpecial[] = {L'\u3000', L'\u00a0', L'\uff10', L'\u0660', L'\uff0e', L'\u2212'};
    std::wstring text;
    for (unsigned char byte : bytes) {
        if (byte < 0x80) {
            text.push_back(byte);
        } else {
            const size_t special = byte - 0x80u;
            text.push_back(special < std::size(kSpecial) ? kSpecial[special] : static_cast<wchar_t>(0x100 + byte));
        }
    }
    return text;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}

// The reference parser.
bool ReferenceParse(const std::wstring& text, const NumberLocale& locale, double& value) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    std::string ascii;
    for (size_t i = begin; i < end; ++i) {
        const wchar_t c = text[i];
        if (c == locale.decimal) {
            ascii.push_back('.');
        } else if (c < 0x80 && std::strchr("0123456789+-eE", static_cast<char>(c)) != nullptr && c != 0) {
            ascii.push_back(static_cast<char>(c));
        } else {
            return false;
        }
    }
    if (ascii.empty()) return false;
    char* stop = nullptr;
    value = std::strtod(ascii.c_str(), &stop);
    return *stop == '\0';
}

double Rounded(double value) {
    return std::nearbyint(value);  // the default rounding mode: halves to even
}

std::wstring Widen(const std::string& ascii, const NumberLocale& locale) {
    std::wstring text;
    for (char c : ascii) text.push_back(c == '.' ? locale.decimal : static_cast<wchar_t>(c));
    return text;
}

// printf's "%<digits>G" as the program writes it: no negative zero.
std::wstring ReferenceFloatText(double value, int digits, const NumberLocale& locale) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", digits, value == 0 ? 0.0 : value);
    return Widen(buffer, locale);
}

std::wstring ReferencePadded(bool negative, const std::string& digits, size_t width) {
    std::string padded = digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
    return Widen((negative ? "-" : "") + padded, NumberLocale{});
}

std::string Digits(long long n) {  // without the sign
    const std::string text = std::to_string(n);
    return n < 0 ? text.substr(1) : text;
}

// Groups of three from the right, at least four digits.
std::wstring ReferenceGrouped(long long n, const NumberLocale& locale) {
    std::string digits = Digits(n);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    std::wstring grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && i % 3 == 0) grouped.insert(grouped.begin(), locale.thousands);
        grouped.insert(grouped.begin(), digits[digits.size() - 1 - i]);
    }
    return n < 0 ? L"-" + grouped : grouped;
}

// The grouped text read back without its separators.
long long UngroupedValue(std::wstring text, const NumberLocale& locale) {
    text.erase(std::remove(text.begin(), text.end(), locale.thousands), text.end());
    double value = 0;
    Check(TryParseNumber(text, locale, value), "a grouped number does not read back");
    return static_cast<long long>(value);
}

// The call gives `expected`, or throws Overflow where the value does not fit.
template <typename T, typename Call>
void CheckResult(Call call, bool fits, T expected, const char* what) {
    T result{};
    const int error = test::ErrorNumberOf([&] { result = call(); });
    Check(fits ? error == 0 && result == expected : error == kOverflow, what);
}

bool FitsInt16(double value) {
    return !std::isnan(value) && Rounded(value) >= INT16_MIN && Rounded(value) <= INT16_MAX;
}

void CheckParsing(const std::wstring& text, const NumberLocale& locale, size_t maskLength) {
    double expected = 0;
    const bool accepted = ReferenceParse(text, locale, expected);
    double value = -12345;
    Check(TryParseNumber(text, locale, value) == accepted, "TryParseNumber accepts other texts than the reference");
    if (!accepted) {
        Check(value == -12345, "a rejected text changed the value");
        Check(!IsNumeric(text, locale), "IsNumeric accepts a text that is no number");
        Check(test::ErrorNumberOf([&] { TextToDouble(text, locale); }) == kTypeMismatch, "TextToDouble accepted garbage");
        Check(test::ErrorNumberOf([&] { TextToInt16(text, locale); }) == kTypeMismatch, "TextToInt16 accepted garbage");
        Check(FormatZeroPadded(text, std::wstring(maskLength, L'0'), locale) == text,
              "FormatZeroPadded changed a text that is no number");
        return;
    }
    Check(value == expected && std::signbit(value) == std::signbit(expected), "TryParseNumber differs in value");
    const bool finite = std::isfinite(expected);
    Check(IsNumeric(text, locale) == finite, "IsNumeric differs for a number");

    CheckResult([&] { return TextToDouble(text, locale); }, finite, expected, "TextToDouble differs");
    const bool fitsSingle = finite && std::fabs(expected) <= FLT_MAX;
    CheckResult([&] { return TextToSingle(text, locale); }, fitsSingle,
                fitsSingle ? static_cast<float>(expected) : 0.0f, "TextToSingle differs");
    const bool fitsInt16 = FitsInt16(expected);
    CheckResult([&] { return TextToInt16(text, locale); }, fitsInt16,
                static_cast<int16_t>(fitsInt16 ? Rounded(expected) : 0), "TextToInt16 differs");

    const std::wstring mask(maskLength, L'0');
    std::wstring padded = text;
    if (maskLength > 0 && finite) {
        const double whole = Rounded(expected);  // as the advance rounds: halves to even
        char digits[DBL_MAX_10_EXP + 8];
        std::snprintf(digits, sizeof digits, "%.0f", std::fabs(whole));
        padded = ReferencePadded(whole < 0, digits, maskLength);
    }
    Check(FormatZeroPadded(text, mask, locale) == padded, "FormatZeroPadded of a text differs");
}

void CheckIntegers(int16_t n16, long long n, size_t maskLength, const NumberLocale& locale) {
    const std::wstring mask(maskLength, L'0');
    const std::wstring forms16[] = {IntToText(n16), FormatZeroPadded(n16, mask), SingleToText(n16, locale),
                                    DoubleToText(n16, locale)};
    Check(forms16[0] == Widen(std::to_string(n16), locale), "IntToText differs");
    Check(forms16[1] == ReferencePadded(n16 < 0, Digits(n16), maskLength), "FormatZeroPadded differs");
    for (const std::wstring& text : forms16) {
        int16_t back = 0;
        Check(test::ErrorNumberOf([&] { back = TextToInt16(text, locale); }) == 0 && back == n16,
              "a 16-bit integer does not read back");
    }
    Check(FormatGrouped(n16, locale) == ReferenceGrouped(n16, locale), "FormatGrouped differs");
    Check(UngroupedValue(FormatGrouped(n16, locale), locale) == n16, "a grouped 16-bit integer does not read back");

    Check(IntToText(n) == Widen(std::to_string(n), locale), "IntToText differs for 64 bits");
    Check(FormatZeroPadded(n, mask) == ReferencePadded(n < 0, Digits(n), maskLength),
          "FormatZeroPadded differs for 64 bits");
    Check(FormatGrouped(n, locale) == ReferenceGrouped(n, locale), "FormatGrouped differs");
    const long long exact = n / 2048;  // within a double's 53 bits
    Check(UngroupedValue(FormatGrouped(exact, locale), locale) == exact, "a grouped integer does not read back");

    const int sum = n16 + static_cast<int16_t>(n);
    CheckResult([&] { return AddInt16(n16, static_cast<int16_t>(n)); }, sum >= INT16_MIN && sum <= INT16_MAX,
                static_cast<int16_t>(sum), "AddInt16 differs");
}

void CheckFloat(double value, const NumberLocale& locale) {
    const bool fits = FitsInt16(value);
    CheckResult([&] { return DoubleToInt16(value); }, fits, static_cast<int16_t>(fits ? Rounded(value) : 0),
                "DoubleToInt16 differs");
    const std::wstring text = DoubleToText(value, locale);
    Check(text == ReferenceFloatText(value, 15, locale), "DoubleToText differs from %.15G");
    const float single = static_cast<float>(value);
    Check(SingleToText(single, locale) == ReferenceFloatText(single, 7, locale), "SingleToText differs from %.7G");
    if (std::isfinite(value)) {
        double back = 0;
        double expected = 0;
        Check(TryParseNumber(text, locale, back) && ReferenceParse(text, locale, expected) && back == expected,
              "DoubleToText does not read back as its digits");
    }
}

}  // namespace
}  // namespace scrimble

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace scrimble;
    FuzzedDataProvider in(data, size);
    const NumberLocale& locale = kLocales[in.ConsumeIntegralInRange<size_t>(0, std::size(kLocales) - 1)];
    const int16_t n16 = in.ConsumeIntegral<int16_t>();
    const long long n = in.ConsumeIntegral<long long>();
    const size_t maskLength = in.ConsumeIntegralInRange<size_t>(0, 12);
    const uint64_t bits = in.ConsumeIntegral<uint64_t>();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    const std::wstring text = TextOf(in.ConsumeRemainingBytesAsString());

    CheckParsing(text, locale, maskLength);
    CheckIntegers(n16, n, maskLength, locale);
    CheckFloat(value, locale);
    return 0;
}
