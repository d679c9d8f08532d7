// The system's Save As and print dialogs, and the printed page. comdlg32,
// the shell and COM are loaded at their first use.
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <iterator>

#include "imaging/bmp_writer_win32.h"
#include "imaging/print_layout.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/ole_win32.h"
#include "services/services_win32.h"

namespace scrimble::win32 {
namespace {

const COMDLG_FILTERSPEC kSaveTypes[] = {
    {L"PNG (*.png)", L"*.png"}, {L"JPEG (*.jpg; *.jpeg)", L"*.jpg;*.jpeg"}, {L"BMP (*.bmp)", L"*.bmp"}};
const PictureFormat kSaveFormats[] = {PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Bmp};

// The folder as the shell parses it: without a closing "\" but for a root.
std::wstring ShellFolder(std::wstring folder) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

// The print dialog's memory blocks, freed when the print is done.
class GlobalBlock {
public:
    explicit GlobalBlock(HGLOBAL& handle) : handle_(handle) {}
    ~GlobalBlock() {
        if (handle_ != nullptr) ::GlobalFree(std::exchange(handle_, nullptr));
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

private:
    HGLOBAL& handle_;
};

// A job that has started ends as printed or as abandoned, never open.
class PrintJob {
public:
    // Started() is false where the user cancelled in the printer's own
    // prompt (Microsoft Print to PDF asks for a file name here).
    PrintJob(HDC dc, const std::wstring& name) : dc_(dc) {
        DOCINFOW document{};
        document.cbSize = sizeof document;
        document.lpszDocName = name.c_str();
        if (::StartDocW(dc_, &document) > 0) return;
        if (::GetLastError() != ERROR_CANCELLED) throw PrintError(L"");
        done_ = true;  // nothing to abandon
        started_ = false;
    }
    ~PrintJob() {
        if (!done_) ::AbortDoc(dc_);
    }
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;
    bool Started() const { return started_; }
    void Finish() {
        done_ = true;
        if (::EndDoc(dc_) <= 0) throw PrintError(L"");
    }

private:
    HDC dc_;
    bool done_ = false;
    bool started_ = true;
};

// Notes the name in the dialog's name box as the user confirms it: after
// Show, Wine's GetFileName gives back the name the dialog was opened with.
class TypedName final : public IFileDialogEvents {
public:
    explicit TypedName(decltype(&::CoTaskMemFree) release) : release_(release) {}
    const std::wstring& Typed() const { return typed_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id != IID_IUnknown && id != IID_IFileDialogEvents) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IFileDialogEvents*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog* dialog) override {
        PWSTR name = nullptr;
        if (SUCCEEDED(dialog->GetFileName(&name)) && name != nullptr) typed_ = name;
        release_(name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
        return E_NOTIMPL;
    }

private:
    ~TypedName() = default;  // only Release deletes it
    decltype(&::CoTaskMemFree) release_;
    ULONG references_ = 1;
    std::wstring typed_;
};

// The folder of the dialog's result with the name as typed: Windows keeps
// "shot.jpg" with the PNG type chosen, Wine's result is "shot.jpg.png".
std::wstring AsTyped(const std::wstring& result, const std::wstring& typed) {
    const std::wstring name = typed.substr(FolderOf(typed).size());
    return name.empty() ? result : FolderOf(result) + name;
}

RuntimeError PrintDialogError(DWORD error) {
    return PrintError(error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES ? L"プリンターが設定されていません。"
                                                                              : L"");
}

}  // namespace

std::optional<Services::SaveAsChoice> WindowsServices::ChooseSaveAs(NativeHandle owner, const std::wstring& folder,
                                                                    const std::wstring& name) {
    static const auto create = SystemFunction<decltype(&::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    static const auto release = SystemFunction<decltype(&::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    static const auto itemOf =
        SystemFunction<decltype(&::SHCreateItemFromParsingName)>(L"shell32.dll", "SHCreateItemFromParsingName");
    const RuntimeError unavailable = WindowCreationError(L"名前を付けて保存");
    if (create == nullptr || release == nullptr) throw unavailable;
    EnsureOleInitialized();
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(create(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog, dialog.OutVoid()))) {
        throw unavailable;
    }
    dialog->SetFileTypes(static_cast<UINT>(std::size(kSaveTypes)), kSaveTypes);
    dialog->SetFileTypeIndex(1);  // one-based: PNG
    dialog->SetDefaultExtension(L"png");
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_OVERWRITEPROMPT | FOS_PATHMUSTEXIST | FOS_NOREADONLYRETURN);
    ComPtr<IShellItem> start;
    if (itemOf != nullptr && SUCCEEDED(itemOf(ShellFolder(folder).c_str(), nullptr, IID_IShellItem, start.OutVoid()))) {
        dialog->SetFolder(start.Get());
    }
    dialog->SetFileName(name.c_str());

    ComPtr<TypedName> typed;
    *typed.Out() = new TypedName(release);
    DWORD cookie = 0;
    const bool watching = SUCCEEDED(dialog->Advise(typed.Get(), &cookie));
    const HRESULT shown = dialog->Show(reinterpret_cast<HWND>(owner));
    if (watching) dialog->Unadvise(cookie);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
    ComPtr<IShellItem> chosen;
    PWSTR path = nullptr;
    if (FAILED(shown) || FAILED(dialog->GetResult(chosen.Out())) ||
        FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        throw unavailable;
    }
    const std::wstring file = AsTyped(path, typed->Typed());
    release(path);
    UINT type = 1;
    dialog->GetFileTypeIndex(&type);
    const SaveAsTarget target =
        SaveAsTargetFor(file, kSaveFormats[std::clamp<UINT>(type, 1, std::size(kSaveFormats)) - 1]);
    return SaveAsChoice{target.path, target.format};
}

bool WindowsServices::PrintPicture(NativeHandle owner, const PicturePtr& picture, const std::wstring& documentName) {
    static const auto printDialog = SystemFunction<decltype(&::PrintDlgW)>(L"comdlg32.dll", "PrintDlgW");
    static const auto dialogError =
        SystemFunction<decltype(&::CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
    if (!picture) return false;
    if (printDialog == nullptr || dialogError == nullptr) throw PrintError(L"");
    // The pixels as a device-independent bitmap, read as a BMP file is.
    const BmpFileImage image = EncodePictureAsBmp(reinterpret_cast<HBITMAP>(picture->Bitmap()),
                                                  reinterpret_cast<HPALETTE>(picture->Palette()));
    const LONG width = image.layout.width;
    const LONG height = image.layout.height;

    PRINTDLGW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = reinterpret_cast<HWND>(owner);
    const GlobalBlock mode(request.hDevMode);
    const GlobalBlock names(request.hDevNames);
    // The default printer's settings first, to propose landscape for a wide
    // picture in the dialog.
    request.Flags = PD_RETURNDEFAULT;
    if (!printDialog(&request)) throw PrintDialogError(dialogError());
    if (auto* devMode = static_cast<DEVMODEW*>(::GlobalLock(request.hDevMode))) {
        devMode->dmFields |= DM_ORIENTATION;
        devMode->dmOrientation = ProposesLandscape(width, height) ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        ::GlobalUnlock(request.hDevMode);
    }
    request.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    request.nCopies = 1;
    if (!printDialog(&request)) {
        const DWORD error = dialogError();
        if (error == 0) return false;  // cancelled
        throw PrintDialogError(error);
    }
    const UniquePrinterDc printer(request.hDC);

    PrintJob job(printer.get(), documentName);
    if (!job.Started()) return false;  // cancelled in the printer's prompt
    if (::StartPage(printer.get()) <= 0) throw PrintError(L"");
    const Rect32 area{0, 0, ::GetDeviceCaps(printer.get(), HORZRES), ::GetDeviceCaps(printer.get(), VERTRES)};
    const Rect32 place = FitCentred(width, height, area, ::GetDeviceCaps(printer.get(), LOGPIXELSX),
                                    ::GetDeviceCaps(printer.get(), LOGPIXELSY));
    // Halftoning scales the capture to the printer's resolution without the
    // jagged lines and lost thin strokes that dropping pixels gives.
    ::SetStretchBltMode(printer.get(), HALFTONE);
    ::SetBrushOrgEx(printer.get(), 0, 0, nullptr);
    if (place.Empty() ||
        ::StretchDIBits(printer.get(), place.left, place.top, place.right - place.left, place.bottom - place.top, 0, 0,
                        width, height, image.Pixels(), image.Info(), DIB_RGB_COLORS, SRCCOPY) == 0 ||
        ::EndPage(printer.get()) <= 0) {
        throw PrintError(L"");
    }
    job.Finish();
    return true;
}

}  // namespace scrimble::win32
