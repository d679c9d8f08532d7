// The main window over in-memory controls and fake services, as the unit tests
// of its handlers use it. The capture sources hand out fresh fake pictures and
// note each capture in the services' call record ("CaptureFullScreen",
// "CaptureForegroundWindow") so that tests can check the order of steps.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "forms/form_builder.h"
#include "support/fake_services.h"
#include "ui/frmMain.h"
#include "ui/frmMain_layout.h"

namespace scrimble::test {

class MainWindowHarness {
public:
    MainWindowHarness()
        : window(memory.form(), services,
                 CaptureSources{[this](bool cursor) { return Take("CaptureFullScreen", fullScreen, cursor); },
                                [this](bool cursor) { return Take("CaptureForegroundWindow", foregroundWindow, cursor); },
                                [this](NativeHandle window, bool cursor) {
                                    windowsCaptured.push_back(window);
                                    return Take("CaptureWindow", foregroundWindow, cursor);
                                },
                                [this](const PicturePtr& picture, const Rect32& part) {
                                    crops.emplace_back(picture, part);
                                    services.calls.push_back("CropPicture");
                                    return NewPicture();
                                },
                                [this](const Rect32& region, bool cursor) {
                                    regionsCaptured.push_back(region);
                                    return Take("CaptureRegion", fullScreen, cursor);
                                }}) {
        // A test that forgets to point the settings elsewhere writes nowhere.
        window.settingsPath = L"/nonexistent-scrimble-test-dir/Scrimble.ini";
        memory.form().SetVisible(true);  // as after start-up
        OnEachPass(nullptr);
    }
    MainWindowHarness(const MainWindowHarness&) = delete;
    MainWindowHarness& operator=(const MainWindowHarness&) = delete;

    // Runs step inside every DoEvents(), after the posted focus requests that
    // a message pass carries out. A delay that never ends fails the test
    // instead of hanging it.
    void OnEachPass(std::function<void()> step) {
        services.onDoEvents = [this, step = std::move(step)] {
            memory.focus().DeliverPosted();
            if (step) step();
            if (services.doEventsCount > 10000) throw std::runtime_error("the delay does not end");
        };
    }

    PicturePtr NewPicture() {
        return std::make_shared<FakePicture>(++lastBitmap, 0, [count = picturesDestroyed] { ++*count; });
    }

    FakeServices services;
    std::shared_ptr<int> picturesDestroyed = std::make_shared<int>(0);  // of NewPicture()'s
    std::vector<bool> visibleAtCapture;  // whether the window showed at each capture
    std::vector<bool> cursorAtCapture;   // whether each capture was asked for the cursor
    std::vector<NativeHandle> windowsCaptured;  // the windows named to CaptureWindow
    std::vector<std::pair<PicturePtr, Rect32>> crops;  // what was cut from which picture
    std::vector<Rect32> regionsCaptured;              // the rectangles taken anew
    // What the capture engine does; a test may replace either (to throw, say).
    std::function<PicturePtr()> fullScreen = [this] { return NewPicture(); };
    std::function<PicturePtr()> foregroundWindow = [this] { return NewPicture(); };
    NativeHandle lastBitmap = 0x5000;
    forms::MemoryForm memory{ui::MainWindowLayout()};
    frmMain window;  // last: it takes the controls and services above

private:
    PicturePtr Take(const char* name, const std::function<PicturePtr()>& source, bool cursor) {
        services.calls.push_back(name);
        visibleAtCapture.push_back(memory.form().Visible());
        cursorAtCapture.push_back(cursor);
        return source();
    }
};

}  // namespace scrimble::test
