#include "forms/region_overlay_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "forms/control_host_win32.h"
#include "forms/window_proc_win32.h"
#include "platform/errors.h"
#include "platform/region_geometry.h"
#include "platform/top_windows_win32.h"
#include "platform/win32_handles.h"

namespace scrimble::win32 {
namespace {

constexpr wchar_t kOverlayClass[] = L"ScrimbleRegionOverlay";
// A release this close to the press is a click, which takes the window under it.
constexpr std::int32_t kClickSlack = 2;
// The magnifier's square of the picture (odd, so that the pointer's pixel is
// its middle) and how many times it is enlarged at 96 DPI.
constexpr std::int32_t kMagnifiedPixels = 15;
constexpr int kZoomAt96Dpi = 8;
constexpr std::int32_t kOutlineWidth = 2;
// XORed in, it flips the top bit of every channel: each colour moves by half
// the range, so the line shows on any picture.
constexpr COLORREF kInvertColour = RGB(128, 128, 128);

using UniqueRegion = UniqueHandle<HRGN, GdiObjectDeleter>;

std::int32_t Width(const Rect32& rect) { return rect.right - rect.left; }
std::int32_t Height(const Rect32& rect) { return rect.bottom - rect.top; }
RECT AsRect(const Rect32& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }
Rect32 Inset(const Rect32& rect, std::int32_t by) {
    return {rect.left + by, rect.top + by, rect.right - by, rect.bottom - by};
}

// The rim of the rectangle, `width` pixels inside it, in parts that do not
// overlap: an XOR over them inverts each pixel once.
std::array<Rect32, 4> Rim(const Rect32& rect, std::int32_t width) {
    if (rect.Empty()) return {};
    if (Width(rect) <= 2 * width || Height(rect) <= 2 * width) return {rect, Rect32{}, Rect32{}, Rect32{}};
    return {Rect32{rect.left, rect.top, rect.right, rect.top + width},
            Rect32{rect.left, rect.bottom - width, rect.right, rect.bottom},
            Rect32{rect.left, rect.top + width, rect.left + width, rect.bottom - width},
            Rect32{rect.right - width, rect.top + width, rect.right, rect.bottom - width}};
}

bool Near(Point32 a, Point32 b) {
    return std::abs(std::int64_t{a.x} - b.x) <= kClickSlack && std::abs(std::int64_t{a.y} - b.y) <= kClickSlack;
}

void Fill(HDC dc, const Rect32& rect, DWORD rop) {
    if (!rect.Empty()) ::PatBlt(dc, rect.left, rect.top, Width(rect), Height(rect), rop);
}

// --- the overlay -------------------------------------------------------------------

// What a paint shows, in client pixels. A part that changes is painted anew in
// its old place and its new one, nothing else.
struct Scene {
    Point32 pointer;
    Rect32 row;     // the crosshair
    Rect32 column;
    Rect32 selection;
    Rect32 frame;   // the window a click takes
    Rect32 magnifier;
    Rect32 readout;
    std::wstring text;
};

class RegionOverlay {
public:
    // Throws WindowCreationError for what the system refuses.
    RegionOverlay(HINSTANCE instance, const RegionOverlayInput& input);
    ~RegionOverlay();
    RegionOverlay(const RegionOverlay&) = delete;
    RegionOverlay& operator=(const RegionOverlay&) = delete;

