// Times one full-screen capture saved as a file, at the screen's size: by
// Scrimble's code (CaptureFullScreen, then SavePicture as BMP or as
// PNG: the picture encoded, written to a scratch file, flushed and renamed
// over the target) and, for the BMP, by the floor, the same 24-bit file made
// with BitBlt, GetDIBits and one WriteFile alone. One command a line on
// standard input, one answer a line: the milliseconds it took. The caller
// interleaves the commands (and other programs) and takes the medians.
//
//   capture_bench_win32
//     save <path>      Scrimble's capture + BMP save
//     png <path>       Scrimble's capture + PNG save (WIC)
//     region <path>    Scrimble's capture, an 800 x 600 region cut from it, its BMP save
//     floor <path>     the floor
//     capture          Scrimble's capture alone
//     quit
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "capture/gdi_api_win32.h"
#include "capture/mdlCapture.h"
#include "imaging/bmp_writer_win32.h"
#include "imaging/picture_file_win32.h"
#include "platform/errors.h"

namespace {

using namespace scrimble;

double Milliseconds(const std::function<void()>& step) {
    LARGE_INTEGER frequency, start, stop;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    step();
    ::QueryPerformanceCounter(&stop);
    return static_cast<double>(stop.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

ScreenTwips CurrentScreen() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    const float twipsPerPixel = dpi > 0 ? 1440.0f / static_cast<float>(dpi) : 15.0f;
    ScreenTwips twips;
    twips.width = static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * twipsPerPixel;
    twips.height = static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)) * twipsPerPixel;
    twips.twipsPerPixelX = twipsPerPixel;
    twips.twipsPerPixelY = twipsPerPixel;
    return twips;
}

// The floor: nothing but the calls any screen-to-file capture needs.
bool FloorCaptureAndSave(const std::wstring& path) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const DWORD stride = ((static_cast<DWORD>(width) * 24 + 31) / 32) * 4;
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const DWORD size = offset + stride * static_cast<DWORD>(height);
    std::unique_ptr<std::uint8_t[]> file(new std::uint8_t[size]);

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::SelectObject(memory, previous);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::memcpy(file.get() + sizeof(BITMAPFILEHEADER), &info, sizeof(info));
    const int rows = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), file.get() + offset,
                                 reinterpret_cast<BITMAPINFO*>(file.get() + sizeof(BITMAPFILEHEADER)),
                                 DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfSize = size;
    header.bfOffBits = offset;
    std::memcpy(file.get(), &header, sizeof(header));

    HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(out, file.get(), size, &written, nullptr);
    ::CloseHandle(out);
    return rows == height && ok && written == size;
}

std::wstring Widen(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

int Serve() {
    win32::RealGdiApi gdi;
    const ScreenTwips screen = CurrentScreen();
    PicturePtr picture;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::wstring path = space == std::string::npos ? std::wstring() : Widen(line.substr(space + 1));
        double ms = -1;
        try {
            if (command == "quit") break;
            if (command == "capture") {
                ms = Milliseconds([&] { picture = mdlCapture::CaptureFullScreen(gdi, screen); });
            } else if (command == "save") {
                ms = Milliseconds([&] {
                    picture = mdlCapture::CaptureFullScreen(gdi, screen);  // frees the one before
                    if (!picture) throw RuntimeError(ErrorCode::CaptureFailed, L"no picture");
                    SavePicture(*picture, path, PictureFormat::Bmp);
                });
            } else if (command == "region") {
                ms = Milliseconds([&] {
                    picture = mdlCapture::CaptureFullScreen(gdi, screen);
                    if (!picture) throw RuntimeError(ErrorCode::CaptureFailed, L"no picture");
                    const PicturePtr region = mdlCapture::CropPicture(gdi, *picture, {100, 100, 900, 700});
                    SavePicture(*region, path, PictureFormat::Bmp);
                });
            } else if (command == "png") {
                ms = Milliseconds([&] {
                    picture = mdlCapture::CaptureFullScreen(gdi, screen);
                    if (!picture) throw RuntimeError(ErrorCode::CaptureFailed, L"no picture");
                    SavePicture(*picture, path, PictureFormat::Png);
                });
            } else if (command == "floor") {
                bool ok = true;
                ms = Milliseconds([&] { ok = FloorCaptureAndSave(path); });
                if (!ok) ms = -1;
            }
        } catch (const RuntimeError& error) {
            std::fwprintf(stderr, L"error %d: %ls\n", error.Number(), error.Description().c_str());
        }
        std::printf("%.3f\n", ms);
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int wmain() { return Serve(); }
