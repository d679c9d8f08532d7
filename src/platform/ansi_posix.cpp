#include "platform/ansi.h"

#include <iconv.h>

#include <cerrno>
#include <string>

// The native build stands in for a Japanese Windows system: its "ANSI" code
// page is 932, converted through iconv. wchar_t holds UTF-32 here.

namespace scrimble {
namespace {

constexpr const char* kAnsiCodePage = "CP932";
constexpr const char* kWideEncoding = "WCHAR_T";

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(handle_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// Opening a converter costs more than converting a line of the settings file:
// each thread keeps one of each direction, reset at the start of every run.
const IconvHandle& AnsiToWideConverter() {
    thread_local const IconvHandle converter(kWideEncoding, kAnsiCodePage);
    return converter;
}

const IconvHandle& WideToAnsiConverter() {
    thread_local const IconvHandle converter(kAnsiCodePage, kWideEncoding);
    return converter;
}

// Runs iconv over the whole input. A unit that cannot be converted (or an
// incomplete sequence at the end) is skipped and `replacement` written in its
// place; returns whether that ever happened.
template <typename In, typename Out>
bool Convert(const IconvHandle& converter, const In& input, Out& output,
             typename Out::value_type replacement) {
    using OutUnit = typename Out::value_type;
    iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    bool lossy = false;
    char* in = const_cast<char*>(reinterpret_cast<const char*>(input.data()));
    size_t inLeft = input.size() * sizeof(typename In::value_type);

    // A byte makes at most one wide character and a character at most two
    // bytes, plus the reset; the loop grows the buffer should that not do.
    Out buffer(input.size() * (sizeof(OutUnit) == 1 ? 2 : 1) + 8, OutUnit());
    size_t used = 0;
    while (true) {
        char* out = reinterpret_cast<char*>(&buffer[used]);
        size_t outLeft = (buffer.size() - used) * sizeof(OutUnit);
        const size_t status = inLeft == 0 ? iconv(converter.get(), nullptr, nullptr, &out, &outLeft)
                                          : iconv(converter.get(), &in, &inLeft, &out, &outLeft);
        used = buffer.size() - outLeft / sizeof(OutUnit);
        if (status != static_cast<size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) {
            buffer.resize(buffer.size() * 2 + 8);
        } else if (errno == EILSEQ || errno == EINVAL) {
            lossy = true;
            in += sizeof(typename In::value_type);
            inLeft -= sizeof(typename In::value_type);
            iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
            if (used == buffer.size()) buffer.resize(buffer.size() * 2 + 8);
            buffer[used++] = replacement;
        } else {
            lossy = true;  // no other error is documented; keep what was converted
            break;
        }
    }
    buffer.resize(used);
    output = std::move(buffer);
    return lossy;
}

}  // namespace

std::wstring AnsiToWide(std::string_view bytes) {
    std::wstring text;
    const IconvHandle& converter = AnsiToWideConverter();
    if (!converter.valid()) {
        for (unsigned char c : bytes) text.push_back(c < 0x80 ? static_cast<wchar_t>(c) : L'\uFFFD');
        return text;
    }
    Convert(converter, bytes, text, L'\uFFFD');
    return text;
}

namespace {

bool WideToAnsiReportingLoss(const std::wstring& text, std::string& bytes) {
    const IconvHandle& converter = WideToAnsiConverter();
    if (!converter.valid()) {
        bool lossy = false;
        for (wchar_t c : text) {
            const bool ascii = c >= 0 && c < 0x80;
            lossy = lossy || !ascii;
            bytes.push_back(ascii ? static_cast<char>(c) : '?');
        }
        return lossy;
    }
    return Convert(converter, text, bytes, '?');
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) {
    std::string bytes;
    WideToAnsiReportingLoss(text, bytes);
    return bytes;
}

bool WideFitsAnsi(const std::wstring& text) {
    std::string bytes;
    return !WideToAnsiReportingLoss(text, bytes);
}

}  // namespace scrimble
