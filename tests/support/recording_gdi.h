// A GdiApi that writes every call, with its arguments and result, as one line
// ("GetWindowDC(fg) -> dc1") and keeps a small model of what it hands out:
// which device contexts and objects still exist, what is selected into each
// memory context, what a picture owns. Deleting a selected object fails (it
// leaks, as on Windows); other misuse (naming an object that is gone, giving
// one back twice or to the wrong window, deleting what a picture owns) is
// noted in `misuse`.
//
// Handles have readable names: window DCs "dc1", memory DCs "mem1", bitmaps
// "bmp1", palettes "pal1", what a new memory context starts with "stockbmp"
// and "stockpal", the foreground window "fg", the pointer's cursor "cursor",
// the standard arrow "arrow".
#pragma once

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "capture/gdi_api.h"
#include "support/fake_services.h"

namespace scrimble::fakes {

class RecordingGdi : public GdiApi {
    struct Object {
        std::string name;
        bool ours = true;  // made by a call, to be given back; not a window or stock object
        bool gone = false;
        bool ownedByPicture = false;
        NativeHandle window = 0;               // window DC: its window
        NativeHandle bitmap = 0, palette = 0;  // memory DC: what is selected into it
    };
    std::map<NativeHandle, Object> objects_;
    std::map<std::string, int> counters_;

    NativeHandle Make(const std::string& prefix, bool ours = true) {
        const NativeHandle handle = 0x100 + 4 * objects_.size();
        objects_[handle] = Object{ours ? prefix + std::to_string(++counters_[prefix]) : prefix, ours};
        return handle;
    }

public:
    struct Point {
        std::int32_t x = 0, y = 0;
    };

    // --- What the fake answers -------------------------------------------
    NativeHandle foregroundWindow = Make("fg", false);
    int rasterCaps = 0;                // GetDeviceCaps(RASTERCAPS)
    int paletteSize = 0;               // GetDeviceCaps(SIZEPALETTE)
    unsigned systemPaletteFill = 256;  // entries GetSystemPaletteEntries writes
    bool windowRectReadable = true;
    Rect32 windowRect{};
    bool frameBoundsAnswered = false;  // a compositor that tells the frame
    Rect32 frameBounds{};
    Rect32 virtualScreen{0, 0, 1024, 768};
    std::vector<Rect32> monitors{{0, 0, 1024, 768}};
    bool bitmapFails = false;          // CreateCompatibleBitmap gives 0
    bool copyFails = false;            // BitBlt refuses
    bool pictureFails = false;         // OleCreatePictureIndirect gives null
    // The mouse pointer. Only `cursor` can be refused, as another process's
    // cursor is under Wine; the arrow is always read and drawn.
    bool cursorShows = true;           // GetCursorInfo: CURSOR_SHOWING
    NativeHandle cursor = Make("cursor", false);
    Point pointer{};                   // where GetCursorInfo puts it
    Point cursorHotSpot{};
    bool cursorHotSpotFails = false;   // GetIconHotSpot(cursor) gives false
    bool cursorDrawFails = false;      // DrawIconEx(..., cursor) gives false
    NativeHandle arrow = Make("arrow", false);
    Point arrowHotSpot{};
    // The call with this 1-based number in the log throws std::runtime_error.
    // Calls that give something back take effect first; the others throw
    // before they do anything.
    int failAtCall = 0;

    // --- What the engine did ----------------------------------------------
    std::vector<std::string> calls;
    std::vector<std::string> misuse;
    LogPalette256 lastPalette{};  // as CreatePalette last received it

    std::string Name(NativeHandle handle) const {
        const auto it = objects_.find(handle);
        return handle == 0 ? "0" : it == objects_.end() ? "?" + std::to_string(handle) : it->second.name;
    }
    // Device contexts not given back and bitmaps or palettes not deleted,
    // whether a picture owns them or not.
    std::vector<std::string> Unreleased() const {
        std::vector<std::string> names;
        for (const auto& [handle, o] : objects_) {
            if (o.ours && !o.gone) names.push_back(o.name);
        }
        return names;
    }
    static PaletteEntry SystemColour(unsigned index) {
        return {std::uint8_t(index), std::uint8_t(255 - index), std::uint8_t(index * 7 + 3), 0};
    }

