// What the window's code needs of the system besides its controls. Windows
// provides the real one; tests provide fakes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "forms/form.h"
#include "imaging/picture.h"
#include "imaging/picture_format.h"
#include "platform/conversions.h"
#include "platform/file_io.h"
#include "platform/hotkey.h"
#include "platform/rect.h"
#include "platform/twips.h"

// windows.h maps MessageBox to MessageBoxW; the method below keeps its own name.
#ifdef MessageBox
#undef MessageBox
#endif

namespace scrimble {

class Services {
public:
    virtual ~Services() = default;

    // Processes the thread's pending window messages once and returns when the
    // queue is empty.
    virtual void DoEvents() = 0;
    // Blocks until a message arrives or the timeout passes; used between the
    // passes of a delay so that it does not spin.
    virtual void IdleWait(int milliseconds) = 0;
    // Milliseconds on a steady clock: never set back or forward, whatever
    // happens to the time of day (GetTickCount64).
    virtual long long TickMilliseconds() = 0;
    // Returns once the screen no longer shows windows that were just hidden.
    virtual void WaitForScreenUpdate() = 0;

    virtual ScreenTwips Screen() = 0;
    // The virtual screen in physical pixels: the rectangle around every monitor.
    virtual Rect32 VirtualScreen() = 0;
    // Shows the frozen screen (a capture of the whole virtual screen) over
    // every monitor and lets the user pick a region of it: a drag, or a click
    // on a window. The rectangle in virtual-screen pixels; nullopt when
    // cancelled or empty.
    virtual std::optional<Rect32> SelectRegion(const PicturePtr& frozen, const Rect32& screen) = 0;
    virtual NumberLocale Locale() = 0;

    // Replaces what the clipboard holds by its own copy of the picture as a
    // bitmap (with its palette where it has one), in one opening of the
    // clipboard. The copies are made first: a failure before the clipboard
    // is emptied (ClipboardRefused, or ClipboardBusy when another program
    // keeps the clipboard) leaves it as it was; one after (the system
    // refuses the data) leaves it empty, and says so (ClipboardEmptied).
    virtual void ClipboardSetPicture(const PicturePtr& picture) = 0;

    // Modal message box with an OK button and the application title, owned
    // by the window and brought to the front (also after a delay, when
    // another program has the foreground).
    virtual void MessageBox(const std::wstring& text) = 0;

    // Writes the picture as a file of that format. A file of that name is
    // replaced only once the new one is complete, or kept: then, where the
    // name is taken (by any file or folder, in any case of letters), the
    // result is false and nothing is written. Throws FileWriteError, or
    // PictureEncodeError when the picture cannot be put in that format.
    virtual bool SavePicture(const PicturePtr& picture, const std::wstring& path, PictureFormat format,
                             ExistingFile existing) = 0;
    // The system's Save As dialog, opened in `folder` with `name` proposed and
    // the types PNG (first), JPEG and BMP. The name as the user typed it:
    // its extension decides the format where it is one of these, else the
    // chosen type does and adds its extension (SaveAsTargetFor). nullopt
    // when cancelled.
    struct SaveAsChoice {
        std::wstring path;
        PictureFormat format;
    };
    virtual std::optional<SaveAsChoice> ChooseSaveAs(NativeHandle owner, const std::wstring& folder,
                                                     const std::wstring& name) = 0;
    // The system's print dialog, then the picture on one page, fitted to the
    // printable area and centred, the job named `documentName`. False when
    // cancelled, in the dialog or in the printer's own prompt (a PDF
    // printer's file name); PrintError when there is no printer or it fails.
    virtual bool PrintPicture(NativeHandle owner, const PicturePtr& picture, const std::wstring& documentName) = 0;

    // Length of a file in bytes; throws FileNotFoundError.
    virtual long long FileLength(const std::wstring& path) = 0;
    // Deletes what writes cut short left in the folder ("" = the current
    // one): only our own scratch files, only ones nobody is writing.
    virtual void RemoveStaleScratchFiles(const std::wstring& folder) = 0;

    // The keyboard subtype (GetKeyboardType(1)).
    virtual int KeyboardSubtype() = 0;
    // The user's own folders, as the shell names them; nullopt where it
    // names none.
    enum class KnownFolder { Pictures, Documents };
    virtual std::optional<std::wstring> KnownFolderPath(KnownFolder folder) = 0;

    // The shell's folder browser; nullopt when cancelled or when the choice has
    // no file-system path.
    virtual std::optional<std::wstring> BrowseForFolder(NativeHandle owner, const std::wstring& title) = 0;
    // Whether the path names a folder that exists (not a file, not an address).
    virtual bool IsExistingFolder(const std::wstring& path) = 0;
    // Opens a folder in the file manager, in a way that runs no file should
    // one have taken the folder's place since it was checked. Throws
    // ShellOpenError when the shell cannot.
    virtual void OpenFolder(const std::wstring& folder) = 0;
    // The system's short (8.3) form of an existing path; nullopt when it has
    // none to give.
    virtual std::optional<std::wstring> ShortPath(const std::wstring& path) = 0;
    // Opens a folder or an address with the shell's "open" verb; throws
    // ShellOpenError when the shell cannot.
    virtual void ShellOpen(const std::wstring& target) = 0;

    // System-wide keys, registered on the window; `id` comes back with each
    // press (Form::Hotkey). A key that cannot be had says why.
    enum class KeyRefusal { None, InUse, Other };
    virtual KeyRefusal RegisterHotkey(int id, const Hotkey& key) = 0;
    virtual void UnregisterHotkey(int id) = 0;
    // Whether Windows gives PrtSc to the Snipping Tool (Windows 11's setting,
    // HKCU\Control Panel\Keyboard, PrintScreenKeyForSnippingEnabled = 1).
    virtual bool SnippingToolTakesPrintScreen() = 0;

    // The notification-area icon, shown for the rest of the run (and again
    // after Explorer restarts), and a short message beside it.
    virtual void ShowNotifyIcon() = 0;
    virtual void NotifyBalloon(const std::wstring& text) = 0;
    // A popup menu at a point of the screen, for the notification-area icon:
    // the id of the entry chosen, 0 when it was closed without a choice.
    using MenuEntry = forms::MenuEntry;
    virtual int PopupMenu(const std::vector<MenuEntry>& entries, int x, int y) = 0;
    // The window in front other than ours and the shell's (the task bar and
    // its notification area, which a click on the icon brings to the
    // front): what "the active window" means from the icon's menu. 0: none.
    virtual NativeHandle FrontWindowOfOthers() = 0;

    // Whether another copy of the program is running.
    virtual bool AnotherInstanceRunning() = 0;
    // Ends the program at once.
    virtual void EndProgram() = 0;
    // Whether the program has been told to end (by EndProgram, also from a
    // handler that ran during a message pass): a command under way stops.
    virtual bool Ending() = 0;
};

}  // namespace scrimble
