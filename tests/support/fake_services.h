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
    long long tickMilliseconds = 0;
    // How far the clock moves in each IdleWait(): what it was asked for (-1),
    // or this many milliseconds (a message that wakes it early, a long stall).
    long long millisecondsPerIdleWait = -1;
    NumberLocale locale{};
    int keyboardSubtype = 0;
    std::map<KnownFolder, std::wstring> knownFolders;  // what KnownFolderPath() knows
    std::optional<std::wstring> folderChoice;  // what BrowseForFolder() returns
    std::vector<std::wstring> existingFolders; // what IsExistingFolder() accepts
    std::map<std::wstring, std::wstring> shortPaths;  // what ShortPath() knows
    bool anotherInstanceRunning = false;
    bool ending = false;                       // set by EndProgram()
    std::optional<RuntimeError> clipboardError; // ClipboardSetPicture() throws it
    std::optional<RuntimeError> shellError;    // OpenFolder() and ShellOpen() throw it
    std::optional<SaveAsChoice> saveAsChoice;  // what ChooseSaveAs() returns (nullopt: cancelled)
    bool printCancelled = false;               // PrintPicture() returns false
    std::optional<RuntimeError> printError;    // PrintPicture() throws it
    std::optional<RuntimeError> saveError;     // SavePicture() throws it, saving nothing
    std::vector<std::wstring> existingFiles;   // taken for SavePicture(Keep), in any case; each save adds its own
    long long fileLength = 0;                  // what FileLength() answers
    bool fileLengthUnreadable = false;         // FileLength() throws FileNotFound
    std::map<std::wstring, KeyRefusal> keyRefusals;  // by HotkeyText: what RegisterHotkey() answers
    bool snippingToolTakesPrintScreen = false;
    std::wstring menuChoice;                   // the entry PopupMenu() picks by its text; "": none
    NativeHandle frontWindowOfOthers = 0;      // what FrontWindowOfOthers() returns
    Rect32 virtualScreen{0, 0, 1024, 768};
    std::optional<Rect32> regionChoice;        // what SelectRegion() returns (nullopt: cancelled)
    std::function<void()> onDoEvents;          // runs inside DoEvents(), e.g. to move the clock
    std::function<void()> onSavePicture;       // runs inside SavePicture(), e.g. to throw std::bad_alloc
    std::function<void()> onChooseSaveAs;      // runs inside ChooseSaveAs()

    // Records: the name of every call in order, and what the calls carried.
    std::vector<std::string> calls;
    int doEventsCount = 0;
    int idleWaitMilliseconds = 0;              // total asked for
    std::vector<std::wstring> messageBoxes;
    std::vector<PicturePtr> clipboardPictures;
    std::vector<std::pair<std::wstring, PicturePtr>> savedPictures;  // path, picture
    std::vector<PictureFormat> savedFormats;
    std::vector<std::wstring> fileLengthPaths;
    std::vector<std::wstring> scratchFoldersCleaned;
    std::vector<std::pair<NativeHandle, std::wstring>> folderBrowsers;  // owner, title
    std::vector<std::wstring> foldersOpened;
    std::vector<std::wstring> shellOpened;
    std::vector<std::pair<std::wstring, std::wstring>> saveAsDialogs;  // folder, proposed name
    std::vector<std::pair<PicturePtr, std::wstring>> printed;          // picture, document name
    std::map<int, Hotkey> hotkeys;             // registered now, by id
    bool notifyIconShown = false;
    std::vector<std::wstring> balloons;
    std::vector<PicturePtr> frozenPictures;    // what SelectRegion() was shown
    std::vector<std::vector<MenuEntry>> menus;  // every menu shown

    int CallCount(const std::string& name) const;

    void DoEvents() override;
    void IdleWait(int milliseconds) override;
    long long TickMilliseconds() override { return Note("TickMilliseconds", tickMilliseconds); }
    void WaitForScreenUpdate() override { Note("WaitForScreenUpdate", 0); }
    ScreenTwips Screen() override { return Note("Screen", ScreenTwips{0, 0, 15360, 11520, 15, 15}); }
    NumberLocale Locale() override { return Note("Locale", locale); }
    Rect32 VirtualScreen() override { return Note("VirtualScreen", virtualScreen); }
    std::optional<Rect32> SelectRegion(const PicturePtr& frozen, const Rect32&) override {
        frozenPictures.push_back(frozen);
        return Note("SelectRegion", regionChoice);
    }
    void ClipboardSetPicture(const PicturePtr& picture) override;
    void MessageBox(const std::wstring& text) override { messageBoxes.push_back(Note("MessageBox", text)); }
    bool SavePicture(const PicturePtr& picture, const std::wstring& path, PictureFormat format,
                     ExistingFile existing) override;
    std::optional<SaveAsChoice> ChooseSaveAs(NativeHandle, const std::wstring& folder, const std::wstring& name) override {
        saveAsDialogs.emplace_back(folder, Note("ChooseSaveAs", name));
        if (onChooseSaveAs) onChooseSaveAs();
        return saveAsChoice;
    }
    bool PrintPicture(NativeHandle owner, const PicturePtr& picture, const std::wstring& documentName) override;
    long long FileLength(const std::wstring& path) override;
    void RemoveStaleScratchFiles(const std::wstring& folder) override {
        scratchFoldersCleaned.push_back(Note("RemoveStaleScratchFiles", folder));
    }
    int KeyboardSubtype() override { return Note("KeyboardSubtype", keyboardSubtype); }
    std::optional<std::wstring> KnownFolderPath(KnownFolder folder) override;
    std::optional<std::wstring> BrowseForFolder(NativeHandle owner, const std::wstring& title) override;
    bool IsExistingFolder(const std::wstring& path) override;
    void OpenFolder(const std::wstring& folder) override;
    std::optional<std::wstring> ShortPath(const std::wstring& path) override;
    void ShellOpen(const std::wstring& target) override;
    KeyRefusal RegisterHotkey(int id, const Hotkey& key) override;
    void UnregisterHotkey(int id) override { hotkeys.erase(Note("UnregisterHotkey", id)); }
    bool SnippingToolTakesPrintScreen() override { return snippingToolTakesPrintScreen; }
    void ShowNotifyIcon() override { notifyIconShown = Note("ShowNotifyIcon", true); }
    void NotifyBalloon(const std::wstring& text) override { balloons.push_back(Note("NotifyBalloon", text)); }
    int PopupMenu(const std::vector<MenuEntry>& entries, int, int) override {
        menus.push_back(entries);
        calls.push_back("PopupMenu");
        for (const MenuEntry& entry : entries) {
            if (!menuChoice.empty() && entry.text == menuChoice && entry.enabled) return entry.id;
        }
        return 0;
    }
    NativeHandle FrontWindowOfOthers() override { return Note("FrontWindowOfOthers", frontWindowOfOthers); }
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
