// The main window's code: its event handlers and public methods. The controls
// hold what the user sees and the settings file keeps; this class holds
// references to them and the little a run adds (the last file's name, whether
// the settings can be kept, a focus on its way back).
#pragma once

#include <cstdint>
#include <functional>

#include "forms/form.h"
#include "settings/mdlIniFile.h"
#include "services/services.h"

namespace scrimble {

// Where captures come from: the capture engine on Windows, fakes in tests.
struct CaptureSources {
    std::function<PicturePtr()> fullScreen;
    std::function<PicturePtr()> foregroundWindow;
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

    // Window events.
    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int& keyCode, int shift);

    // Capture commands and their steps.
    void cmdFullScreen_Click();
    void cmdActiveWindow_Click();
    void mainHide();
    void Wait();
    void Capture(const int16_t& intCaptureKind);
    void mainShow();

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

    // Settings file name, relative to the current directory.
    std::wstring settingsPath = L"Scrimble.ini";
    // Whether a saved window position would show on a monitor; unset accepts all.
    std::function<bool(float leftTwips, float topTwips)> positionVisible;

private:
    void WireEvents();
    void RunCaptureCommand(int16_t kind, int waitAboveListIndex);
    // Shows the window again, saves what was captured (`captured`: only the
    // clipboard failed) and tells the message.
    void EndFailedCapture(const std::wstring& message, bool captured);
    // The folder CaptureSave writes to: the lblPath caption ending in "\".
    std::wstring SaveFolder() const;
    // Writes the settings file after a save, so that the next number
    // survives a kill; quiet where it cannot.
    void KeepNumber();
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
