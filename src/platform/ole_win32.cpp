#include "platform/ole_win32.h"

#include <windows.h>
#include <ole2.h>

#include "platform/win32_handles.h"

namespace scrimble::win32 {

namespace {

class OleSession {
public:
    OleSession() {
        const auto initialize = SystemFunction<decltype(&::OleInitialize)>(L"ole32.dll", "OleInitialize");
        ok_ = initialize != nullptr && SUCCEEDED(initialize(nullptr));
    }
    ~OleSession() {
        const auto uninitialize = SystemFunction<decltype(&::OleUninitialize)>(L"ole32.dll", "OleUninitialize");
        if (ok_ && uninitialize != nullptr) uninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool ok_ = false;
};

}  // namespace

void EnsureOleInitialized() { static OleSession session; }

}  // namespace scrimble::win32
