#include "support/recording_gdi.h"

#include <cstdio>
#include <stdexcept>

namespace scrimble::fakes {
namespace {

std::string Bool(bool value) { return value ? "true" : "false"; }

// Eight digits, as raster operations are usually written.
std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string ShortHex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

// A picture made by the fake; gives its handles back to the fake when the last
// reference goes, as an owning OLE picture deletes them.
class FakePicture : public Picture {
public:
    FakePicture(RecordingGdi& gdi, NativeHandle bitmap, NativeHandle palette, bool owned)
        : gdi_(gdi), bitmap_(bitmap), palette_(palette), owned_(owned) {}
    ~FakePicture() override { gdi_.PictureReleased(bitmap_, palette_, owned_); }
    NativeHandle Bitmap() const override { return bitmap_; }
    NativeHandle Palette() const override { return palette_; }

private:
    RecordingGdi& gdi_;
    NativeHandle bitmap_;
    NativeHandle palette_;
    bool owned_;
};

}  // namespace

RecordingGdi::RecordingGdi() {
    desktop_ = Make(Kind::Window, "desktop");
    foregroundWindow = Make(Kind::Window, "fg");
    stockBitmap_ = Make(Kind::Stock, "stockbmp");
    stockPalette_ = Make(Kind::Stock, "stockpal");
}

RecordingGdi::~RecordingGdi() = default;

PaletteEntry RecordingGdi::SystemColour(unsigned index) {
    PaletteEntry entry;
    entry.red = static_cast<std::uint8_t>(index);
    entry.green = static_cast<std::uint8_t>(255 - index);
    entry.blue = static_cast<std::uint8_t>(index * 7 + 3);
    return entry;
}

NativeHandle RecordingGdi::Make(Kind kind, const std::string& prefix) {
    std::string name = prefix;
    if (kind != Kind::Window && kind != Kind::Stock) name += std::to_string(++counters_[prefix]);
    const NativeHandle handle = nextHandle_;
    nextHandle_ += 4;
    objects_[handle] = Object{kind, name};
    return handle;
}

RecordingGdi::Object* RecordingGdi::Find(NativeHandle handle) {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : &it->second;
}

const RecordingGdi::Object* RecordingGdi::Find(NativeHandle handle) const {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : &it->second;
}

std::string RecordingGdi::Name(NativeHandle handle) const {
    if (handle == 0) return "0";
    if (const Object* object = Find(handle)) return object->name;
    return "?" + ShortHex(static_cast<std::uint32_t>(handle));
}

NativeHandle RecordingGdi::HandleNamed(const std::string& name) const {
    for (const auto& [handle, object] : objects_) {
        if (object.name == name) return handle;
    }
    return 0;
}

bool RecordingGdi::IsSelectedSomewhere(NativeHandle handle) const {
    for (const auto& [dc, object] : objects_) {
        if (object.kind == Kind::MemoryDc && !object.deleted &&
            (object.bitmap == handle || object.palette == handle)) {
            return true;
        }
    }
    return false;
}

void RecordingGdi::FailIfChosen(const std::string& call) {
    if (static_cast<int>(calls_.size()) + 1 != failAtCall) return;
    Log(call + " throws");
    throw std::runtime_error("fake failure in " + call);
}

std::map<std::string, int> RecordingGdi::DcReturns() const {
    std::map<std::string, int> returns;
    for (const auto& [handle, object] : objects_) {
        if (object.kind == Kind::WindowDc || object.kind == Kind::MemoryDc) {
            returns[object.name] = object.returns;
        }
    }
    return returns;
}

std::vector<std::string> RecordingGdi::LeakedObjects() const {
    std::vector<std::string> leaked;
    for (const auto& [handle, object] : objects_) {
        if ((object.kind == Kind::Bitmap || object.kind == Kind::Palette) && !object.deleted &&
            !object.ownedByPicture) {
            leaked.push_back(object.name);
        }
    }
    return leaked;
}

std::vector<std::string> RecordingGdi::LiveObjects() const {
    std::vector<std::string> live;
    for (const auto& [handle, object] : objects_) {
        if ((object.kind == Kind::Bitmap || object.kind == Kind::Palette) && !object.deleted) {
            live.push_back(object.name);
        }
    }
    return live;
}

// --- user32 -------------------------------------------------------------------

NativeHandle RecordingGdi::GetDC(NativeHandle window) {
    const std::string call = "GetDC(" + Name(window) + ")";
    FailIfChosen(call);
    const NativeHandle dc = Make(Kind::WindowDc, "dc");
    objects_[dc].window = window;
    Log(call + " -> " + Name(dc));
    return dc;
}

NativeHandle RecordingGdi::GetWindowDC(NativeHandle window) {
    const std::string call = "GetWindowDC(" + Name(window) + ")";
    FailIfChosen(call);
    const NativeHandle dc = Make(Kind::WindowDc, "dc");
    objects_[dc].window = window;
    Log(call + " -> " + Name(dc));
    return dc;
}

int RecordingGdi::ReleaseDC(NativeHandle window, NativeHandle dc) {
    const std::string call = "ReleaseDC(" + Name(window) + ", " + Name(dc) + ")";
    Object* object = Find(dc);
    if (object == nullptr || object->kind != Kind::WindowDc) {
        Misused(call + ": not a window device context");
    } else {
        if (++object->returns > 1) Misused(call + ": released again");
        if (object->window != window) Misused(call + ": belongs to " + Name(object->window));
        object->deleted = true;
    }
    FailIfChosen(call);
    Log(call);
    return 1;
}

NativeHandle RecordingGdi::GetDesktopWindow() {
    const std::string call = "GetDesktopWindow()";
    FailIfChosen(call);
    Log(call + " -> " + Name(desktop_));
    return desktop_;
}

NativeHandle RecordingGdi::GetForegroundWindow() {
    const std::string call = "GetForegroundWindow()";
    FailIfChosen(call);
    Log(call + " -> " + Name(foregroundWindow));
    return foregroundWindow;
}

bool RecordingGdi::GetWindowRect(NativeHandle window, Rect32& rect) {
    const std::string call = "GetWindowRect(" + Name(window) + ")";
    FailIfChosen(call);
    if (windowRectReadable) rect = windowRect;
    Log(call + " -> " + Bool(windowRectReadable));
    return windowRectReadable;
}

// --- gdi32 --------------------------------------------------------------------

NativeHandle RecordingGdi::CreateCompatibleDC(NativeHandle dc) {
    const std::string call = "CreateCompatibleDC(" + Name(dc) + ")";
    FailIfChosen(call);
    const Object* source = Find(dc);
    if (source == nullptr || source->deleted) Misused(call + ": no live device context");
    const NativeHandle memory = Make(Kind::MemoryDc, "mem");
    objects_[memory].bitmap = stockBitmap_;
    objects_[memory].palette = stockPalette_;
    Log(call + " -> " + Name(memory));
    return memory;
}

NativeHandle RecordingGdi::CreateCompatibleBitmap(NativeHandle dc, int width, int height) {
    const std::string call = "CreateCompatibleBitmap(" + Name(dc) + ", " + std::to_string(width) +
                             ", " + std::to_string(height) + ")";
    FailIfChosen(call);
    const Object* source = Find(dc);
    if (source == nullptr || source->deleted) Misused(call + ": no live device context");
    const NativeHandle bitmap = Make(Kind::Bitmap, "bmp");
    Log(call + " -> " + Name(bitmap));
    return bitmap;
}

NativeHandle RecordingGdi::SelectObject(NativeHandle dc, NativeHandle object) {
    const std::string call = "SelectObject(" + Name(dc) + ", " + Name(object) + ")";
    FailIfChosen(call);
    Object* memory = Find(dc);
    const Object* target = Find(object);
    NativeHandle previous = 0;
    if (memory == nullptr || memory->kind != Kind::MemoryDc || memory->deleted) {
        Misused(call + ": no live memory device context");
    } else if (target == nullptr || target->deleted ||
               !(target->kind == Kind::Bitmap || object == stockBitmap_)) {
        Misused(call + ": no live bitmap");
    } else if (object != memory->bitmap && object != stockBitmap_ && IsSelectedSomewhere(object)) {
        Misused(call + ": bitmap already selected elsewhere");
    } else {
        previous = memory->bitmap;
        memory->bitmap = object;
    }
    Log(call + " -> " + Name(previous));
    return previous;
}

int RecordingGdi::GetDeviceCaps(NativeHandle dc, int index) {
    const std::string call = "GetDeviceCaps(" + Name(dc) + ", " + std::to_string(index) + ")";
    FailIfChosen(call);
    const Object* source = Find(dc);
    if (source == nullptr || source->deleted) Misused(call + ": no live device context");
    int value = 0;
    if (index == gdi::kRasterCaps) value = rasterCaps;
    if (index == gdi::kSizePalette) value = paletteSize;
    Log(call + " -> " + std::to_string(value));
    return value;
}

unsigned RecordingGdi::GetSystemPaletteEntries(NativeHandle dc, unsigned first, unsigned count,
                                               PaletteEntry* entries) {
    const std::string call = "GetSystemPaletteEntries(" + Name(dc) + ", " + std::to_string(first) +
                             ", " + std::to_string(count) + ")";
    FailIfChosen(call);
    const Object* source = Find(dc);
    if (source == nullptr || source->deleted) Misused(call + ": no live device context");
    const unsigned filled = count < systemPaletteFill ? count : systemPaletteFill;
    for (unsigned i = 0; i < filled; ++i) entries[i] = SystemColour(first + i);
    Log(call + " -> " + std::to_string(filled));
    return filled;
}

NativeHandle RecordingGdi::CreatePalette(const LogPalette256& palette) {
    const std::string call = "CreatePalette(version " + ShortHex(palette.version) +
                             ", count " + std::to_string(palette.count) + ")";
    FailIfChosen(call);
    lastPalette_ = palette;
    const NativeHandle handle = Make(Kind::Palette, "pal");
    Log(call + " -> " + Name(handle));
    return handle;
}

NativeHandle RecordingGdi::SelectPalette(NativeHandle dc, NativeHandle palette, bool forceBackground) {
    const std::string call = "SelectPalette(" + Name(dc) + ", " + Name(palette) + ", " +
                             Bool(forceBackground) + ")";
    FailIfChosen(call);
    Object* memory = Find(dc);
    const Object* target = Find(palette);
    NativeHandle previous = 0;
    if (memory == nullptr || memory->kind != Kind::MemoryDc || memory->deleted) {
        Misused(call + ": no live memory device context");
    } else if (target == nullptr || target->deleted ||
               !(target->kind == Kind::Palette || palette == stockPalette_)) {
        Misused(call + ": no live palette");
    } else {
        previous = memory->palette;
        memory->palette = palette;
    }
    Log(call + " -> " + Name(previous));
    return previous;
}

unsigned RecordingGdi::RealizePalette(NativeHandle dc) {
    const std::string call = "RealizePalette(" + Name(dc) + ")";
    FailIfChosen(call);
    const Object* memory = Find(dc);
    if (memory == nullptr || memory->deleted) Misused(call + ": no live device context");
    Log(call);
    return 0;
}

bool RecordingGdi::BitBlt(NativeHandle dest, int x, int y, int width, int height, NativeHandle source,
                          int sourceX, int sourceY, std::uint32_t rop) {
    const std::string call = "BitBlt(" + Name(dest) + ", " + std::to_string(x) + ", " +
                             std::to_string(y) + ", " + std::to_string(width) + ", " +
                             std::to_string(height) + ", " + Name(source) + ", " +
                             std::to_string(sourceX) + ", " + std::to_string(sourceY) + ", " +
                             Hex(rop) + ")";
    FailIfChosen(call);
    const Object* to = Find(dest);
    const Object* from = Find(source);
    if (to == nullptr || to->deleted || from == nullptr || from->deleted) {
        Misused(call + ": no live device context");
    }
    Log(call);
    return true;
}

bool RecordingGdi::DeleteDC(NativeHandle dc) {
    const std::string call = "DeleteDC(" + Name(dc) + ")";
    Object* memory = Find(dc);
    if (memory == nullptr || memory->kind != Kind::MemoryDc) {
        Misused(call + ": not a memory device context");
    } else {
        if (++memory->returns > 1) Misused(call + ": deleted again");
        memory->deleted = true;
        memory->bitmap = 0;
        memory->palette = 0;
    }
    FailIfChosen(call);
    Log(call);
    return true;
}

bool RecordingGdi::DeleteObject(NativeHandle handle) {
    const std::string call = "DeleteObject(" + Name(handle) + ")";
    Object* object = Find(handle);
    bool deleted = false;
    if (object == nullptr || !(object->kind == Kind::Bitmap || object->kind == Kind::Palette)) {
        Misused(call + ": not a bitmap or palette of ours");
    } else if (object->deleted) {
        Misused(call + ": deleted again");
    } else if (object->ownedByPicture) {
        Misused(call + ": owned by a picture");
    } else if (IsSelectedSomewhere(handle)) {
        Misused(call + ": still selected");  // Windows refuses, and the object leaks
    } else {
        object->deleted = true;
        deleted = true;
    }
    FailIfChosen(call);
    Log(call);
    return deleted;
}

PicturePtr RecordingGdi::OleCreatePictureIndirect(const PictDesc& desc, bool own) {
    const std::string call = "OleCreatePictureIndirect(size " + std::to_string(desc.size) + ", type " +
                             std::to_string(desc.type) + ", " + Name(desc.bitmap) + ", " +
                             Name(desc.palette) + ", " + (own ? "own" : "borrow") + ")";
    FailIfChosen(call);
    if (pictureFails) {
        Log(call + " -> null");
        return nullptr;
    }
    if (own) {
        for (NativeHandle handle : {desc.bitmap, desc.palette}) {
            if (Object* object = Find(handle)) object->ownedByPicture = true;
        }
    }
    Log(call + " -> picture");
    return std::make_shared<FakePicture>(*this, desc.bitmap, desc.palette, own);
}

void RecordingGdi::PictureReleased(NativeHandle bitmap, NativeHandle palette, bool owned) {
    if (!owned) return;
    for (NativeHandle handle : {bitmap, palette}) {
        if (handle == 0) continue;
        Object* object = Find(handle);
        if (object == nullptr || object->deleted) {
            Misused("picture released " + Name(handle) + ", which no longer exists");
            continue;
        }
        if (IsSelectedSomewhere(handle)) Misused("picture released " + Name(handle) + " while selected");
        object->deleted = true;
        object->ownedByPicture = false;
    }
}

}  // namespace scrimble::fakes
