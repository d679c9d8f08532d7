#include "platform/errors.h"

#include <new>
#include <utility>

namespace scrimble {

RuntimeError::RuntimeError(ErrorCode code, std::wstring description)
    : code_(code), description_(std::move(description)) {}

std::wstring RuntimeError::MessageText() const {
    return std::to_wstring(Number()) + L" : " + description_;
}

RuntimeError OverflowError() {
    return {ErrorCode::Overflow, L"オーバーフローしました。"};
}

RuntimeError TypeMismatchError() {
    return {ErrorCode::TypeMismatch, L"数値ではありません。"};
}

RuntimeError InvalidPropertyValueError() {
    return {ErrorCode::InvalidPropertyValue, L"プロパティの値が不正です。"};
}

RuntimeError FileWriteError(const std::wstring& path, WriteFailure why) {
    const std::wstring what = L"ファイルに書き込めません: " + path;
    switch (why) {
        case WriteFailure::DiskFull: return {ErrorCode::DiskFull, L"ディスクの空き容量が足りないため、" + what};
        case WriteFailure::AccessDenied: return {ErrorCode::PermissionDenied, L"書き込みが許可されていないため、" + what};
        case WriteFailure::ReadOnlyFile: return {ErrorCode::PermissionDenied, L"読み取り専用のため、" + what};
        case WriteFailure::InUse: return {ErrorCode::PermissionDenied, L"他のプログラムが使用中のため、" + what};
        case WriteFailure::FolderInTheWay: return {ErrorCode::FileWriteFailed, L"同じ名前のフォルダがあるため、" + what};
        case WriteFailure::Unknown: break;
    }
    return {ErrorCode::FileWriteFailed, what};
}

ProgramEndingError SettingsWriteError(const RuntimeError& cause) {
    return {cause.Code(), L"設定を保存できませんでした。" + cause.Description()};
}

RuntimeError FileReadError(const std::wstring& path) {
    return {ErrorCode::FileReadFailed, L"ファイルを読み込めません: " + path};
}

RuntimeError FileNotFoundError(const std::wstring& path) {
    return {ErrorCode::FileNotFound, L"ファイルが見つかりません: " + path};
}

RuntimeError FolderNotFoundError(const std::wstring& path) {
    return {ErrorCode::FolderNotFound, L"フォルダが見つかりません: " + path};
}

RuntimeError ReservedFileNameError(const std::wstring& name) {
    return {ErrorCode::BadFileName, L"ファイル名に使えない名前です: " + name};
}

RuntimeError FileNameCharacterError(const std::wstring& name) {
    return {ErrorCode::BadFileName, L"ファイル名に使えない文字が含まれています: " + name};
}

RuntimeError ClipboardBusyError() {
    return {ErrorCode::ClipboardBusy,
            L"画像をクリップボードにコピーできません。他のプログラムがクリップボードを使用中です。"};
}

RuntimeError ClipboardRefusedError() {
    return {ErrorCode::ClipboardRefused, L"画像をクリップボードにコピーできません。"};
}

RuntimeError ClipboardEmptiedError() {
    return {ErrorCode::ClipboardEmptied,
            L"画像をクリップボードにコピーできませんでした。クリップボードは空になっています。"};
}

RuntimeError UnstorableFolderError(const std::wstring& folder) {
    return {ErrorCode::BadFileName, L"設定ファイルに保存できない文字がフォルダ名に含まれています: " + folder};
}

RuntimeError WindowCreationError(const std::wstring& part) {
    return {ErrorCode::WindowCreationFailed, L"ウィンドウを作成できません: " + part};
}

RuntimeError ShellOpenError(const std::wstring& target) {
    return {ErrorCode::ShellOpenFailed, L"開けませんでした: " + target};
}

RuntimeError PrintError(const std::wstring& why) { return {ErrorCode::PrintFailed, L"印刷できませんでした。" + why}; }

std::optional<std::wstring> FailureMessage(const std::function<void()>& fn) {
    try {
        fn();
        return std::nullopt;
    } catch (...) {
        return CurrentFailureMessage();
    }
}

std::wstring CurrentFailureMessage() {
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error.MessageText();
    } catch (const std::bad_alloc&) {
        return RuntimeError(ErrorCode::OutOfMemory, L"メモリが不足しています。").MessageText();
    } catch (...) {
        return RuntimeError(ErrorCode::InternalError, L"予期しないエラーが発生しました。").MessageText();
    }
}

RuntimeError PictureReadError() { return {ErrorCode::PictureEncodeFailed, L"画像を読み取れません。"}; }

RuntimeError PictureEncodeError(const std::wstring& format) {
    return {ErrorCode::PictureEncodeFailed, L"画像を " + format + L" 形式に変換できません。"};
}

}  // namespace scrimble
