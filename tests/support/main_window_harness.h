// The main window over in-memory controls and fake services, as the unit tests
// of its handlers use it. The capture sources hand out fresh fake pictures and
// note each capture in the services' call record ("CaptureFullScreen",
// "CaptureForegroundWindow") so that tests can check the order of steps.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/form_builder.h"
#include "support/fake_picture.h"
#include "support/fake_services.h"
#include "ui/frmMain.h"
#include "ui/frmMain_layout.h"

namespace scrimble::test {

class MainWindowHarness {
public:
    MainWindowHarness()
        : window(memory.form(), services,
                 CaptureSources{[this] { return Take("CaptureFullScreen", fullScreen); },
                                [this] { return Take("CaptureForegroundWindow", foregroundWindow); }}) {
        // Nothing that a test forgets to point elsewhere may land in the
        // working directory: saves are only recorded (and measured as empty
        // files), the settings path leads nowhere.
        services.writeSavedFiles = false;
        services.fileLength = 0;
        window.settingsPath = L"/nonexistent-scrimble-test-dir/Scrimble.ini";
        // As after start-up: the window is on screen.
        memory.form().SetVisible(true);
        OnEachPass(nullptr);
    }

    // Runs step inside every DoEvents(). A delay that never ends fails the
    // test instead of hanging it.
    void OnEachPass(std::function<void()> step) {
        services.onDoEvents = [this, step = std::move(step)] {
            if (step) step();
            if (services.doEventsCount > kMaxPasses) throw std::runtime_error("the delay does not end");
        };
    }
    MainWindowHarness(const MainWindowHarness&) = delete;
    MainWindowHarness& operator=(const MainWindowHarness&) = delete;

    PicturePtr NewPicture() { return MakeFakePicture(++lastBitmap, picturesDestroyed); }

    FakeServices services;
    // How many of the pictures made by NewPicture() have been destroyed.
    std::shared_ptr<int> picturesDestroyed = std::make_shared<int>(0);
    // Whether the window was visible at each capture, in order.
    std::vector<bool> visibleAtCapture;
    // What the capture engine does; a test may replace either (to throw, say).
    std::function<PicturePtr()> fullScreen = [this] { return NewPicture(); };
    std::function<PicturePtr()> foregroundWindow = [this] { return NewPicture(); };
    NativeHandle lastBitmap = 0x5000;
    forms::MemoryForm memory{ui::MainWindowLayout()};
    frmMain window;  // last: it takes the controls and services above

private:
    static constexpr int kMaxPasses = 10000;

    PicturePtr Take(const char* name, const std::function<PicturePtr()>& source) {
        services.calls.push_back(name);
        visibleAtCapture.push_back(memory.form().Visible());
        return source();
    }
};

}  // namespace scrimble::test
