#include "services/services_win32.h"

#include <dwmapi.h>
#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "imaging/picture_file_win32.h"
#include "forms/region_overlay_win32.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/monitors_win32.h"
#include "platform/ole_win32.h"
#include "platform/rect.h"
#include "platform/top_windows_win32.h"
#include "platform/twips.h"

namespace scrimble::win32 {

namespace {

constexpr wchar_t kInstanceMutexName[] = L"Local\\Scrimble.SingleInstance";
// The longest path Windows takes (with the \\?\ prefix), with its NUL.
constexpr size_t kLongestPath = 32768;
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
// first launch. The shell may hand the work to extensions that need COM on
// this thread. It shows no message of its own: ours names the target.
void ShellExecuteOpen(const std::wstring& target) {
    static const auto execute = SystemFunction<decltype(&::ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    if (execute == nullptr) throw ShellOpenError(target);
    EnsureOleInitialized();
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    request.hwnd = ::GetDesktopWindow();
    request.lpVerb = L"open";
    request.lpFile = target.c_str();
    request.lpDirectory = L"";
    request.nShow = SW_SHOW;
    if (!execute(&request)) throw ShellOpenError(target);
}

// The compositor fades a hidden window out over some 200 ms, longer than the
// frames WaitForScreenUpdate waits for: with its transitions off, the window
// is gone from the screen at once.
void DisableTransitions(HWND window) {
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static const auto setAttribute = SystemFunction<SetAttribute>(L"dwmapi.dll", "DwmSetWindowAttribute");
    const BOOL disabled = TRUE;
    if (setAttribute != nullptr) setAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, &disabled, sizeof disabled);
}

std::optional<std::wstring> ShortForm(const std::wstring& path) {
    const std::wstring reachable = ReachablePath(path);
    const DWORD needed = ::GetShortPathNameW(reachable.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring shortPath(needed, L'\0');
    const DWORD length = ::GetShortPathNameW(reachable.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;
    shortPath.resize(length);
    return shortPath;
}

// The shell takes no \\?\ form: a folder past MAX_PATH goes to it by its
// short form where the volume has one and that is short enough.
std::wstring ShellPath(const std::wstring& folder) {
    if (ReachablePath(folder) == folder) return folder;
    std::wstring shortPath = ShortForm(folder).value_or(L"");
    if (shortPath.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        shortPath.replace(0, 8, L"\\\\");
    } else if (shortPath.compare(0, 4, L"\\\\?\\") == 0) {
        shortPath.erase(0, 4);
    }
    return !shortPath.empty() && shortPath.size() < MAX_PATH ? shortPath : folder;
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

// The file-system path of a shell item, however long: SHGetPathFromIDListEx
// where the system has it (Windows 7 and later), else the MAX_PATH call.
std::optional<std::wstring> PathOfItem(PCIDLIST_ABSOLUTE item) {
    using PathOfEx = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, GPFIDL_FLAGS);
    static const auto pathOfEx = SystemFunction<PathOfEx>(L"shell32.dll", "SHGetPathFromIDListEx");
    static const auto pathOf =
        SystemFunction<decltype(&::SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
    std::wstring path;
    bool found = false;
    if (pathOfEx != nullptr) {
        path.assign(kLongestPath, L'\0');
        found = pathOfEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT) != FALSE;
    } else if (pathOf != nullptr) {
        path.assign(MAX_PATH, L'\0');
        found = pathOf(item, path.data()) != FALSE;
    }
    path.resize(found ? std::wcslen(path.c_str()) : 0);
    if (path.empty()) return std::nullopt;
    return path;
}

}  // namespace

WindowsServices::WindowsServices(MainWindow& window) : window_(window) { DisableTransitions(window.hwnd()); }

void WindowsServices::DoEvents() { window_.DoEvents(); }

void WindowsServices::IdleWait(int milliseconds) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

long long WindowsServices::TickMilliseconds() { return static_cast<long long>(::GetTickCount64()); }

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
    // Every monitor, in physical pixels: the process is aware of each one's scale.
    return twips::ScreenInTwips(::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                                ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                SystemDpi());
}

Rect32 WindowsServices::VirtualScreen() {
    const LONG left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const LONG top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::optional<Rect32> WindowsServices::SelectRegion(const PicturePtr& frozen, const Rect32& screen) {
    if (!frozen) return std::nullopt;
    // The windows as they stand now, before the overlay covers them: a click
    // takes the frame of the one under it, as F2 would.
    const RegionOverlayInput input{reinterpret_cast<HBITMAP>(frozen->Bitmap()), screen,
                                   MonitorRects(MonitorPart::Whole), VisibleWindowFrames(screen)};
    return win32::SelectRegion(window_.instance(), input);
}

NumberLocale WindowsServices::Locale() { return CurrentNumberLocale(); }

void WindowsServices::ClipboardSetPicture(const PicturePtr& picture) {
    if (!picture) return;
    // The clipboard gets copies, made before it is opened: the preview keeps
    // its own picture, and a copy that fails leaves the clipboard alone.
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::CopyImage(reinterpret_cast<HBITMAP>(picture->Bitmap()), IMAGE_BITMAP, 0, 0, 0)));
    if (!bitmap) throw ClipboardRefusedError();
    UniquePalette palette;
    if (picture->Palette() != 0) {
        palette.reset(CopyPalette(reinterpret_cast<HPALETTE>(picture->Palette())));
        if (!palette) throw ClipboardRefusedError();
    }

