// The system services of the window's code, on Windows.
#pragma once

#include <windows.h>

#include "forms/main_window_win32.h"
#include "platform/win32_handles.h"
#include "services/services.h"

namespace scrimble::win32 {

class WindowsServices : public Services {
public:
    explicit WindowsServices(MainWindow& window);

    void DoEvents() override;
    void IdleWait(int milliseconds) override;
    long long TickMilliseconds() override;
    void WaitForScreenUpdate() override;
    ScreenTwips Screen() override;
    Rect32 VirtualScreen() override;
    std::optional<Rect32> SelectRegion(const PicturePtr& frozen, const Rect32& screen) override;
    NumberLocale Locale() override;
    void ClipboardSetPicture(const PicturePtr& picture) override;
    void MessageBox(const std::wstring& text) override;
    bool SavePicture(const PicturePtr& picture, const std::wstring& path, PictureFormat format,
                     ExistingFile existing) override;
    std::optional<SaveAsChoice> ChooseSaveAs(NativeHandle owner, const std::wstring& folder,
                                             const std::wstring& name) override;
    bool PrintPicture(NativeHandle owner, const PicturePtr& picture, const std::wstring& documentName) override;
    long long FileLength(const std::wstring& path) override;
    void RemoveStaleScratchFiles(const std::wstring& folder) override;
    int KeyboardSubtype() override;
    std::optional<std::wstring> KnownFolderPath(KnownFolder folder) override;
    std::optional<std::wstring> BrowseForFolder(NativeHandle owner, const std::wstring& title) override;
    bool IsExistingFolder(const std::wstring& path) override;
    void OpenFolder(const std::wstring& folder) override;
    std::optional<std::wstring> ShortPath(const std::wstring& path) override;
    void ShellOpen(const std::wstring& target) override;
    KeyRefusal RegisterHotkey(int id, const Hotkey& key) override;
    void UnregisterHotkey(int id) override;
    bool SnippingToolTakesPrintScreen() override;
    void ShowNotifyIcon() override { window_.ShowNotifyIcon(); }
    void NotifyBalloon(const std::wstring& text) override { window_.NotifyBalloon(text); }
    int PopupMenu(const std::vector<MenuEntry>& entries, int x, int y) override {
        return window_.PopupMenu(entries, x, y);
    }
    NativeHandle FrontWindowOfOthers() override;
    bool AnotherInstanceRunning() override;
    void EndProgram() override;
    bool Ending() override { return window_.Ending(); }

    // Whether a window whose top-left corner is at this position (twips)
    // would show on some monitor.
    bool PositionOnScreen(float leftTwips, float topTwips);

private:
    MainWindow& window_;
    UniqueKernelHandle instanceMutex_;
};

}  // namespace scrimble::win32
