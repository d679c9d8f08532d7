#include "imaging/wic_encoder_win32.h"

#include <ole2.h>
#include <wincodec.h>

#include <cstring>
#include <vector>

#include "imaging/bmp_writer_win32.h"
#include "platform/errors.h"
#include "platform/ole_win32.h"
#include "platform/win32_handles.h"

namespace scrimble {
namespace {

using win32::ComPtr;

constexpr float kJpegQuality = 0.9f;

class Encoding {
public:
    explicit Encoding(PictureFormat format) : format_(format) {}
    // Any failing step fails the whole encoding.
    void operator()(HRESULT result) const {
        if (FAILED(result)) throw PictureEncodeError(NameOf(format_));
    }

private:
    PictureFormat format_;
};

IWICImagingFactory* Factory(const Encoding& check) {
    static const auto create = win32::SystemFunction<decltype(&::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    // One for the program's life, on its one thread, released before OLE ends.
    static ComPtr<IWICImagingFactory> factory;
    if (!factory) {
        if (create == nullptr) check(E_NOINTERFACE);
        win32::EnsureOleInitialized();
        check(create(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     factory.OutVoid()));
        win32::ReleaseBeforeOleEnds([] { factory.Reset(); });
    }
    return factory.Get();
}

std::string StreamBytes(IStream& stream, const Encoding& check) {
    STATSTG status{};
    check(stream.Stat(&status, STATFLAG_NONAME));
    if (status.cbSize.QuadPart > 0x7FFFFFFF) check(E_OUTOFMEMORY);
    std::string bytes(static_cast<size_t>(status.cbSize.QuadPart), '\0');
    check(stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    ULONG read = 0;
    check(stream.Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
    if (read != bytes.size()) check(E_FAIL);
    return bytes;
}

}  // namespace

std::string EncodePictureWithWic(HBITMAP bitmap, HPALETTE palette, PictureFormat format) {
    static const auto streamOnMemory =
        win32::SystemFunction<decltype(&::CreateStreamOnHGlobal)>(L"ole32.dll", "CreateStreamOnHGlobal");
    const Encoding check(format);
    IWICImagingFactory* factory = Factory(check);
    if (streamOnMemory == nullptr) check(E_NOINTERFACE);

    // A 256-colour capture stays one: the PNG gets the very indices and
    // colour table that its BMP file has.
    const bool indexed = palette != nullptr && format == PictureFormat::Png;
    const WICPixelFormatGUID pixelFormat = indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
    ComPtr<IWICPalette> colours;
    ComPtr<IWICBitmapSource> pixels;
    std::vector<BYTE> rows;  // the indexed image, top-down; outlives the encoding
    if (indexed) {
        const BmpFileImage dib = EncodePictureAsBmp(bitmap, palette);
        const BmpLayout& layout = dib.layout;
        const RGBQUAD* table = dib.Colours();
        WICColor entries[256] = {};
        for (int i = 0; i < 256; ++i) {
            entries[i] = 0xFF000000u | (WICColor{table[i].rgbRed} << 16) | (WICColor{table[i].rgbGreen} << 8) |
                         table[i].rgbBlue;
        }
        check(factory->CreatePalette(colours.Out()));
        check(colours->InitializeCustom(entries, 256));
        const auto width = static_cast<size_t>(layout.width);
        rows.resize(width * static_cast<size_t>(layout.height));
        for (std::int32_t y = 0; y < layout.height; ++y) {  // the file keeps them bottom-up
            std::memcpy(rows.data() + static_cast<size_t>(y) * width,
                        dib.Pixels() + static_cast<size_t>(layout.height - 1 - y) * layout.rowStride,
                        width);
        }
        ComPtr<IWICBitmap> image;
        check(factory->CreateBitmapFromMemory(static_cast<UINT>(layout.width), static_cast<UINT>(layout.height),
                                              GUID_WICPixelFormat8bppIndexed, static_cast<UINT>(width),
                                              static_cast<UINT>(rows.size()), rows.data(), image.Out()));
        check(image->SetPalette(colours.Get()));
        check(image->QueryInterface(IID_IWICBitmapSource, pixels.OutVoid()));
    } else {
        ComPtr<IWICBitmap> source;
        check(factory->CreateBitmapFromHBITMAP(bitmap, palette, WICBitmapIgnoreAlpha, source.Out()));
        ComPtr<IWICFormatConverter> converter;
        check(factory->CreateFormatConverter(converter.Out()));
        check(converter->Initialize(source.Get(), pixelFormat, WICBitmapDitherTypeNone, nullptr, 0.0,
                                    WICBitmapPaletteTypeCustom));
        check(converter->QueryInterface(IID_IWICBitmapSource, pixels.OutVoid()));
    }

    ComPtr<IStream> stream;
    check(streamOnMemory(nullptr, TRUE, stream.Out()));
    ComPtr<IWICBitmapEncoder> encoder;
    check(factory->CreateEncoder(format == PictureFormat::Png ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg,
                                 nullptr, encoder.Out()));
    check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    check(encoder->CreateNewFrame(frame.Out(), options.Out()));
    if (format == PictureFormat::Jpeg && options) {
        PROPBAG2 option{};
        option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
        VARIANT value{};
        value.vt = VT_R4;
        value.fltVal = kJpegQuality;
        check(options->Write(1, &option, &value));
    }
    check(frame->Initialize(options.Get()));
    UINT width = 0, height = 0;
    check(pixels->GetSize(&width, &height));
    check(frame->SetSize(width, height));
    WICPixelFormatGUID accepted = pixelFormat;
    check(frame->SetPixelFormat(&accepted));
    if (accepted != pixelFormat) check(E_FAIL);
    if (indexed) check(frame->SetPalette(colours.Get()));
    check(frame->WriteSource(pixels.Get(), nullptr));
    check(frame->Commit());
    check(encoder->Commit());
    return StreamBytes(*stream.Get(), check);
}

}  // namespace scrimble
