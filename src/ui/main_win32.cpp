// Scrimble's entry point: builds the main window from its definition, connects
// its code to the real system, loads it and runs the message loop.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "capture/gdi_api_win32.h"
#include "capture/mdlCapture.h"
#include "forms/dialog_window_win32.h"
#include "forms/main_window_win32.h"
#include "platform/errors.h"
#include "platform/ole_win32.h"
#include "platform/win32_handles.h"
#include "services/services_win32.h"
#include "ui/frmMain.h"
#include "ui/frmMain_layout.h"
#include "ui/frmOptions.h"
#include "ui/frmOptions_layout.h"
#include "ui/resource_ids.h"

namespace {

// DLLs loaded from here on, by the program or by the system on its behalf,
// come from the system folder only, never from the program's folder (often
// a downloads folder) or the current one. Windows 7 and Vista without their
// loader update lack the call; there at least the current folder drops out.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = scrimble::win32::SystemFunction<SetDefaultDllDirectoriesFn>(
        L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

// The options dialog, modal over the window, at its DPI.
std::optional<scrimble::Options> RunOptionsDialog(HINSTANCE instance, scrimble::win32::MainWindow& window,
                                                  scrimble::Services& services, const scrimble::Options& current,
                                                  const std::array<bool, scrimble::kKeyCommandCount>& refused) {
    using namespace scrimble;
    const win32::DialogDefinition definition{ui::kOptionsCaption,
                                             ui::kOptionsWidthTwips,
                                             ui::kOptionsHeightTwips,
                                             ui::kFirstOptionsControlId,
                                             &ui::OptionsLayout(),
                                             static_cast<int>(ui::OptionsControl::cmdOK),
                                             static_cast<int>(ui::OptionsControl::cmdCancel)};
    auto owned = std::make_unique<win32::DialogWindow>(instance, window.hwnd(), definition, window.Dpi(),
                                                       [&window](const std::function<void()>& fn) { window.RunEvent(fn); });
    win32::DialogWindow& dialog = *owned;
    forms::Form form(std::move(owned));
    dialog.CreateControls(form);
    frmOptions options(form, services, current, refused, kKeyCommandCount);
    dialog.RunModal();
    return options.Result();
}

int Run(HINSTANCE instance) {
    using namespace scrimble;
    const win32::WindowDefinition definition{ui::kWindowCaption, ui::kClientWidthTwips, ui::kClientHeightTwips,
                                             IDI_APP, ui::kFirstControlId, &ui::MainWindowLayout()};
    auto ownedWindow = std::make_unique<win32::MainWindow>(instance, definition);
    win32::MainWindow& window = *ownedWindow;
    forms::Form form(std::move(ownedWindow));
    window.CreateControls(form);

    win32::WindowsServices services(window);
    win32::RealGdiApi gdi;
    CaptureSources capture{
        [&](bool cursor) { return mdlCapture::CaptureFullScreen(gdi, services.Screen(), cursor); },
        [&](bool cursor) { return mdlCapture::CaptureForegroundWindow(gdi, cursor); },
        [&](NativeHandle target, bool cursor) { return mdlCapture::CaptureWindow(gdi, target, cursor); },
        [&](const PicturePtr& picture, const Rect32& part) { return mdlCapture::CropPicture(gdi, *picture, part); },
        [&](const Rect32& region, bool cursor) { return mdlCapture::CaptureRegion(gdi, region, cursor); },
    };
    frmMain main(form, services, capture);
    main.positionVisible = [&](float left, float top) { return services.PositionOnScreen(left, top); };
    main.optionsDialog = [&](const Options& current, const std::array<bool, kKeyCommandCount>& refused) {
        return RunOptionsDialog(instance, window, services, current, refused);
    };

    window.RunEvent([&] { form.Load(); });
    if (window.Ending()) return window.ExitCode();
    window.ShowWithFocus(reinterpret_cast<HWND>(main.cmdFullScreen.Handle()));
    return window.RunMessageLoop();
}

// COM ends last, after everything that used it: the window and its picture
// are gone once Run returns.
class ComEndsLast {
public:
    ComEndsLast() = default;
    ~ComEndsLast() { scrimble::win32::EndOle(); }
    ComEndsLast(const ComEndsLast&) = delete;
    ComEndsLast& operator=(const ComEndsLast&) = delete;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    // A failure while the window is made (or one that escapes its handlers)
    // is told once everything built so far is gone; the program then ends
    // with an exit code that says so.
    int exitCode = 0;
    const std::optional<std::wstring> failure = scrimble::FailureMessage([&] {
        const ComEndsLast com;
        exitCode = Run(instance);
    });
    if (!failure) return exitCode;
    ::MessageBoxW(nullptr, failure->c_str(), scrimble::win32::kApplicationTitle, MB_OK | MB_ICONERROR);
    return 1;
}
