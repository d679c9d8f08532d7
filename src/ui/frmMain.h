// The main window's code: its event handlers and public methods. The controls
// hold what the user sees and the settings file keeps; this class holds
// references to them and the little a run adds (the last file's name, whether
// the settings can be kept, a focus on its way back).
#pragma once

#include <cstdint>
#include <array>
#include <functional>
#include <optional>

#include "forms/form.h"
#include "settings/mdlIniFile.h"
#include "settings/options.h"
#include "services/services.h"

namespace scrimble {

// Where captures come from: the capture engine on Windows, fakes in tests.
// `withCursor`: the mouse cursor drawn in, where the options ask for it.
struct CaptureSources {
    std::function<PicturePtr(bool withCursor)> fullScreen;
    std::function<PicturePtr(bool withCursor)> foregroundWindow;
    // A window named by its handle (from the notification area's menu).
    std::function<PicturePtr(NativeHandle window, bool withCursor)> window;
    // A part of a picture (its own pixels) as a picture: the region cut from
    // the frozen screen.
    std::function<PicturePtr(const PicturePtr& picture, const Rect32& part)> crop;
    // A rectangle of the virtual screen, taken anew.
    std::function<PicturePtr(const Rect32& region, bool withCursor)> region;
};

// The options dialog, run modally: the options chosen, or nullopt when it
// was cancelled. `refused`: the keys that could not be had, to be marked.
using OptionsDialog =
    std::function<std::optional<Options>(const Options& current, const std::array<bool, kKeyCommandCount>& refused)>;

// How a capture command came; its steps (mainHide, Capture, mainShow) read it.
struct CaptureStart {
    // Started by a system-wide key or the icon's menu while another program
    // is in front, which stays in front.
    bool fromElsewhere = false;
    // The window a kind-2 capture takes where it is not the foreground one.
    NativeHandle window = 0;
    // The icon's menu was on the screen until a moment ago.
    bool afterMenu = false;
};

class frmMain {
public:
    frmMain(forms::Form& form, Services& services, CaptureSources capture);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    forms::Form& Me;
    Services& services;

    forms::Control& cmdHome;
    forms::Control& cmdPrint;
    forms::Control& chkAutoSave;
    forms::Control& cmdExplorer;
    forms::Control& chkClip;
    forms::Control& fraAutoSave;
    forms::Control& txtFile;
    forms::Control& txtNumber;
    forms::Control& txtUp;
    forms::Control& cmdPath;
    forms::Control& lblPath;
    forms::Control& lblSvPath;
    forms::Control& lblFile;
    forms::Control& lblNumber;
    forms::Control& lblUp;
    forms::Control& fraTimer;
    forms::Control& cboTime;
    forms::Control& cboTimer;
    forms::Control& Label1;
    forms::Control& StatusBar1;
    forms::Control& cmdSave;
    forms::Control& cmdActiveWindow;
    forms::Control& cmdFullScreen;
    forms::Control& imgPicArea;
    forms::Control& cboFormat;
    forms::Control& lblFormat;
    forms::Control& cmdRegion;

    // The capture kinds (intCaptureKind).
    static constexpr int16_t kCaptureFullScreen = 1;
    static constexpr int16_t kCaptureForegroundWindow = 2;
    static constexpr int16_t kCaptureRegion = 3;
    static constexpr int16_t kCaptureLastRegion = 4;

    // Window events.
    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int& keyCode, int shift);

    // Capture commands and their steps.
    void cmdFullScreen_Click();
    void cmdActiveWindow_Click();
    // A region picked on the frozen screen; the last region again.
    void cmdRegion_Click();
    void LastRegion_Click();
    void mainHide();
    void Wait();
    void Capture(const int16_t& intCaptureKind);
    void mainShow();

    // Capturing from anywhere: the system-wide keys, the notification-area
    // icon and its menu, the options (notify_commands.cpp).
    void Form_Shown();
    void Form_Minimized();
    void Form_Hotkey(int id);
    void NotifyIcon_Open();
    void NotifyIcon_Menu(int x, int y);
    void Form_SystemMenu(int id);
    void ShowOptions();
    void AddOptionsToSystemMenu();
    // Registers the keys the options turn on (each one afresh) and returns
    // what to tell of those that could not be had; "" when every one was.
    std::wstring RegisterHotkeys();
    OptionsDialog optionsDialog;

    // Numbered auto-save; never writes over a file the series did not name
    // for replacing (see capture_save.cpp).
    void CaptureSave();
    // The format auto-save writes: what cboFormat shows.
    PictureFormat AutoSaveFormat() const;
    void chkAutoSave_Click();

    // Small rules of the window.
    void cboTimer_Click();
    void txtFile_GotFocus();
    void txtNumber_GotFocus();
    void txtUp_GotFocus();
    void txtNumber_LostFocus();
    void txtUp_LostFocus();

    // The picture in the preview: Save As and Print, usable once there is one.
    void cmdSave_Click();
    void cmdPrint_Click();
    void UpdatePictureCommands();

    // Folder choice and shell launches.
    void cmdPath_Click();
    void cmdExplorer_Click();
    void cmdHome_Click();

    // The system-wide keys, the notification area and the cursor, as the
    // settings file and the options dialog give them.
    Options options;

    // Settings file name, relative to the current directory.
    std::wstring settingsPath = L"Scrimble.ini";
    // Whether a saved window position would show on a monitor; unset accepts all.
    std::function<bool(float leftTwips, float topTwips)> positionVisible;

private:
    void WireEvents();
    void RunCaptureCommand(int16_t kind, int waitAboveListIndex, CaptureStart start = {});
    // Shows the window again, saves what was captured (`captured`: only the
    // clipboard failed) and tells the message.
    void EndFailedCapture(const std::wstring& message, bool captured);
    // The folder CaptureSave writes to: the lblPath caption ending in "\".
    std::wstring SaveFolder() const;
    // Writes the settings file now (after a save: the next number survives
    // a kill; after the options); quiet where it cannot.
    void KeepSettings();
    // Where the window is not on the screen (minimised, in the notification
    // area), what the status bar says goes to the icon's balloon too.
    void TellAway(const std::wstring& text);
    // " ： 1,234 bytes" for a file just saved; "" when its size cannot be read.
    std::wstring SizeText(const std::wstring& path, const NumberLocale& locale);
    static void SelectToEnd(forms::Control& box);
    void RequireNumber(forms::Control& box);

    // The name the picture would have as a numbered file, without extension.
    std::wstring PictureName() const;

    // The controls whose values the settings file keeps.
    mdlIniFile::SettingControls settings_;
    // Whether the settings file could be written at the start: where it
    // could not, no save tries again.
    bool settingsKept_ = true;
    CaptureSources capture_;
    // The command under way: how it came, whether the window showed when it
    // hid it, and whether the user cancelled the region (nothing changes).
    CaptureStart start_;
    bool shownBeforeCapture_ = true;
    bool captureCancelled_ = false;
    // The keys the last registration could not have.
    std::array<bool, kKeyCommandCount> keysRefused_{};
    // The last file auto-save wrote, without its extension: the name Save As
    // and printing give the picture. Empty before the first.
    std::wstring lastSavedName_;
    // The box the focus is being handed back to, so that the other number
    // box's focus-lost rule does not hand it back again. Cleared when that
    // box gets the focus, and wherever the request is dropped: the box
    // disabled, the window hidden.
    forms::Control* returningFocusTo_ = nullptr;
};

// The home page that cmdHome and F12 open.
extern const wchar_t* const kHomePageAddress;

}  // namespace scrimble