    // One opening: clipboard history and managers read the new picture, never
    // an empty clipboard in between.
    OpenClipboardScope clipboard(window_.hwnd());
    if (!::EmptyClipboard()) throw ClipboardRefusedError();
    if (palette && ::SetClipboardData(CF_PALETTE, palette.get()) != nullptr) palette.release();
    if (::SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) throw ClipboardEmptiedError();
    bitmap.release();  // the clipboard owns it now
}

void WindowsServices::MessageBox(const std::wstring& text) { window_.ShowMessage(text, MB_OK); }

bool WindowsServices::SavePicture(const PicturePtr& picture, const std::wstring& path, PictureFormat format,
                                  ExistingFile existing) {
    if (!picture) throw RuntimeError(ErrorCode::PictureEncodeFailed, L"保存する画像がありません。");
    return scrimble::SavePicture(*picture, path, format, existing);
}

long long WindowsServices::FileLength(const std::wstring& path) { return scrimble::FileLength(path); }

void WindowsServices::RemoveStaleScratchFiles(const std::wstring& folder) {
    scrimble::RemoveStaleScratchFiles(folder);
}

int WindowsServices::KeyboardSubtype() { return ::GetKeyboardType(1); }

std::optional<std::wstring> WindowsServices::KnownFolderPath(KnownFolder folder) {
    static const auto pathOf =
        SystemFunction<decltype(&::SHGetKnownFolderPath)>(L"shell32.dll", "SHGetKnownFolderPath");
    static const auto release = SystemFunction<decltype(&::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (pathOf == nullptr || release == nullptr) return std::nullopt;
    const KNOWNFOLDERID& id = folder == KnownFolder::Pictures ? FOLDERID_Pictures : FOLDERID_Documents;
    PWSTR path = nullptr;
    const HRESULT result = pathOf(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::optional<std::wstring> found;
    if (SUCCEEDED(result) && path != nullptr && path[0] != L'\0') found = path;
    release(path);  // also after a failure: the call may still have allocated
    return found;
}

std::optional<std::wstring> WindowsServices::BrowseForFolder(NativeHandle owner, const std::wstring& title) {
    static const auto browse = SystemFunction<decltype(&::SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    static const auto release = SystemFunction<decltype(&::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (browse == nullptr || release == nullptr) return std::nullopt;
    EnsureOleInitialized();
    BROWSEINFOW request{};
    request.hwndOwner = reinterpret_cast<HWND>(owner);
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = browse(&request);
    if (chosen == nullptr) return std::nullopt;
    const std::optional<std::wstring> path = PathOfItem(chosen);
    release(chosen);
    return path;
}

bool WindowsServices::IsExistingFolder(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(ReachablePath(path).c_str());
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
    ShellExecuteOpen(ShellPath(target));
}

std::optional<std::wstring> WindowsServices::ShortPath(const std::wstring& path) { return ShortForm(path); }

void WindowsServices::ShellOpen(const std::wstring& target) { ShellExecuteOpen(target); }

Services::KeyRefusal WindowsServices::RegisterHotkey(int id, const Hotkey& key) {
    static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT && kModWin == MOD_WIN);
    static_assert(kKeyPrintScreen == VK_SNAPSHOT);
    DWORD error = 0;
    if (window_.RegisterHotkey(id, static_cast<UINT>(key.modifiers), static_cast<UINT>(key.key), error)) {
        return KeyRefusal::None;
    }
    return error == ERROR_HOTKEY_ALREADY_REGISTERED ? KeyRefusal::InUse : KeyRefusal::Other;
}

void WindowsServices::UnregisterHotkey(int id) { window_.UnregisterHotkey(id); }

bool WindowsServices::SnippingToolTakesPrintScreen() {
    using GetValue = LSTATUS(WINAPI*)(HKEY, LPCWSTR, LPCWSTR, DWORD, LPDWORD, PVOID, LPDWORD);
    static const auto getValue = SystemFunction<GetValue>(L"advapi32.dll", "RegGetValueW");
    DWORD value = 0;
    DWORD size = sizeof value;
    return getValue != nullptr &&
           getValue(HKEY_CURRENT_USER, L"Control Panel\\Keyboard", L"PrintScreenKeyForSnippingEnabled", RRF_RT_REG_DWORD,
                    nullptr, &value, &size) == ERROR_SUCCESS &&
           value == 1;
}

NativeHandle WindowsServices::FrontWindowOfOthers() {
    // A click on the icon brings the task bar to the front; the window the
    // user was in is the next one down that is neither ours nor the shell's.
    const auto isOthers = [](HWND window) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId()) return false;
        if ((::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) return false;
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        for (const wchar_t* shell : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"NotifyIconOverflowWindow", L"#32768",
                                     L"__winex11_standalone_tray"}) {
            if (std::wcscmp(name, shell) == 0) return false;
        }
        return true;
    };
    const std::vector<ShownWindow> shown = ShownWindows();
    HWND front = ::GetForegroundWindow();
    const bool frontShown =
        std::any_of(shown.begin(), shown.end(), [&](const ShownWindow& window) { return window.window == front; });
    if (frontShown && isOthers(front)) return reinterpret_cast<NativeHandle>(front);
    for (const ShownWindow& window : shown) {
        if (isOthers(window.window)) return reinterpret_cast<NativeHandle>(window.window);
    }
    return 0;
}

bool WindowsServices::AnotherInstanceRunning() {
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    const DWORD error = ::GetLastError();
    instanceMutex_.reset(mutex);
    // A first copy that runs elevated made the mutex with rights this one
    // lacks: being refused it means it exists.
    return mutex != nullptr ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

void WindowsServices::EndProgram() { window_.End(); }

bool WindowsServices::PositionOnScreen(float leftTwips, float topTwips) {
    RECT current;
    ::GetWindowRect(window_.hwnd(), &current);
    const UINT dpi = SystemDpi();
    const LONG left = twips::PositionToPixels(leftTwips, dpi);
    const LONG top = twips::PositionToPixels(topTwips, dpi);
    const Rect32 placed{left, top, left + (current.right - current.left), top + (current.bottom - current.top)};
    // Any monitor's, left of or above the primary too; a monitor that is gone
    // has no work area, and the taskbar's part of one shows no window.
    return OverlapsAny(placed, MonitorRects(MonitorPart::WorkArea));
}

}  // namespace scrimble::win32