    // --- GdiApi -------------------------------------------------------------
    NativeHandle GetDC(NativeHandle window) override { return Made(Enter("GetDC", window), "dc", window); }
    NativeHandle GetWindowDC(NativeHandle window) override { return Made(Enter("GetWindowDC", window), "dc", window); }
    int ReleaseDC(NativeHandle window, NativeHandle dc) override {
        const std::string call = Signature("ReleaseDC", window, dc);
        if (Object* o = GiveBack(call, dc); o && o->window != window) misuse.push_back(call + ": wrong window");
        calls.push_back(Enter(call));
        return 1;
    }
    NativeHandle GetForegroundWindow() override { return Returns(Enter("GetForegroundWindow"), foregroundWindow); }
    bool GetWindowRect(NativeHandle window, Rect32& rect) override {
        calls.push_back(Enter("GetWindowRect", window) + (windowRectReadable ? " -> true" : " -> false"));
        if (windowRectReadable) rect = windowRect;
        return windowRectReadable;
    }
    Rect32 VirtualScreen() override {
        calls.push_back(Enter("VirtualScreen") + " -> " + Text(virtualScreen));
        return virtualScreen;
    }
    std::vector<Rect32> MonitorRects() override {
        std::string list;
        for (const Rect32& m : monitors) list += (list.empty() ? "" : " ") + Text(m);
        calls.push_back(Enter("MonitorRects") + " -> " + list);
        return monitors;
    }
    bool GetCursorInfo(NativeHandle& shown, std::int32_t& x, std::int32_t& y) override {
        const std::string call = Enter("GetCursorInfo");
        calls.push_back(call + " -> " + (cursorShows ? Name(cursor) + " at " + Text(pointer) : "hidden"));
        if (!cursorShows) return false;
        shown = cursor;
        x = pointer.x;
        y = pointer.y;
        return true;
    }
    bool GetIconHotSpot(NativeHandle icon, std::int32_t& x, std::int32_t& y) override {
        const std::string call = Enter("GetIconHotSpot", icon);
        const bool fails = icon == cursor ? cursorHotSpotFails : icon != arrow;
        const Point spot = icon == cursor ? cursorHotSpot : arrowHotSpot;
        calls.push_back(call + " -> " + (fails ? "false" : Text(spot)));
        if (fails) return false;
        x = spot.x;
        y = spot.y;
        return true;
    }
    bool DrawIconEx(NativeHandle dc, int x, int y, NativeHandle icon) override {
        const std::string call = Enter("DrawIconEx", dc, x, y, icon);
        const Object* target = Find(dc) ? Find(Find(dc)->bitmap) : nullptr;
        if (target == nullptr || !target->ours) misuse.push_back(call + ": no bitmap of ours selected");
        const bool drawn = icon == arrow || (icon == cursor && !cursorDrawFails);
        calls.push_back(call + (drawn ? "" : " -> false"));
        return drawn;
    }
    NativeHandle StandardArrowCursor() override { return Returns(Enter("StandardArrowCursor"), arrow); }
    bool GetExtendedFrameBounds(NativeHandle window, Rect32& rect) override {
        calls.push_back(Enter("GetExtendedFrameBounds", window) + (frameBoundsAnswered ? " -> true" : " -> false"));
        if (frameBoundsAnswered) rect = frameBounds;
        return frameBoundsAnswered;
    }
    NativeHandle CreateCompatibleDC(NativeHandle dc) override { return Made(Enter("CreateCompatibleDC", dc), "mem"); }
    NativeHandle CreateCompatibleBitmap(NativeHandle dc, int width, int height) override {
        const std::string call = Enter("CreateCompatibleBitmap", dc, width, height);
        return bitmapFails ? Returns(call, NativeHandle{0}) : Made(call, "bmp");
    }
    NativeHandle SelectObject(NativeHandle dc, NativeHandle bitmap) override {
        return Select(Enter("SelectObject", dc, bitmap), dc, bitmap, &Object::bitmap);
    }
    int GetDeviceCaps(NativeHandle dc, int index) override {
        const std::string call = Enter("GetDeviceCaps", dc, index);
        return Returns(call, index == gdi::kRasterCaps ? rasterCaps : index == gdi::kSizePalette ? paletteSize : 0);
    }
    unsigned GetSystemPaletteEntries(NativeHandle dc, unsigned first, unsigned count, PaletteEntry* entries) override {
        const std::string call = Enter("GetSystemPaletteEntries", dc, int(first), int(count));
        const unsigned filled = std::min(count, systemPaletteFill);
        for (unsigned i = 0; i < filled; ++i) entries[i] = SystemColour(first + i);
        return Returns(call, int(filled));
    }
    NativeHandle CreatePalette(const LogPalette256& palette) override {
        lastPalette = palette;
        return Made(Enter("CreatePalette", Hex(palette.version, 1), int(palette.count)), "pal");
    }
    NativeHandle SelectPalette(NativeHandle dc, NativeHandle palette, bool forceBackground) override {
        return Select(Enter("SelectPalette", dc, palette, std::string(forceBackground ? "true" : "false")), dc,
                      palette, &Object::palette);
    }
    unsigned RealizePalette(NativeHandle dc) override {
        calls.push_back(Enter("RealizePalette", dc));
        return 0;
    }
    bool BitBlt(NativeHandle dest, int x, int y, int width, int height, NativeHandle source, int sourceX,
                int sourceY, std::uint32_t rop) override {
        calls.push_back(Enter("BitBlt", dest, x, y, width, height, source, sourceX, sourceY, Hex(rop, 8)) +
                        (copyFails ? " -> false" : ""));
        return !copyFails;
    }
    bool PatBlt(NativeHandle dest, int x, int y, int width, int height, std::uint32_t rop) override {
        calls.push_back(Enter("PatBlt", dest, x, y, width, height, Hex(rop, 8)));
        return true;
    }
    bool DeleteDC(NativeHandle dc) override {
        const std::string call = Signature("DeleteDC", dc);
        GiveBack(call, dc);
        calls.push_back(Enter(call));
        return true;
    }
    bool DeleteObject(NativeHandle handle) override {
        const std::string call = Signature("DeleteObject", handle);
        if (Find(handle) && Find(handle)->ownedByPicture) misuse.push_back(call + ": owned by a picture");
        const bool deleted = !Selected(handle) && GiveBack(call, handle);  // Windows refuses, and it leaks
        calls.push_back(Enter(call));
        return deleted;
    }
    PicturePtr OleCreatePictureIndirect(const PictDesc& desc, bool own) override {
        const std::string call = Enter("OleCreatePictureIndirect", "size " + std::to_string(desc.size),
                                       "type " + std::to_string(desc.type), desc.bitmap, desc.palette,
                                       std::string(own ? "own" : "borrow"));
        calls.push_back(call + (pictureFails ? " -> null" : " -> picture"));
        if (pictureFails) return nullptr;
        for (NativeHandle handle : {desc.bitmap, desc.palette}) {
            if (own && handle != 0) objects_[handle].ownedByPicture = true;
        }
        // As an owning OLE picture, it deletes its handles with its last reference.
        return std::make_shared<test::FakePicture>(desc.bitmap, desc.palette, [this, own, desc] {
            for (NativeHandle handle : {desc.bitmap, desc.palette}) {
                if (own && handle != 0) PictureReleased(handle);
            }
        });
    }

private:

