// Scrimble's entry point: builds the main window from its definition, connects
// its code to the real system, loads it and runs the message loop.
#include <windows.h>

#include <memory>

#include "capture/gdi_api_win32.h"
#include "capture/mdlCapture.h"
#include "platform/main_window_win32.h"
#include "platform/services_win32.h"
#include "ui/frmMain.h"
#include "ui/frmMain_layout.h"
#include "ui/resource_ids.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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
        [&] { return mdlCapture::CaptureFullScreen(gdi, services.Screen()); },
        [&] { return mdlCapture::CaptureForegroundWindow(gdi); },
    };
    frmMain main(form, services, capture);
    main.positionVisible = [&](float left, float top) { return services.PositionOnScreen(left, top); };

    window.RunEvent([&] { form.Load(); });
    if (window.Ending()) return 0;
    window.ShowWithFocus(reinterpret_cast<HWND>(main.cmdFullScreen.Handle()));
    return window.RunMessageLoop();
}
