#include "imaging/wic_encoder_win32.h"

#include <ole2.h>
#include <wincodec.h>

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
    static ComPtr<IWICImagingFactory> factory;  // one for the program's life, on its one thread
    if (!factory) {
        if (create == nullptr) check(E_NOINTERFACE);
        win32::EnsureOleInitialized();
        check(create(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     factory.OutVoid()));
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

    ComPtr<IWICBitmap> source;
    check(factory->CreateBitmapFromHBITMAP(bitmap, palette, WICBitmapIgnoreAlpha, source.Out()));
    // A 256-colour capture stays one: its palette and indices go into the PNG.
    const bool indexed = palette != nullptr && format == PictureFormat::Png;
    WICPixelFormatGUID pixelFormat = indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
    ComPtr<IWICPalette> colours;
    if (indexed) {
        // The picture's own palette, entry for entry, as the BMP keeps it.
        PALETTEENTRY entries[256] = {};
        const UINT count = ::GetPaletteEntries(palette, 0, 256, entries);
        if (count == 0) check(E_FAIL);
        WICColor table[256] = {};
        for (UINT i = 0; i < count; ++i) {
            table[i] = 0xFF000000u | (WICColor{entries[i].peRed} << 16) | (WICColor{entries[i].peGreen} << 8) |
                       entries[i].peBlue;
        }
        check(factory->CreatePalette(colours.Out()));
        check(colours->InitializeCustom(table, count));
    }
    ComPtr<IWICFormatConverter> pixels;
    check(factory->CreateFormatConverter(pixels.Out()));
    check(pixels->Initialize(source.Get(), pixelFormat, WICBitmapDitherTypeNone, colours.Get(), 0.0,
                             WICBitmapPaletteTypeCustom));

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
