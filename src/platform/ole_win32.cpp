#include "platform/ole_win32.h"

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "platform/win32_handles.h"

namespace scrimble::win32 {

namespace {

class OleSession {
public:
    OleSession() {
        const auto initialize = SystemFunction<decltype(&::OleInitialize)>(L"ole32.dll", "OleInitialize");
        ok_ = initialize != nullptr && SUCCEEDED(initialize(nullptr));
    }
    // A program that ends without EndOle still ends COM in its order.
    ~OleSession() { End(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    void Keep(std::function<void()> release) { releases_.push_back(std::move(release)); }
    void End() {
        while (!releases_.empty()) {
            const std::function<void()> release = std::move(releases_.back());
            releases_.pop_back();
            release();
        }
        const auto uninitialize = SystemFunction<decltype(&::OleUninitialize)>(L"ole32.dll", "OleUninitialize");
        if (ok_ && uninitialize != nullptr) uninitialize();
        ok_ = false;
    }

private:
    bool ok_ = false;
    std::vector<std::function<void()>> releases_;
};

// Made at the first use of OLE, not at start: the window shows sooner.
OleSession* session = nullptr;

OleSession& Session() {
    static OleSession made;
    session = &made;
    return made;
}

}  // namespace

void EnsureOleInitialized() { Session(); }

void ReleaseBeforeOleEnds(std::function<void()> release) { Session().Keep(std::move(release)); }

void EndOle() {
    if (session != nullptr) session->End();
}

}  // namespace scrimble::win32
