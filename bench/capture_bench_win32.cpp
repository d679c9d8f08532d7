// Times a full-screen capture at the current screen size beside a memcpy of
// the same number of bytes, and capture + BMP save beside a plain write of a
// file of the same size. Median of many runs; the first run is a warm-up.
//
//   capture_bench_win32 [runs]      (default 30)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "capture/gdi_api_win32.h"
#include "capture/mdlCapture.h"
#include "platform/bmp_writer_win32.h"
#include "platform/errors.h"
#include "platform/file_io.h"

namespace {

using namespace scrimble;

double TicksPerMillisecond() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
}

struct Timing {
    double median = 0;
    double best = 0;
};

// Runs `step` once to warm up, then `runs` times, timing each run alone.
Timing Measure(int runs, const std::function<void()>& step) {
    static const double ticksPerMs = TicksPerMillisecond();
    step();
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, stop;
        ::QueryPerformanceCounter(&start);
        step();
        ::QueryPerformanceCounter(&stop);
        times.push_back(static_cast<double>(stop.QuadPart - start.QuadPart) / ticksPerMs);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

void PrintRow(const char* what, const Timing& timing, double bytes) {
    const double mbPerSecond = timing.median > 0 ? bytes / (1024.0 * 1024.0) / (timing.median / 1000.0) : 0;
    std::printf("%-34s %10.3f %10.3f %10.1f\n", what, timing.median, timing.best, mbPerSecond);
}

ScreenTwips CurrentScreen(int& width, int& height, int& bitsPerPixel) {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    bitsPerPixel = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(nullptr, screen);
    width = ::GetSystemMetrics(SM_CXSCREEN);
    height = ::GetSystemMetrics(SM_CYSCREEN);
    const float twipsPerPixel = dpi > 0 ? 1440.0f / static_cast<float>(dpi) : 15.0f;
    ScreenTwips twips;
    twips.width = static_cast<float>(width) * twipsPerPixel;
    twips.height = static_cast<float>(height) * twipsPerPixel;
    twips.twipsPerPixelX = twipsPerPixel;
    twips.twipsPerPixelY = twipsPerPixel;
    return twips;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder, length) + name;
}

// One CreateFile / WriteFile / CloseHandle, nothing else.
void PlainWrite(const std::wstring& path, const std::uint8_t* data, std::size_t size) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw FileWriteError(path);
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != size) throw FileWriteError(path);
}

int Run(int runs) {
    int width = 0, height = 0, bitsPerPixel = 0;
    const ScreenTwips screen = CurrentScreen(width, height, bitsPerPixel);
    const double screenBytes = static_cast<double>(width) * height * (bitsPerPixel / 8.0);
    std::printf("screen %d x %d, %d bits per pixel, %d runs (median, best)\n\n", width, height,
                bitsPerPixel, runs);
    std::printf("%-34s %10s %10s %10s\n", "operation", "median ms", "best ms", "MB/s");

    win32::RealGdiApi gdi;
    PicturePtr probe = mdlCapture::CaptureFullScreen(gdi, screen);
    if (!probe) {
        std::fprintf(stderr, "the screen could not be captured\n");
        return 1;
    }

    std::vector<std::uint8_t> from(static_cast<std::size_t>(screenBytes) + 1, 0x5A);
    std::vector<std::uint8_t> to(from.size());
    volatile std::uint8_t sink = 0;
    PrintRow("memcpy of the screen's bytes", Measure(runs, [&] {
                 std::memcpy(to.data(), from.data(), from.size());
                 sink = sink + to[to.size() / 2];
             }), screenBytes);

    PicturePtr picture;
    PrintRow("CaptureFullScreen", Measure(runs, [&] {
                 picture = mdlCapture::CaptureFullScreen(gdi, screen);  // frees the previous one
             }), screenBytes);

    BmpFileImage image = EncodePictureAsBmp(reinterpret_cast<HBITMAP>(picture->Bitmap()),
                                            reinterpret_cast<HPALETTE>(picture->Palette()));
    const double fileBytes = static_cast<double>(image.size);
    PrintRow("BMP file image (GetDIBits)", Measure(runs, [&] {
                 image = EncodePictureAsBmp(reinterpret_cast<HBITMAP>(picture->Bitmap()),
                                            reinterpret_cast<HPALETTE>(picture->Palette()));
             }), fileBytes);

    const std::wstring plainPath = TempFile(L"scrimble_bench_plain.bmp");
    const std::wstring savePath = TempFile(L"scrimble_bench_save.bmp");
    PrintRow("plain write of the same size", Measure(runs, [&] {
                 PlainWrite(plainPath, image.bytes.get(), image.size);
             }), fileBytes);
    PrintRow("capture + SavePictureAsBmp", Measure(runs, [&] {
                 picture = mdlCapture::CaptureFullScreen(gdi, screen);
                 SavePictureAsBmp(*picture, savePath);
             }), fileBytes);

    std::printf("\nBMP file: %.0f bytes\n", fileBytes);
    ::DeleteFileW(plainPath.c_str());
    ::DeleteFileW(savePath.c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 30;
    if (argc > 1) {
        runs = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
        if (runs < 1 || runs > 100000) {
            std::fprintf(stderr, "usage: capture_bench_win32 [runs 1..100000]\n");
            return 2;
        }
    }
    try {
        return Run(runs);
    } catch (const scrimble::RuntimeError& error) {
        std::fwprintf(stderr, L"error %d: %ls\n", error.Number(), error.Description().c_str());
        return 1;
    }
}
