#include "picture/wic_codec_win32.h"

#include "platform/win32/handles.h"

#include <objbase.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/whole_file.h"
#include "picture/pixels.h"

namespace kx {
namespace {

// Lets a call fill an owned interface pointer: `Call(..., Out(owner))`. The
// owner takes the pointer at the end of the full expression, so each call
// that fills one stands in a statement of its own.
template <typename I>
class Out {
public:
    explicit Out(UniqueCom<I>& owner) : owner_(owner) {}
    ~Out() { owner_.Reset(raw_); }
    operator I**() { return &raw_; }
    Out(const Out&) = delete;
    Out& operator=(const Out&) = delete;

private:
    UniqueCom<I>& owner_;
    I* raw_ = nullptr;
};

// COM for the codec's thread, stopped again only if the codec started it.
class ComThread {
public:
    ComThread() : started_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComThread() {
        if (started_) ::CoUninitialize();
    }
    ComThread(const ComThread&) = delete;
    ComThread& operator=(const ComThread&) = delete;

private:
    bool started_;
};

class WicCodec : public ImageCodec {
public:
    bool Start() {
        IWICImagingFactory* raw = nullptr;
        HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                        reinterpret_cast<void**>(&raw));
        factory_.Reset(SUCCEEDED(hr) ? raw : nullptr);
        return bool(factory_);
    }

    bool Load(std::u16string_view path, Bitmap& out) override {
        out = {};
        std::wstring wide(path.begin(), path.end());
        UniqueCom<IWICStream> stream;
        if (FAILED(factory_.Get()->CreateStream(Out(stream)))) return false;
        if (FAILED(stream.Get()->InitializeFromFilename(wide.c_str(), GENERIC_READ))) return false;
        UniqueCom<IWICBitmapDecoder> decoder;
        return SystemDecoder(stream.Get(), decoder) && Decode(decoder.Get(), out);
    }

    bool LoadMemory(std::string_view bytes, Bitmap& out) override {
        out = {};
        if (bytes.size() > UINT32_MAX) return false;
        UniqueCom<IStream> stream(::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), UINT(bytes.size())));
        UniqueCom<IWICBitmapDecoder> decoder;
        return stream && SystemDecoder(stream.Get(), decoder) && Decode(decoder.Get(), out);
    }

    bool Resample(const Bitmap& in, int width, int height, Bitmap& out) override {
        if (!IsValidBitmap(in) || width <= 0 || height <= 0 ||
            uint64_t(width) * uint64_t(height) > kMaxBitmapPixels)
            return false;
        UniqueCom<IWICBitmap> source;
        UniqueCom<IWICBitmapScaler> scaler;
        if (!Wrap(in, source)) return false;
        if (FAILED(factory_.Get()->CreateBitmapScaler(Out(scaler)))) return false;
        if (FAILED(scaler.Get()->Initialize(source.Get(), UINT(width), UINT(height), WICBitmapInterpolationModeFant)))
            return false;
        return Copy(scaler.Get(), out);
    }

    bool SaveBmp(const Bitmap& in, std::u16string_view path) override {
        std::string bytes;
        return EncodeBmp(in, bytes) && WriteWholeFile(std::filesystem::path(std::u16string(path)), bytes);
    }

    bool EncodeBmp(const Bitmap& in, std::string& out) override {
        out.clear();
        if (!IsValidBitmap(in)) return false;
        // The bitmap that documents draw has no alpha: lay the picture over
        // white first, then let WIC write the 24-bit rows.
        std::vector<uint8_t> rows = OpaqueBgr24Rows(in);
        return Encode(GUID_ContainerFormatBmp, GUID_WICPixelFormat24bppBGR, in.width, in.height,
                      UINT(Bgr24Stride(in.width)), rows.data(), rows.size(), out);
    }

    bool EncodePng(const Bitmap& in, std::string& out) override {
        out.clear();
        if (!IsValidBitmap(in)) return false;
        return Encode(GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA, in.width, in.height,
                      UINT(in.width) * 4, in.bgra.data(), in.bgra.size(), out);
    }

