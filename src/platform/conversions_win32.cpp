#include "platform/conversions.h"

#include <windows.h>

namespace scrimble {
namespace {

// The first character of a locale string, or the fallback when the setting
// cannot be read or is empty. The separators may be up to three characters
// long; the number code works with one.
wchar_t FirstCharOfLocaleInfo(LCTYPE type, wchar_t fallback) {
    wchar_t buffer[8] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer,
                                       static_cast<int>(sizeof buffer / sizeof buffer[0]));
    if (length <= 1 || buffer[0] == L'\0') return fallback;
    return buffer[0];
}

}  // namespace

NumberLocale CurrentNumberLocale() {
    NumberLocale locale;
    locale.decimal = FirstCharOfLocaleInfo(LOCALE_SDECIMAL, L'.');
    locale.thousands = FirstCharOfLocaleInfo(LOCALE_STHOUSAND, L',');
    return locale;
}

}  // namespace scrimble
