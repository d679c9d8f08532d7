#include "capture/gdi_api_win32.h"

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/monitors_win32.h"
#include "platform/ole_win32.h"
#include "platform/top_windows_win32.h"
#include "platform/win32_handles.h"

namespace scrimble::win32 {
namespace {

// The palette records are handed to GDI as they are, so they must be laid out
// exactly like the Windows ones.
static_assert(sizeof(PaletteEntry) == sizeof(PALETTEENTRY));
static_assert(offsetof(PaletteEntry, red) == offsetof(PALETTEENTRY, peRed));
static_assert(offsetof(PaletteEntry, green) == offsetof(PALETTEENTRY, peGreen));
static_assert(offsetof(PaletteEntry, blue) == offsetof(PALETTEENTRY, peBlue));
static_assert(offsetof(PaletteEntry, flags) == offsetof(PALETTEENTRY, peFlags));
static_assert(offsetof(LogPalette256, version) == offsetof(LOGPALETTE, palVersion));
static_assert(offsetof(LogPalette256, count) == offsetof(LOGPALETTE, palNumEntries));
static_assert(offsetof(LogPalette256, entries) == offsetof(LOGPALETTE, palPalEntry));
static_assert(sizeof(LogPalette256) == offsetof(LOGPALETTE, palPalEntry) + 256 * sizeof(PALETTEENTRY));
// The picture description the engine fills names the record's real size.
static_assert(sizeof(PICTDESC) == PictDesc::kRecordSize);
#ifndef _WIN64
static_assert(PictDesc::kRecordSize == 20);
#endif

template <typename Handle>
Handle As(NativeHandle handle) {
    return reinterpret_cast<Handle>(handle);
}

NativeHandle From(const void* handle) { return reinterpret_cast<NativeHandle>(handle); }

// OLE passes handles as 32-bit values; GDI handles are sign-extended 32-bit
// values on 64-bit Windows too.
NativeHandle FromOleHandle(OLE_HANDLE handle) {
    return static_cast<NativeHandle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

}  // namespace

// --- OlePicture -----------------------------------------------------------------

OlePicture::~OlePicture() {
    if (picture_ != nullptr) picture_->Release();
    if (display_ != nullptr) display_->Release();
}

void OlePicture::Adopt(IPictureDisp* display, IPicture* picture) noexcept {
    if (picture_ != nullptr) picture_->Release();
    if (display_ != nullptr) display_->Release();
    display_ = display;
    picture_ = picture;
}

NativeHandle OlePicture::Bitmap() const {
    OLE_HANDLE handle = 0;
    if (picture_ == nullptr || FAILED(picture_->get_Handle(&handle))) return 0;
    return FromOleHandle(handle);
}

NativeHandle OlePicture::Palette() const {
    OLE_HANDLE handle = 0;
    if (picture_ == nullptr || FAILED(picture_->get_hPal(&handle))) return 0;
    return FromOleHandle(handle);
}

// --- user32 -----------------------------------------------------------------------

NativeHandle RealGdiApi::GetDC(NativeHandle window) { return From(::GetDC(As<HWND>(window))); }

NativeHandle RealGdiApi::GetWindowDC(NativeHandle window) { return From(::GetWindowDC(As<HWND>(window))); }

int RealGdiApi::ReleaseDC(NativeHandle window, NativeHandle dc) {
    return ::ReleaseDC(As<HWND>(window), As<HDC>(dc));
}

NativeHandle RealGdiApi::GetForegroundWindow() { return From(::GetForegroundWindow()); }

bool RealGdiApi::GetWindowRect(NativeHandle window, Rect32& rect) {
    RECT bounds{rect.left, rect.top, rect.right, rect.bottom};
    const bool ok = ::GetWindowRect(As<HWND>(window), &bounds) != FALSE;
    rect = Rect32{bounds.left, bounds.top, bounds.right, bounds.bottom};
    return ok;
}

Rect32 RealGdiApi::VirtualScreen() {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Rect32{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                  top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<Rect32> RealGdiApi::MonitorRects() { return win32::MonitorRects(MonitorPart::Whole); }

bool RealGdiApi::GetCursorInfo(NativeHandle& cursor, std::int32_t& x, std::int32_t& y) {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetCursorInfo(&info) || (info.flags & CURSOR_SHOWING) == 0) return false;
    cursor = From(info.hCursor);
    x = info.ptScreenPos.x;
    y = info.ptScreenPos.y;
    return true;
}

bool RealGdiApi::GetIconHotSpot(NativeHandle icon, std::int32_t& x, std::int32_t& y) {
    ICONINFO info{};
    if (!::GetIconInfo(As<HICON>(icon), &info)) return false;
    // Copies made for the caller, and only the hot spot is wanted.
    if (info.hbmMask != nullptr) ::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
    x = static_cast<std::int32_t>(info.xHotspot);
    y = static_cast<std::int32_t>(info.yHotspot);
    return true;
}

bool RealGdiApi::DrawIconEx(NativeHandle dc, int x, int y, NativeHandle icon) {
    return ::DrawIconEx(As<HDC>(dc), x, y, As<HICON>(icon), 0, 0, 0, nullptr, DI_NORMAL) != FALSE;
}

NativeHandle RealGdiApi::StandardArrowCursor() { return From(::LoadCursorW(nullptr, IDC_ARROW)); }

// --- dwmapi, loaded at the first active-window capture --------------------------

bool RealGdiApi::GetExtendedFrameBounds(NativeHandle window, Rect32& rect) {
    return CompositorFrame(As<HWND>(window), rect);
}

// --- gdi32 ------------------------------------------------------------------------

NativeHandle RealGdiApi::CreateCompatibleDC(NativeHandle dc) {
    return From(::CreateCompatibleDC(As<HDC>(dc)));
}

NativeHandle RealGdiApi::CreateCompatibleBitmap(NativeHandle dc, int width, int height) {
    return From(::CreateCompatibleBitmap(As<HDC>(dc), width, height));
}

NativeHandle RealGdiApi::SelectObject(NativeHandle dc, NativeHandle object) {
    return From(::SelectObject(As<HDC>(dc), As<HGDIOBJ>(object)));
}

int RealGdiApi::GetDeviceCaps(NativeHandle dc, int index) { return ::GetDeviceCaps(As<HDC>(dc), index); }

unsigned RealGdiApi::GetSystemPaletteEntries(NativeHandle dc, unsigned first, unsigned count,
                                             PaletteEntry* entries) {
    return ::GetSystemPaletteEntries(As<HDC>(dc), first, count, reinterpret_cast<PALETTEENTRY*>(entries));
}

NativeHandle RealGdiApi::CreatePalette(const LogPalette256& palette) {
    return From(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette)));
}

NativeHandle RealGdiApi::SelectPalette(NativeHandle dc, NativeHandle palette, bool forceBackground) {
    return From(::SelectPalette(As<HDC>(dc), As<HPALETTE>(palette), forceBackground ? TRUE : FALSE));
}

unsigned RealGdiApi::RealizePalette(NativeHandle dc) { return ::RealizePalette(As<HDC>(dc)); }

bool RealGdiApi::BitBlt(NativeHandle dest, int x, int y, int width, int height, NativeHandle source,
                        int sourceX, int sourceY, std::uint32_t rop) {
    return ::BitBlt(As<HDC>(dest), x, y, width, height, As<HDC>(source), sourceX, sourceY, rop) != FALSE;
}

bool RealGdiApi::PatBlt(NativeHandle dest, int x, int y, int width, int height, std::uint32_t rop) {
    return ::PatBlt(As<HDC>(dest), x, y, width, height, rop) != FALSE;
}

bool RealGdiApi::DeleteDC(NativeHandle dc) { return ::DeleteDC(As<HDC>(dc)) != FALSE; }

bool RealGdiApi::DeleteObject(NativeHandle object) { return ::DeleteObject(As<HGDIOBJ>(object)) != FALSE; }

// --- OLE --------------------------------------------------------------------------

PicturePtr RealGdiApi::OleCreatePictureIndirect(const PictDesc& desc, bool own) {
    EnsureOleInitialized();
    static const auto create =
        SystemFunction<decltype(&::OleCreatePictureIndirect)>(L"oleaut32.dll", "OleCreatePictureIndirect");
    if (create == nullptr) return nullptr;  // the handles are still the caller's
    // Allocated before the handles are given away: from then on nothing may
    // throw, since the caller deletes the handles itself when this throws.
    auto picture = std::make_shared<OlePicture>();

    PICTDESC description{};
    description.cbSizeofstruct = desc.size;
    description.picType = desc.type;
    description.bmp.hbitmap = As<HBITMAP>(desc.bitmap);
    description.bmp.hpal = As<HPALETTE>(desc.palette);

    IDispatch* dispatch = nullptr;
    // The status is not looked at: an object came back or it did not.
    create(&description, IID_IDispatch, own ? TRUE : FALSE, reinterpret_cast<void**>(&dispatch));
    if (dispatch == nullptr) return nullptr;  // the handles are still the caller's

    IPictureDisp* display = nullptr;
    IPicture* handles = nullptr;
    dispatch->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(&display));
    dispatch->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&handles));
    picture->Adopt(display, handles);
    // The object owns the handles now. Should it answer neither interface, this
    // release ends it with them, and the empty picture still tells the caller
    // not to delete them a second time.
    dispatch->Release();
    return picture;
}

}  // namespace scrimble::win32
