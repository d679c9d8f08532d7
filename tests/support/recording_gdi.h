// A GdiApi that writes every call, with its arguments, as one line of text and
// keeps a small model of the objects it hands out: which device contexts were
// given back, what is selected into each memory context, which bitmaps and
// palettes still exist. Misuse that Windows would reject (deleting an object
// that is still selected, giving a context back twice) is collected in Misuse().
//
// Handles have readable names in the log: window DCs "dc1", memory DCs "mem1",
// bitmaps "bmp1", palettes "pal1", the objects a new memory context starts with
// "stockbmp" and "stockpal", the windows "desktop" and "fg".
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "capture/gdi_api.h"

namespace scrimble::fakes {

class RecordingGdi : public GdiApi {
public:
    RecordingGdi();
    ~RecordingGdi() override;
    RecordingGdi(const RecordingGdi&) = delete;
    RecordingGdi& operator=(const RecordingGdi&) = delete;

    // --- What the fake answers -------------------------------------------
    int rasterCaps = 0;               // GetDeviceCaps(RASTERCAPS)
    int paletteSize = 0;              // GetDeviceCaps(SIZEPALETTE)
    unsigned systemPaletteFill = 256; // entries GetSystemPaletteEntries writes
    NativeHandle foregroundWindow;    // "fg" unless a test sets it
    bool windowRectReadable = true;
    Rect32 windowRect{};
    bool pictureFails = false;        // OleCreatePictureIndirect gives null
    // The call with this 1-based number in the log throws std::runtime_error.
    // Calls that give something back (ReleaseDC, DeleteDC, DeleteObject) take
    // effect before they throw; every other call throws before it does anything.
    int failAtCall = 0;

    // --- What the engine did ----------------------------------------------
    const std::vector<std::string>& Calls() const { return calls_; }
    const std::vector<std::string>& Misuse() const { return misuse_; }
    std::string Name(NativeHandle handle) const;
    NativeHandle Desktop() const { return desktop_; }
    NativeHandle HandleNamed(const std::string& name) const;  // 0 when unknown
    // Device contexts taken, by name, with the number of times each was given back.
    std::map<std::string, int> DcReturns() const;
    // Bitmaps and palettes that exist and are owned by no live picture.
    std::vector<std::string> LeakedObjects() const;
    // Bitmaps and palettes not yet deleted, whoever owns them.
    std::vector<std::string> LiveObjects() const;
    // The system palette colour the fake reports for an index.
    static PaletteEntry SystemColour(unsigned index);
    const LogPalette256& LastCreatedPalette() const { return lastPalette_; }

    // --- GdiApi -------------------------------------------------------------
    NativeHandle GetDC(NativeHandle window) override;
    NativeHandle GetWindowDC(NativeHandle window) override;
    int ReleaseDC(NativeHandle window, NativeHandle dc) override;
    NativeHandle GetDesktopWindow() override;
    NativeHandle GetForegroundWindow() override;
    bool GetWindowRect(NativeHandle window, Rect32& rect) override;
    NativeHandle CreateCompatibleDC(NativeHandle dc) override;
    NativeHandle CreateCompatibleBitmap(NativeHandle dc, int width, int height) override;
    NativeHandle SelectObject(NativeHandle dc, NativeHandle object) override;
    int GetDeviceCaps(NativeHandle dc, int index) override;
    unsigned GetSystemPaletteEntries(NativeHandle dc, unsigned first, unsigned count,
                                     PaletteEntry* entries) override;
    NativeHandle CreatePalette(const LogPalette256& palette) override;
    NativeHandle SelectPalette(NativeHandle dc, NativeHandle palette, bool forceBackground) override;
    unsigned RealizePalette(NativeHandle dc) override;
    bool BitBlt(NativeHandle dest, int x, int y, int width, int height, NativeHandle source,
                int sourceX, int sourceY, std::uint32_t rop) override;
    bool DeleteDC(NativeHandle dc) override;
    bool DeleteObject(NativeHandle object) override;
    PicturePtr OleCreatePictureIndirect(const PictDesc& desc, bool own) override;

    // Called by the fake's pictures when their last reference goes.
    void PictureReleased(NativeHandle bitmap, NativeHandle palette, bool owned);

private:
    enum class Kind { Window, WindowDc, MemoryDc, Bitmap, Palette, Stock };
    struct Object {
        Kind kind;
        std::string name;
        int returns = 0;             // ReleaseDC / DeleteDC / DeleteObject calls
        bool deleted = false;
        bool ownedByPicture = false;
        NativeHandle window = 0;     // window DC: the window it belongs to
        NativeHandle bitmap = 0;     // memory DC: what is selected into it
        NativeHandle palette = 0;
    };

    NativeHandle Make(Kind kind, const std::string& prefix);
    Object* Find(NativeHandle handle);
    const Object* Find(NativeHandle handle) const;
    bool IsSelectedSomewhere(NativeHandle object) const;
    // Throws, logging the call as failed, when it is the one chosen to fail.
    void FailIfChosen(const std::string& call);
    void Log(const std::string& line) { calls_.push_back(line); }
    void Misused(const std::string& what) { misuse_.push_back(what); }

    std::map<NativeHandle, Object> objects_;
    std::map<std::string, int> counters_;
    std::vector<std::string> calls_;
    std::vector<std::string> misuse_;
    LogPalette256 lastPalette_{};
    NativeHandle nextHandle_ = 0x100;
    NativeHandle desktop_ = 0;
    NativeHandle stockBitmap_ = 0;
    NativeHandle stockPalette_ = 0;
};

}  // namespace scrimble::fakes