    const NativeHandle stockBitmap_ = Make("stockbmp", false);
    const NativeHandle stockPalette_ = Make("stockpal", false);

    // An argument as the log shows it. Naming an object that is gone is
    // misuse, whatever the call.
    std::string Text(NativeHandle handle) {
        if (Find(handle) && Find(handle)->gone) misuse.push_back("used " + Name(handle) + ", which is gone");
        return Name(handle);
    }
    static std::string Text(int value) { return std::to_string(value); }
    static std::string Text(const std::string& text) { return text; }
    static std::string Text(const Point& p) { return Text(p.x) + ", " + Text(p.y); }
    static std::string Text(const Rect32& r) {
        return "{" + Text(r.left) + ", " + Text(r.top) + ", " + Text(r.right) + ", " + Text(r.bottom) + "}";
    }
    static std::string Hex(unsigned value, int digits) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%0*X", digits, value);
        return text;
    }
    template <typename... Args>
    std::string Signature(const char* api, const Args&... args) {
        std::string list;
        ((list += (list.empty() ? "" : ", ") + Text(args)), ...);
        return std::string(api) + "(" + list + ")";
    }
    // The call's line, unless it is the one chosen to fail: then it is logged
    // as such and throws.
    template <typename... Args>
    std::string Enter(const char* api, const Args&... args) {
        return Enter(Signature(api, args...));
    }
    std::string Enter(const std::string& call) {
        if (static_cast<int>(calls.size()) + 1 != failAtCall) return call;
        calls.push_back(call + " throws");
        throw std::runtime_error("fake failure in " + call);
    }
    template <typename T>
    T Returns(const std::string& call, T result) {
        calls.push_back(call + " -> " + Text(result));
        return result;
    }
    // A new device context (of `window`), memory context, bitmap or palette.
    NativeHandle Made(const std::string& call, const char* prefix, NativeHandle window = 0) {
        const NativeHandle handle = Make(prefix);
        objects_[handle].window = window;
        if (prefix == std::string("mem")) {  // a new memory context holds the stock objects
            objects_[handle].bitmap = stockBitmap_;
            objects_[handle].palette = stockPalette_;
        }
        return Returns(call, handle);
    }
    NativeHandle Select(const std::string& call, NativeHandle dc, NativeHandle object, NativeHandle Object::*slot) {
        return Returns(call, Find(dc) ? std::exchange(Find(dc)->*slot, object) : 0);
    }
    Object* Find(NativeHandle handle) {
        const auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : &it->second;
    }
    // ReleaseDC, DeleteDC, DeleteObject: one of ours goes, once.
    Object* GiveBack(const std::string& call, NativeHandle handle) {
        Object* o = Find(handle);
        if (o == nullptr || !o->ours || o->gone) {
            misuse.push_back(call + ": nothing of ours to give back");
            return nullptr;
        }
        o->gone = true;
        return o;
    }
    // Whether a memory context that still exists holds it.
    bool Selected(NativeHandle handle) const {
        return std::any_of(objects_.begin(), objects_.end(), [&](const auto& entry) {
            return !entry.second.gone && (entry.second.bitmap == handle || entry.second.palette == handle);
        });
    }
    void PictureReleased(NativeHandle handle) {
        if (objects_[handle].gone) misuse.push_back("picture released " + Name(handle) + ", which is gone");
        objects_[handle].gone = true;
    }
};

}  // namespace scrimble::fakes
