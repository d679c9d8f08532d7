// OLE, its pictures and the shell are loaded at their first use, not at start:
// the window shows sooner, and a session that never captures never loads them.
#pragma once

#include <functional>
#include <utility>

namespace scrimble::win32 {

// One counted reference to a COM object, released with its owner.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* Get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Where a call that hands out a reference writes it; what was held goes.
    Interface** Out() {
        Reset();
        return &object_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    void Reset() {
        if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
    }

private:
    Interface* object_ = nullptr;
};

// Initialises OLE on the calling (user-interface) thread at the first call; it
// stays initialised until EndOle. Pictures, the codecs and the shell's
// dialogs need it.
void EnsureOleInitialized();

// For a COM object kept for the program's life (the codecs' factory): how to
// release it. EndOle runs these, the latest first, before OLE itself ends:
// an object released after OleUninitialize may call into an unloaded DLL.
void ReleaseBeforeOleEnds(std::function<void()> release);

// The end of COM for the program, in this order: the objects kept for its
// life, then OleUninitialize where OLE was started. The entry point calls it
// once its window is gone; later calls do nothing.
void EndOle();

}  // namespace scrimble::win32
