#include "platform/conversions.h"

namespace scrimble {

// The native build has no user locale of its own to follow; it uses the
// separators that tests and the default settings file expect.
NumberLocale CurrentNumberLocale() {
    return NumberLocale{L'.', L','};
}

}  // namespace scrimble
