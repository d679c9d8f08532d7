#include "services/services_win32.h"

#include <shlobj.h>
#include <shellapi.h>

#include <vector>

#include "imaging/bmp_writer_win32.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/ole_win32.h"
#include "platform/twips.h"

namespace scrimble::win32 {

namespace {

constexpr wchar_t kInstanceMutexName[] = L"Local\\Scrimble.SingleInstance";
// How long a clipboard held by another program is waited for.
constexpr int kClipboardAttempts = 10;
constexpr DWORD kClipboardRetryMilliseconds = 30;
// Without a compositor, windows uncovered by hiding ours repaint on their own
// schedule; this is how long they get.
constexpr DWORD kRepaintSettleMilliseconds = 150;

// The clipboard, opened for the time of one operation.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
            if (::OpenClipboard(owner)) {
                open_ = true;
                return;
            }
            ::Sleep(kClipboardRetryMilliseconds);
        }
        throw ClipboardBusyError();
    }
    ~OpenClipboardScope() {
        if (open_) ::CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

private:
    bool open_ = false;
};

// The shell's "open" verb, owned by the desktop; shell32 is loaded at the
// first launch.
void ShellExecuteOpen(const std::wstring& target) {
    static const auto execute = SystemFunction<decltype(&::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (execute != nullptr) execute(::GetDesktopWindow(), L"open", target.c_str(), nullptr, L"", SW_SHOW);
}

HPALETTE CopyPalette(HPALETTE palette) {
    const UINT count = ::GetPaletteEntries(palette, 0, 0, nullptr);
    if (count == 0) return nullptr;
    std::vector<unsigned char> buffer(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(buffer.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    ::GetPaletteEntries(palette, 0, count, logical->palPalEntry);
    return ::CreatePalette(logical);
}

}  // namespace

void WindowsServices::DoEvents() { window_.DoEvents(); }

void WindowsServices::IdleWait(int milliseconds) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

long long WindowsServices::NowSeconds() {
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    FILETIME file;
    ::SystemTimeToFileTime(&local, &file);
    const unsigned long long ticks = (static_cast<unsigned long long>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ULL);
}

int WindowsServices::MillisecondsToNextSecond() {
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    return 1000 - local.wMilliseconds;
}

void WindowsServices::WaitForScreenUpdate() {
    ::GdiFlush();
    using IsCompositionEnabled = HRESULT(WINAPI*)(BOOL*);
    using Flush = HRESULT(WINAPI*)();
    static const auto isEnabled = SystemFunction<IsCompositionEnabled>(L"dwmapi.dll", "DwmIsCompositionEnabled");
    static const auto flush = SystemFunction<Flush>(L"dwmapi.dll", "DwmFlush");
    BOOL composited = FALSE;
    if (isEnabled != nullptr && flush != nullptr && SUCCEEDED(isEnabled(&composited)) && composited) {
        // Two frames: the one that was being built when we hid, and the next.
        flush();
        flush();
        return;
    }
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kRepaintSettleMilliseconds) {
        window_.DoEvents();
        IdleWait(10);
    }
}

ScreenTwips WindowsServices::Screen() {
    return twips::ScreenInTwips(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), SystemDpi());
}

NumberLocale WindowsServices::Locale() { return CurrentNumberLocale(); }

void WindowsServices::ClipboardClear() {
    OpenClipboardScope clipboard(window_.hwnd());
    ::EmptyClipboard();
}

void WindowsServices::ClipboardSetPicture(const PicturePtr& picture) {
    if (!picture) return;
    // The clipboard gets copies: the preview keeps its own picture.
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::CopyImage(reinterpret_cast<HBITMAP>(picture->Bitmap()), IMAGE_BITMAP, 0, 0, 0)));
    if (!bitmap) throw ClipboardRefusedError();
    UniquePalette palette;
    if (picture->Palette() != 0) palette.reset(CopyPalette(reinterpret_cast<HPALETTE>(picture->Palette())));

    OpenClipboardScope clipboard(window_.hwnd());
    if (palette && ::SetClipboardData(CF_PALETTE, palette.get()) != nullptr) palette.release();
    if (::SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) throw ClipboardRefusedError();
    bitmap.release();  // the clipboard owns it now
}

void WindowsServices::MessageBox(const std::wstring& text) {
    HWND owner = window_.Visible() ? window_.hwnd() : nullptr;
    ::MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_OK);
}

void WindowsServices::SavePictureAsBmp(const PicturePtr& picture, const std::wstring& path) {
    if (!picture) throw RuntimeError(ErrorCode::PictureEncodeFailed, L"保存する画像がありません。");
    scrimble::SavePictureAsBmp(*picture, path);
}

long long WindowsServices::FileLength(const std::wstring& path) { return scrimble::FileLength(path); }

void WindowsServices::RemoveStaleScratchFiles(const std::wstring& folder) {
    scrimble::RemoveStaleScratchFiles(folder);
}

int WindowsServices::KeyboardSubtype() { return ::GetKeyboardType(1); }

std::optional<std::wstring> WindowsServices::BrowseForFolder(NativeHandle owner, const std::wstring& title) {
    static const auto browse = SystemFunction<decltype(&::SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    static const auto pathOf =
        SystemFunction<decltype(&::SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
    static const auto release = SystemFunction<decltype(&::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (browse == nullptr || pathOf == nullptr || release == nullptr) return std::nullopt;
    EnsureOleInitialized();
    BROWSEINFOW request{};
    request.hwndOwner = reinterpret_cast<HWND>(owner);
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = browse(&request);
    if (chosen == nullptr) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL hasPath = pathOf(chosen, path);
    release(chosen);
    if (!hasPath || path[0] == L'\0') return std::nullopt;
    return std::wstring(path);
}

bool WindowsServices::IsExistingFolder(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WindowsServices::OpenFolder(const std::wstring& folder) {
    // Named with a closing "\", only a folder can be opened: a file put in its
    // place after the check is not found, where the bare name would run it.
    // Absolute first: "C:" alone stands for drive C's current folder, which
    // the "\" would turn into its root.
    std::wstring target = AbsolutePath(folder);
    if (target.empty()) return;
    if (target.back() != L'\\') target += L'\\';
    ShellExecuteOpen(target);
}

std::optional<std::wstring> WindowsServices::ShortPath(const std::wstring& path) {
    const DWORD needed = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring shortPath(needed, L'\0');
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;
    shortPath.resize(length);
    return shortPath;
}

void WindowsServices::ShellOpen(const std::wstring& target) { ShellExecuteOpen(target); }

bool WindowsServices::AnotherInstanceRunning() {
    instanceMutex_.reset(::CreateMutexW(nullptr, FALSE, kInstanceMutexName));
    return instanceMutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

void WindowsServices::EndProgram() { window_.End(); }

bool WindowsServices::PositionOnScreen(float leftTwips, float topTwips) {
    RECT current;
    ::GetWindowRect(window_.hwnd(), &current);
    const UINT dpi = SystemDpi();
    const LONG left = twips::PositionToPixels(leftTwips, dpi);
    const LONG top = twips::PositionToPixels(topTwips, dpi);
    RECT placed{left, top, left + (current.right - current.left), top + (current.bottom - current.top)};
    return ::MonitorFromRect(&placed, MONITOR_DEFAULTTONULL) != nullptr;
}

}  // namespace scrimble::win32
