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

RuntimeError FileWriteError(const std::wstring& path) {
    return {ErrorCode::FileWriteFailed, L"ファイルに書き込めません: " + path};
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
    return {ErrorCode::ClipboardBusy, L"クリップボードを開けません。他のプログラムが使用中です。"};
}

RuntimeError UnstorableFolderError(const std::wstring& folder) {
    return {ErrorCode::BadFileName, L"設定ファイルに保存できない文字がフォルダ名に含まれています: " + folder};
}

RuntimeError WindowCreationError(const std::wstring& part) {
    return {ErrorCode::WindowCreationFailed, L"ウィンドウを作成できません: " + part};
}

std::optional<std::wstring> FailureMessage(const std::function<void()>& fn) {
    try {
        fn();
        return std::nullopt;
    } catch (const RuntimeError& error) {
        return error.MessageText();
    } catch (const std::bad_alloc&) {
        return RuntimeError(ErrorCode::OutOfMemory, L"メモリが不足しています。").MessageText();
    } catch (...) {
        return RuntimeError(ErrorCode::InternalError, L"予期しないエラーが発生しました。").MessageText();
    }
}

RuntimeError PictureEncodeError() {
    return {ErrorCode::PictureEncodeFailed, L"画像を BMP 形式に変換できません。"};
}

}  // namespace scrimble
