// OLE, its pictures and the shell are loaded at their first use, not at start:
// the window shows sooner, and a session that never captures never loads them.
#pragma once

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
// stays initialised until the program ends. Pictures and the shell's folder
// browser need it.
void EnsureOleInitialized();

}  // namespace scrimble::win32
