// A Services for unit tests: answers with values the test sets beforehand and
// records every request, so a test can check what the code asked of the system
// and in which order. Arrange the members before the call, inspect them after.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "services/services.h"

namespace scrimble::test {

class FakeServices : public Services {
public:
    // Answers, set by the test.
    long long nowSeconds = 0;
    long long secondsPerIdleWait = 1;  // the clock moves on after each IdleWait(), so delays end
    int millisecondsToNextSecond = 700;
    NumberLocale locale{};
    int keyboardSubtype = 0;
    std::optional<std::wstring> folderChoice;  // what BrowseForFolder() returns
    std::vector<std::wstring> existingFolders; // what IsExistingFolder() accepts
    std::map<std::wstring, std::wstring> shortPaths;  // what ShortPath() knows
    bool anotherInstanceRunning = false;
    bool ending = false;                       // set by EndProgram()
    bool clipboardBusy = false;                // both clipboard calls throw ClipboardBusy
    std::optional<RuntimeError> saveError;     // SavePictureAsBmp() throws it, saving nothing
    long long fileLength = 0;                  // what FileLength() answers
    std::function<void()> onDoEvents;          // runs inside DoEvents(), e.g. to move the clock
    std::function<void()> onSavePicture;       // runs inside SavePictureAsBmp()

    // Records: the name of every call in order, and what the calls carried.
    std::vector<std::string> calls;
    int doEventsCount = 0;
    int idleWaitMilliseconds = 0;              // total asked for
    std::vector<std::wstring> messageBoxes;
    std::vector<PicturePtr> clipboardPictures;
    std::vector<std::pair<std::wstring, PicturePtr>> savedPictures;  // path, picture
    std::vector<std::wstring> fileLengthPaths;
    std::vector<std::wstring> scratchFoldersCleaned;
    std::vector<std::pair<NativeHandle, std::wstring>> folderBrowsers;  // owner, title
    std::vector<std::wstring> foldersOpened;
    std::vector<std::wstring> shellOpened;

    int CallCount(const std::string& name) const;

    void DoEvents() override;
    void IdleWait(int milliseconds) override;
    long long NowSeconds() override { return Note("NowSeconds", nowSeconds); }
    int MillisecondsToNextSecond() override { return Note("MillisecondsToNextSecond", millisecondsToNextSecond); }
    void WaitForScreenUpdate() override { Note("WaitForScreenUpdate", 0); }
    ScreenTwips Screen() override { return Note("Screen", ScreenTwips{15360, 11520, 15, 15}); }
    NumberLocale Locale() override { return Note("Locale", locale); }
    void ClipboardClear() override;
    void ClipboardSetPicture(const PicturePtr& picture) override;
    void MessageBox(const std::wstring& text) override { messageBoxes.push_back(Note("MessageBox", text)); }
    void SavePictureAsBmp(const PicturePtr& picture, const std::wstring& path) override;
    long long FileLength(const std::wstring& path) override;
    void RemoveStaleScratchFiles(const std::wstring& folder) override {
        scratchFoldersCleaned.push_back(Note("RemoveStaleScratchFiles", folder));
    }
    int KeyboardSubtype() override { return Note("KeyboardSubtype", keyboardSubtype); }
    std::optional<std::wstring> BrowseForFolder(NativeHandle owner, const std::wstring& title) override;
    bool IsExistingFolder(const std::wstring& path) override;
    void OpenFolder(const std::wstring& folder) override { foldersOpened.push_back(Note("OpenFolder", folder)); }
    std::optional<std::wstring> ShortPath(const std::wstring& path) override;
    void ShellOpen(const std::wstring& target) override { shellOpened.push_back(Note("ShellOpen", target)); }
    bool AnotherInstanceRunning() override { return Note("AnotherInstanceRunning", anotherInstanceRunning); }
    void EndProgram() override { ending = Note("EndProgram", true); }  // the test goes on
    bool Ending() override { return ending; }

private:
    template <typename T>
    T Note(const char* call, T value) {
        calls.push_back(call);
        return value;
    }
};

// A picture with nothing behind it: only its handles and its lifetime matter.
struct FakePicture : Picture {
    FakePicture(NativeHandle bitmap, NativeHandle palette, std::function<void()> onRelease)
        : bitmap(bitmap), palette(palette), onRelease(std::move(onRelease)) {}
    ~FakePicture() override {
        if (onRelease) onRelease();
    }
    NativeHandle Bitmap() const override { return bitmap; }
    NativeHandle Palette() const override { return palette; }
    const NativeHandle bitmap, palette;
    const std::function<void()> onRelease;
};

}  // namespace scrimble::test