    // In front with the keyboard, its messages and everyone else's run until
    // the user picks or gives up.
    std::optional<Rect32> Run();
    // Whether it has the front still, to hand on.
    bool InFront() const { return ::GetForegroundWindow() == hwnd_; }

private:
    // Qualified: unqualified, the friend would be a function of this file's
    // unnamed namespace.
    template <typename Owner>
    friend LRESULT CALLBACK win32::BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    void BindWindow(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    void MakeDimmedCopy(HDC screen);
    Point32 ScreenPoint(LPARAM lParam) const;
    Rect32 ToClient(const Rect32& rect) const;
    bool Dragged() const { return dragging_ && !Near(press_, pointer_); }
    Rect32 ReadoutPlace(const std::wstring& text, const Rect32& magnifier, const Rect32& monitor) const;
    Scene Compose() const;
    void MoveTo(Point32 pointer);
    void Nudge(int dx, int dy);
    void OnKey(WPARAM key);
    void Refresh();
    void Invalidate(const Rect32& rect);
    void Finish(const Rect32& chosen);  // Empty(): nothing chosen
    void Paint();
    void Draw(HDC dc) const;
    void DrawMagnifier(HDC dc) const;
    void DrawReadout(HDC dc) const;

    Rect32 screen_;
    std::int32_t width_;
    std::int32_t height_;
    std::vector<Rect32> monitors_;
    std::vector<Rect32> frames_;

    UniqueMemoryDc frozenDc_;
    std::optional<Selection> frozenSelected_;
    UniqueMemoryDc dimDc_;
    UniqueBitmap dimBitmap_;
    std::optional<Selection> dimSelected_;
    UniqueMemoryDc backDc_;
    UniqueBitmap backBitmap_;
    std::optional<Selection> backSelected_;
    UniqueFont font_;
    std::optional<Selection> fontSelected_;
    UniqueBrush invertBrush_;

    int zoom_ = kZoomAt96Dpi;
    int paddingX_ = 4;
    int paddingY_ = 1;
    int gap_ = 4;
    Point32 pointer_;
    Point32 press_;
    bool dragging_ = false;
    bool finished_ = false;
    std::optional<Rect32> chosen_;
    Scene scene_;

    HWND hwnd_ = nullptr;
    UniqueWindow window_;
};

RegionOverlay::RegionOverlay(HINSTANCE instance, const RegionOverlayInput& input)
    : screen_(input.screen),
      width_(Width(input.screen)),
      height_(Height(input.screen)),
      monitors_(input.monitors),
      frames_(input.windowFrames) {
    const WindowDc screen(nullptr);
    frozenDc_.reset(::CreateCompatibleDC(screen.get()));
    if (!frozenDc_) throw WindowCreationError(kOverlayClass);
    frozenSelected_.emplace(frozenDc_.get(), input.frozen);
    MakeDimmedCopy(screen.get());
    backDc_.reset(::CreateCompatibleDC(screen.get()));
    backBitmap_.reset(::CreateCompatibleBitmap(screen.get(), width_, height_));
    invertBrush_.reset(::CreateSolidBrush(kInvertColour));
    if (!backDc_ || !backBitmap_ || !invertBrush_) throw WindowCreationError(kOverlayClass);
    backSelected_.emplace(backDc_.get(), backBitmap_.get());
    ::SetStretchBltMode(backDc_.get(), COLORONCOLOR);  // the magnifier shows pixels, not a blur
    ::SetBkMode(backDc_.get(), TRANSPARENT);
    ::SetTextColor(backDc_.get(), ::GetSysColor(COLOR_INFOTEXT));

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &BoundWindowProc<RegionOverlay>;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_CROSS);
    windowClass.lpszClassName = kOverlayClass;
    if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw WindowCreationError(kOverlayClass);
    }
    // Hidden until Run: nothing paints before the first frame is ready.
    window_.reset(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kOverlayClass, L"", WS_POPUP, screen_.left,
                                    screen_.top, width_, height_, nullptr, nullptr, instance, this));
    if (!window_) {
        hwnd_ = nullptr;
        throw WindowCreationError(kOverlayClass);
    }
    try {
        const UINT dpi = WindowDpi(hwnd_);
        NONCLIENTMETRICSW metrics = NonClientMetrics(dpi);
        font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
        if (font_) fontSelected_.emplace(backDc_.get(), font_.get());  // else the DC's own font
        zoom_ = std::max(kZoomAt96Dpi, ::MulDiv(kZoomAt96Dpi, static_cast<int>(dpi), 96));
        paddingX_ = ::MulDiv(4, static_cast<int>(dpi), 96);
        paddingY_ = ::MulDiv(1, static_cast<int>(dpi), 96);
        gap_ = ::MulDiv(4, static_cast<int>(dpi), 96);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        pointer_ = Nudged(Point32{cursor.x, cursor.y}, 0, 0, false, screen_);
        scene_ = Compose();
    } catch (...) {
        // No destructor runs for a half-made object: the window must not reach
        // it while it goes.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        throw;
    }
}

RegionOverlay::~RegionOverlay() {
    // What destroying the window sends (deactivation, the capture let go)
    // changes nothing any more.
    finished_ = true;
    dragging_ = false;
    window_.reset();
}

