// A Services for unit tests: answers with values the test sets beforehand and
// records every request, so a test can check what the code asked of the system
// and in which order. All members are public; arrange them before the call,
// inspect them after it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/services.h"

namespace scrimble::test {

class FakeServices : public Services {
public:
    // --- Answers, set by the test -------------------------------------------
    long long nowSeconds = 0;           // NowSeconds() returns this
    long long secondsPerDoEvents = 0;   // the clock moves on by this after each DoEvents()
    long long secondsPerIdleWait = 1;   // and by this after each IdleWait(), so delays end
    ScreenTwips screen{1024 * 15.0f, 768 * 15.0f, 15.0f, 15.0f};
    NumberLocale locale{};
    int keyboardSubtype = 0;            // KeyboardSubtype() returns this
    std::optional<std::wstring> folderChoice;  // BrowseForFolder() returns this
    bool anotherInstanceRunning = false;
    bool clipboardBusy = false;         // ClipboardClear/SetPicture throw ClipboardBusy
    // SavePictureAsBmp throws this instead of writing, when set.
    std::optional<RuntimeError> saveError;
    // SavePictureAsBmp writes these bytes to the path (so FileLength finds the
    // file); set writeSavedFiles to false to record only.
    std::string savedFileBytes = "BM scrimble test picture";
    bool writeSavedFiles = true;
    // FileLength() answers this when set, instead of measuring the real file.
    std::optional<long long> fileLength;
    // Runs inside SavePictureAsBmp() before anything is written, e.g. to look
    // at the window at the moment of saving.
    std::function<void(const std::wstring& path)> onSavePicture;
    // Runs inside DoEvents(), e.g. to deliver a click while a delay waits.
    std::function<void()> onDoEvents;

    // --- Records ------------------------------------------------------------
    // Name of every call in order: "DoEvents", "IdleWait", "NowSeconds",
    // "WaitForScreenUpdate", "Screen", "Locale", "ClipboardClear",
    // "ClipboardSetPicture", "MessageBox", "SavePictureAsBmp", "FileLength",
    // "KeyboardSubtype", "BrowseForFolder", "ShellOpen",
    // "AnotherInstanceRunning", "EndProgram".
    std::vector<std::string> calls;
    std::vector<std::wstring> messageBoxes;
    int doEventsCount = 0;
    int idleWaitMilliseconds = 0;       // total asked for
    int clipboardClears = 0;
    std::vector<PicturePtr> clipboardPictures;  // every picture put on the clipboard
    std::vector<std::pair<std::wstring, PicturePtr>> savedPictures;  // path, picture
    std::vector<std::wstring> fileLengthPaths;  // every path FileLength() was asked about
    int keyboardQueries = 0;
    std::vector<std::wstring> browseTitles;
    std::vector<NativeHandle> browseOwners;
    std::vector<std::wstring> shellOpened;
    int endProgramCount = 0;

    // How many times a call of that name was made.
    int CallCount(const std::string& name) const;

    // --- Services -----------------------------------------------------------
    void DoEvents() override;
    void IdleWait(int milliseconds) override;
    long long NowSeconds() override;
    void WaitForScreenUpdate() override;
    ScreenTwips Screen() override;
    NumberLocale Locale() override;
    void ClipboardClear() override;
    void ClipboardSetPicture(const PicturePtr& picture) override;
    void MessageBox(const std::wstring& text) override;
    void SavePictureAsBmp(const PicturePtr& picture, const std::wstring& path) override;
    long long FileLength(const std::wstring& path) override;  // fileLength, or the real file's
    int KeyboardSubtype() override;
    std::optional<std::wstring> BrowseForFolder(NativeHandle owner, const std::wstring& title) override;
    void ShellOpen(const std::wstring& target) override;
    bool AnotherInstanceRunning() override;
    void EndProgram() override;  // recorded only: the test goes on
};

}  // namespace scrimble::test