private:
    // A decoder of the system's own (GUID_VendorMicrosoft) that reads the
    // stream. CreateDecoderFromStream takes a vendor only as a preference
    // and falls back to any installed codec, whose code would then parse a
    // picture that anyone able to write the shared file chose; so the
    // decoders are looked through here, and only Microsoft's are asked
    // (MatchesPattern) and made.
    bool SystemDecoder(IStream* stream, UniqueCom<IWICBitmapDecoder>& out) {
        UniqueCom<IEnumUnknown> decoders;
        if (FAILED(factory_.Get()->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault,
                                                             Out(decoders))))
            return false;
        const LARGE_INTEGER start{};
        for (;;) {
            UniqueCom<IUnknown> item;
            ULONG got = 0;
            if (decoders.Get()->Next(1, Out(item), &got) != S_OK || got != 1) return false;
            UniqueCom<IWICBitmapDecoderInfo> info;
            if (FAILED(item.Get()->QueryInterface(IID_IWICBitmapDecoderInfo,
                                                  reinterpret_cast<void**>(static_cast<IWICBitmapDecoderInfo**>(
                                                      Out(info))))))
                continue;
            GUID vendor{};
            if (FAILED(info.Get()->GetVendorGUID(&vendor)) || vendor != GUID_VendorMicrosoft) continue;
            BOOL matches = FALSE;
            if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
                FAILED(info.Get()->MatchesPattern(stream, &matches)) || !matches)
                continue;
            UniqueCom<IWICBitmapDecoder> decoder;
            if (FAILED(info.Get()->CreateInstance(Out(decoder)))) continue;
            if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
                FAILED(decoder.Get()->Initialize(stream, WICDecodeMetadataCacheOnDemand)))
                continue;
            out = std::move(decoder);
            return true;
        }
    }

    // The first frame, converted to 32-bit BGRA; refused past the side
    // limit before any pixel is decoded.
    bool Decode(IWICBitmapDecoder* decoder, Bitmap& out) {
        UniqueCom<IWICBitmapFrameDecode> frame;
        UniqueCom<IWICFormatConverter> converter;
        if (FAILED(decoder->GetFrame(0, Out(frame)))) return false;
        UINT width = 0, height = 0;
        if (FAILED(frame.Get()->GetSize(&width, &height)) || !WithinLimit(width, height)) return false;
        if (FAILED(factory_.Get()->CreateFormatConverter(Out(converter)))) return false;
        if (FAILED(converter.Get()->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                               nullptr, 0.0, WICBitmapPaletteTypeCustom)))
            return false;
        return Copy(converter.Get(), out);
    }

    bool Copy(IWICBitmapSource* source, Bitmap& out) {
        out = {};
        UINT w = 0, h = 0;
        if (FAILED(source->GetSize(&w, &h))) return false;
        Bitmap result;
        result.width = int(w);
        result.height = int(h);
        if (w == 0 || h == 0 || w > INT32_MAX || h > INT32_MAX || uint64_t(w) * h > kMaxBitmapPixels) return false;
        result.bgra.resize(size_t(w) * h * 4);
        if (FAILED(source->CopyPixels(nullptr, w * 4, UINT(result.bgra.size()), result.bgra.data()))) return false;
        out = std::move(result);
        return true;
    }

    // A WIC bitmap over a copy of the pixels.
    bool Wrap(const Bitmap& in, UniqueCom<IWICBitmap>& out) {
        return SUCCEEDED(factory_.Get()->CreateBitmapFromMemory(
            UINT(in.width), UINT(in.height), GUID_WICPixelFormat32bppBGRA, UINT(in.width) * 4, UINT(in.bgra.size()),
            const_cast<BYTE*>(in.bgra.data()), Out(out)));
    }

    bool Encode(REFGUID container, WICPixelFormatGUID format, int width, int height, UINT stride,
                const uint8_t* pixels, size_t size, std::string& out) {
        out.clear();
        if (size > UINT32_MAX) return false;
        UniqueCom<IStream> stream(::SHCreateMemStream(nullptr, 0));
        UniqueCom<IWICBitmapEncoder> encoder;
        UniqueCom<IWICBitmapFrameEncode> frame;
        UniqueCom<IPropertyBag2> options;
        if (!stream) return false;
        if (FAILED(factory_.Get()->CreateEncoder(container, nullptr, Out(encoder)))) return false;
        if (FAILED(encoder.Get()->Initialize(stream.Get(), WICBitmapEncoderNoCache))) return false;
        if (FAILED(encoder.Get()->CreateNewFrame(Out(frame), Out(options)))) return false;
        if (FAILED(frame.Get()->Initialize(options.Get())) || FAILED(frame.Get()->SetSize(UINT(width), UINT(height))))
            return false;
        WICPixelFormatGUID wanted = format;
        if (FAILED(frame.Get()->SetPixelFormat(&wanted))) return false;
        if (wanted == format) {
            if (FAILED(frame.Get()->WritePixels(UINT(height), stride, UINT(size), const_cast<BYTE*>(pixels))))
                return false;
        } else {
            // The encoder asked for another layout: let WIC convert.
            UniqueCom<IWICBitmap> source;
            if (FAILED(factory_.Get()->CreateBitmapFromMemory(UINT(width), UINT(height), format, stride, UINT(size),
                                                             const_cast<BYTE*>(pixels), Out(source))))
                return false;
            if (FAILED(frame.Get()->WriteSource(source.Get(), nullptr))) return false;
        }
        if (FAILED(frame.Get()->Commit()) || FAILED(encoder.Get()->Commit())) return false;
        return ReadStream(stream.Get(), out);
    }

    static bool ReadStream(IStream* stream, std::string& out) {
        STATSTG stat{};
        if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > UINT32_MAX) return false;
        LARGE_INTEGER zero{};
        if (FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) return false;
        std::string bytes(size_t(stat.cbSize.QuadPart), '\0');
        ULONG read = 0;
        if (FAILED(stream->Read(bytes.data(), ULONG(bytes.size()), &read)) || read != bytes.size()) return false;
        out = std::move(bytes);
        return true;
    }

    ComThread com_;  // first in, last out: the factory is released before COM stops
    UniqueCom<IWICImagingFactory> factory_;
};

}  // namespace

std::unique_ptr<ImageCodec> MakeWicCodec() {
    auto codec = std::make_unique<WicCodec>();
    if (!codec->Start()) return nullptr;
    return codec;
}

std::unique_ptr<ImageCodec> MakeSystemImageCodec() { return MakeWicCodec(); }

}  // namespace kx