// The picture at half brightness, made once: a 32-bit copy whose channels
// are halved in one pass costs a few milliseconds where blending in every
// paint would cost that each time.
void RegionOverlay::MakeDimmedCopy(HDC screen) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dimDc_.reset(::CreateCompatibleDC(screen));
    dimBitmap_.reset(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dimDc_ || !dimBitmap_ || bits == nullptr) throw WindowCreationError(kOverlayClass);
    dimSelected_.emplace(dimDc_.get(), dimBitmap_.get());
    ::BitBlt(dimDc_.get(), 0, 0, width_, height_, frozenDc_.get(), 0, 0, SRCCOPY);
    ::GdiFlush();  // the copy is in the pixels before they are read
    auto* pixel = static_cast<std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    for (std::size_t i = 0; i < count; ++i) pixel[i] = (pixel[i] >> 1) & 0x007F7F7Fu;
}

Point32 RegionOverlay::ScreenPoint(LPARAM lParam) const {
    return Nudged(Point32{GET_X_LPARAM(lParam) + screen_.left, GET_Y_LPARAM(lParam) + screen_.top}, 0, 0, false,
                  screen_);
}

Rect32 RegionOverlay::ToClient(const Rect32& rect) const {
    return {rect.left - screen_.left, rect.top - screen_.top, rect.right - screen_.left, rect.bottom - screen_.top};
}

// On the far side of the magnifier from the pointer, lined up with its outer
// edge, so that neither covers the pointer; the near side where the monitor
// ends.
Rect32 RegionOverlay::ReadoutPlace(const std::wstring& text, const Rect32& magnifier, const Rect32& monitor) const {
    RECT measured{0, 0, 0, 0};
    ::DrawTextW(backDc_.get(), text.c_str(), static_cast<int>(text.size()), &measured,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const std::int32_t width = measured.right + 2 * (paddingX_ + 1);
    const std::int32_t height = measured.bottom + 2 * (paddingY_ + 1);
    const std::int32_t below = magnifier.bottom + gap_;
    const std::int32_t above = magnifier.top - gap_ - height;
    std::int32_t top = 0;
    if (magnifier.top > pointer_.y) {
        top = below + height <= monitor.bottom ? below : above;
    } else {
        top = above >= monitor.top ? above : below;
    }
    std::int32_t left = magnifier.left > pointer_.x ? magnifier.left : magnifier.right - width;
    left = std::clamp(left, monitor.left, std::max(monitor.left, monitor.right - width));
    top = std::clamp(top, monitor.top, std::max(monitor.top, monitor.bottom - height));
    return {left, top, left + width, top + height};
}

Scene RegionOverlay::Compose() const {
    const Rect32 monitor = MonitorAt(pointer_, monitors_, screen_);
    const bool dragged = Dragged();
    const Rect32 selection = dragged ? SelectionBetween(press_, pointer_, screen_) : Rect32{};
    const Rect32 magnifier = MagnifierPlace(pointer_, kMagnifiedPixels * zoom_ + 2, monitor, selection);
    Scene scene;
    scene.pointer = Point32{pointer_.x - screen_.left, pointer_.y - screen_.top};
    scene.row = ToClient(Rect32{monitor.left, pointer_.y, monitor.right, pointer_.y + 1});
    scene.column = ToClient(Rect32{pointer_.x, monitor.top, pointer_.x + 1, monitor.bottom});
    scene.selection = ToClient(selection);
    // Pressed but not yet dragged, the press may still be a click.
    if (!dragged) scene.frame = ToClient(FrameAt(dragging_ ? press_ : pointer_, frames_));
    scene.magnifier = ToClient(magnifier);
    scene.text = dragged ? SizeReadout(selection) : PointReadout(pointer_);
    scene.readout = ToClient(ReadoutPlace(scene.text, magnifier, monitor));
    return scene;
}

void RegionOverlay::Invalidate(const Rect32& rect) {
    if (rect.Empty()) return;
    const RECT area = AsRect(rect);
    ::InvalidateRect(hwnd_, &area, FALSE);
}

void RegionOverlay::Refresh() {
    Scene next = Compose();
    const Scene& last = scene_;
    const auto renew = [this](const Rect32& before, const Rect32& after, bool contentChanged) {
        if (before == after && !contentChanged) return;
        Invalidate(before);
        Invalidate(after);
    };
    renew(last.row, next.row, false);
    renew(last.column, next.column, false);
    renew(last.magnifier, next.magnifier, !(last.pointer == next.pointer));
    renew(last.readout, next.readout, last.text != next.text);
    if (!(last.frame == next.frame)) {
        for (const Rect32& edge : Rim(last.frame, kOutlineWidth)) Invalidate(edge);
        for (const Rect32& edge : Rim(next.frame, kOutlineWidth)) Invalidate(edge);
    }
    // Only the band between the old selection and the new one changes.
    if (!(last.selection == next.selection)) {
        for (const Rect32& part : UncoveredParts(last.selection, {next.selection})) Invalidate(part);
        for (const Rect32& part : UncoveredParts(next.selection, {last.selection})) Invalidate(part);
    }
    scene_ = std::move(next);
}

void RegionOverlay::MoveTo(Point32 pointer) {
    pointer_ = pointer;
    Refresh();
}

void RegionOverlay::Nudge(int dx, int dy) {
    const Point32 to = Nudged(pointer_, dx, dy, ::GetKeyState(VK_CONTROL) < 0, screen_);
    // Taken at once, so that Enter right after takes it too; the move the
    // cursor then reports agrees.
    ::SetCursorPos(to.x, to.y);
    MoveTo(to);
}

void RegionOverlay::OnKey(WPARAM key) {
    switch (key) {
        case VK_ESCAPE:
            Finish(Rect32{});
            break;
        case VK_RETURN:
            Finish(Dragged() ? SelectionBetween(press_, pointer_, screen_)
                             : FrameAt(dragging_ ? press_ : pointer_, frames_));
            break;
        case VK_LEFT:
            Nudge(-1, 0);
            break;
        case VK_RIGHT:
            Nudge(1, 0);
            break;
        case VK_UP:
            Nudge(0, -1);
            break;
        case VK_DOWN:
            Nudge(0, 1);
            break;
        default:
            break;
    }
}

void RegionOverlay::Finish(const Rect32& chosen) {
    if (finished_) return;
    finished_ = true;
    if (!chosen.Empty()) chosen_ = chosen;
    if (dragging_) {
        dragging_ = false;  // first: letting go of the capture is no cancel
        ::ReleaseCapture();
    }
    // A sent message (another program's window taking the front) is handled
    // inside GetMessageW, which would go on waiting for a posted one.
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void RegionOverlay::Paint() {
    // Composed only where the window needs it: a moving crosshair leaves most
    // of the screen as it is.
    UniqueRegion update(::CreateRectRgn(0, 0, 0, 0));
    const bool clipped = update && ::GetUpdateRgn(hwnd_, update.get(), FALSE) != ERROR;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd_, &paint);
    if (dc == nullptr) return;
    const RECT& at = paint.rcPaint;
    if (at.right > at.left && at.bottom > at.top) {
        if (clipped) ::SelectClipRgn(backDc_.get(), update.get());
        Draw(backDc_.get());
        if (clipped) ::SelectClipRgn(backDc_.get(), nullptr);
        ::BitBlt(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, backDc_.get(), at.left, at.top, SRCCOPY);
    }
    ::EndPaint(hwnd_, &paint);
}

void RegionOverlay::Draw(HDC dc) const {
    ::BitBlt(dc, 0, 0, width_, height_, dimDc_.get(), 0, 0, SRCCOPY);
    const Rect32& selection = scene_.selection;
    if (!selection.Empty()) {
        ::BitBlt(dc, selection.left, selection.top, Width(selection), Height(selection), frozenDc_.get(),
                 selection.left, selection.top, SRCCOPY);
    }
    // Only ever on the dimmed picture (no selection yet): white always shows.
    for (const Rect32& edge : Rim(scene_.frame, kOutlineWidth)) Fill(dc, edge, WHITENESS);
    {
        const Selection brush(dc, invertBrush_.get());
        Fill(dc, scene_.row, PATINVERT);
        Fill(dc, scene_.column, PATINVERT);
    }
    DrawMagnifier(dc);
    DrawReadout(dc);
}

void RegionOverlay::DrawMagnifier(HDC dc) const {
    const Rect32& box = scene_.magnifier;
    const RECT border = AsRect(box);
    ::FillRect(dc, &border, ::GetSysColorBrush(COLOR_INFOTEXT));
    const Rect32 inside = Inset(box, 1);
    // The undimmed picture: what the capture will hold.
    const std::int32_t half = kMagnifiedPixels / 2;
    const Rect32 source{scene_.pointer.x - half, scene_.pointer.y - half, scene_.pointer.x + half + 1,
                        scene_.pointer.y + half + 1};
    const Rect32 shown = Intersection(source, Rect32{0, 0, width_, height_});
    if (!(shown == source)) Fill(dc, inside, BLACKNESS);  // past the screen's edge
    if (!shown.Empty()) {
        ::StretchBlt(dc, inside.left + (shown.left - source.left) * zoom_, inside.top + (shown.top - source.top) * zoom_,
                     Width(shown) * zoom_, Height(shown) * zoom_, frozenDc_.get(), shown.left, shown.top,
                     Width(shown), Height(shown), SRCCOPY);
    }
    // The pointer's pixel, boxed just outside its cell so that all of it shows.
    const Rect32 cell{inside.left + half * zoom_ - 1, inside.top + half * zoom_ - 1,
                      inside.left + (half + 1) * zoom_ + 1, inside.top + (half + 1) * zoom_ + 1};
    const Selection brush(dc, invertBrush_.get());
    for (const Rect32& edge : Rim(cell, 1)) Fill(dc, edge, PATINVERT);
}

void RegionOverlay::DrawReadout(HDC dc) const {
    const RECT border = AsRect(scene_.readout);
    ::FillRect(dc, &border, ::GetSysColorBrush(COLOR_INFOTEXT));
    RECT inside = AsRect(Inset(scene_.readout, 1));
    ::FillRect(dc, &inside, ::GetSysColorBrush(COLOR_INFOBK));
    ::DrawTextW(dc, scene_.text.c_str(), static_cast<int>(scene_.text.size()), &inside,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

std::optional<Rect32> RegionOverlay::Run() {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
    ::UpdateWindow(hwnd_);  // the picture first, before any message waiting
    MSG message;
    while (!finished_) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop, which ends
            Finish(Rect32{});
            break;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return chosen_;
}

LRESULT RegionOverlay::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing may cross the system's frames: the pick ends as given up.
        Finish(Rect32{});
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT RegionOverlay::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return TRUE;  // every pixel comes from the back buffer
        case WM_PAINT:
            Paint();
            return 0;
        case WM_MOUSEMOVE: {
            // A move the cursor has left behind (a later move, an arrow key's
            // SetCursorPos) would undo the newer place; its own message follows.
            POINT now{};
            if (::GetCursorPos(&now) && (now.x != GET_X_LPARAM(lParam) + screen_.left ||
                                         now.y != GET_Y_LPARAM(lParam) + screen_.top)) {
                return 0;
            }
            MoveTo(ScreenPoint(lParam));
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (!dragging_ && !finished_) {
                press_ = ScreenPoint(lParam);
                pointer_ = press_;
                dragging_ = true;
                ::SetCapture(hwnd_);
                Refresh();
            }
            return 0;
        case WM_LBUTTONUP:
            // A release without our press (the button was down when the
            // overlay came) is none.
            if (dragging_) {
                const Point32 release = ScreenPoint(lParam);
                Finish(Near(press_, release) ? FrameAt(press_, frames_) : SelectionBetween(press_, release, screen_));
            }
            return 0;
        case WM_RBUTTONDOWN:
            return 0;  // the release cancels, so the window beneath gets neither half
        case WM_RBUTTONUP:
            Finish(Rect32{});
            return 0;
        case WM_KEYDOWN:
            OnKey(wParam);
            return 0;
        case WM_CAPTURECHANGED:
            if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd_) Finish(Rect32{});
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) Finish(Rect32{});
            break;
        case WM_CLOSE:
            Finish(Rect32{});  // Alt+F4
            return 0;
        case WM_DPICHANGED:
            return 0;  // the picture is in physical pixels, whatever the monitor's scale
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace

std::optional<Rect32> SelectRegion(HINSTANCE instance, const RegionOverlayInput& input) {
    if (input.frozen == nullptr || input.screen.Empty()) return std::nullopt;
    HWND previous = ::GetForegroundWindow();
    RegionOverlay overlay(instance, input);
    const std::optional<Rect32> chosen = overlay.Run();
    // Handed on while the overlay still has the front, which the system lets
    // it give away; a window that took the front from it keeps it.
    if (!chosen && overlay.InFront() && previous != nullptr && ::IsWindow(previous)) {
        ::SetForegroundWindow(previous);
    }
    return chosen;  // the overlay's window goes with it
}

std::vector<Rect32> VisibleWindowFrames(const Rect32& screen) {
    std::vector<Rect32> frames;
    for (const ShownWindow& shown : ShownWindows()) {
        // Not our tooltips and menu owners; the overlay itself is not up yet.
        DWORD process = 0;
        ::GetWindowThreadProcessId(shown.window, &process);
        if (process == ::GetCurrentProcessId() && (::GetWindowLongW(shown.window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) {
            continue;
        }
        const Rect32 part = Intersection(shown.frame, screen);
        if (!part.Empty()) frames.push_back(part);
    }
    return frames;
}

}  // namespace scrimble::win32
