#include "platform/win32/clipboard_win32.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

namespace kx {
namespace {

// A global memory block that is freed unless handed on with Release().
class GlobalBlock {
public:
    explicit GlobalBlock(size_t bytes) : h_(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {}
    ~GlobalBlock() { if (h_) GlobalFree(h_); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return h_; }
    HGLOBAL Release() { return std::exchange(h_, nullptr); }

private:
    HGLOBAL h_;
};

// A global memory block locked for the scope.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
    ~GlobalLockScope() { if (p_) GlobalUnlock(h_); }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* get() const { return p_; }

private:
    HGLOBAL h_;
    void* p_;
};

// Bytes appended to a vector.
template <typename T>
void Append(std::vector<uint8_t>& out, const T& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

// A bitmap as a packed DIB: a BITMAPINFOHEADER for 32 bits a pixel, top row
// first, and the pixels. 32 bits keep every colour of any bitmap.
std::optional<std::vector<uint8_t>> BitmapBytes(HBITMAP bitmap) {
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return std::nullopt;
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = bm.bmWidth;
    h.biHeight = -bm.bmHeight;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(bm.bmWidth) * DWORD(bm.bmHeight) * 4;
    std::vector<uint8_t> out;
    Append(out, h);
    out.resize(sizeof h + h.biSizeImage);
    HDC screen = GetDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = h;
    const int lines = GetDIBits(screen, bitmap, 0, UINT(bm.bmHeight), out.data() + sizeof h, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != bm.bmHeight) return std::nullopt;
    return out;
}

HBITMAP BitmapFrom(std::span<const uint8_t> bytes) {
    BITMAPINFOHEADER h{};
    if (bytes.size() < sizeof h) return nullptr;
    std::memcpy(&h, bytes.data(), sizeof h);
    if (h.biSize != sizeof h || h.biBitCount != 32 || h.biWidth <= 0 || h.biHeight >= 0 ||
        bytes.size() - sizeof h < uint64_t(h.biWidth) * uint64_t(-int64_t(h.biHeight)) * 4)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader = h;
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateDIBitmap(screen, &h, CBM_INIT, bytes.data() + sizeof h, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return b;
}

std::optional<std::vector<uint8_t>> EnhMetafileBytes(HENHMETAFILE mf) {
    const UINT size = GetEnhMetaFileBits(mf, 0, nullptr);
    if (!size) return std::nullopt;
    std::vector<uint8_t> out(size);
    if (GetEnhMetaFileBits(mf, size, out.data()) != size) return std::nullopt;
    return out;
}

// The picture's mapping mode and extents (three 32-bit numbers), then the
// metafile's records.
std::optional<std::vector<uint8_t>> MetafilePictBytes(HANDLE h) {
    GlobalLockScope lock(h);
    const auto* pict = static_cast<const METAFILEPICT*>(lock.get());
    if (!pict) return std::nullopt;
    const UINT size = GetMetaFileBitsEx(pict->hMF, 0, nullptr);
    if (!size) return std::nullopt;
    std::vector<uint8_t> out;
    Append(out, int32_t(pict->mm));
    Append(out, int32_t(pict->xExt));
    Append(out, int32_t(pict->yExt));
    out.resize(12 + size);
    if (GetMetaFileBitsEx(pict->hMF, size, out.data() + 12) != size) return std::nullopt;
    return out;
}

// A palette as its entry count (32 bits) and its entries.
std::optional<std::vector<uint8_t>> PaletteBytes(HPALETTE palette) {
    const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
    if (!count) return std::nullopt;
    std::vector<PALETTEENTRY> entries(count);
    if (GetPaletteEntries(palette, 0, count, entries.data()) != count) return std::nullopt;
    std::vector<uint8_t> out;
    Append(out, uint32_t(count));
    for (const PALETTEENTRY& e : entries) Append(out, e);
    return out;
}

HPALETTE PaletteFrom(std::span<const uint8_t> bytes) {
    uint32_t count = 0;
    if (bytes.size() < 4) return nullptr;
    std::memcpy(&count, bytes.data(), 4);
    if (count == 0 || count > 0xFFFF || bytes.size() - 4 < uint64_t(count) * sizeof(PALETTEENTRY)) return nullptr;
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(count);
    std::memcpy(lp->palPalEntry, bytes.data() + 4, count * sizeof(PALETTEENTRY));
    return CreatePalette(lp);
}

// What kind of handle the clipboard holds under a format.
enum class HandleKind { Memory, Bitmap, EnhMetafile, MetafilePict, Palette };

HandleKind KindOf(unsigned format) {
    switch (format) {
    case kCfBitmap: case kCfDspBitmap: return HandleKind::Bitmap;
    case kCfEnhMetafile: case kCfDspEnhMetafile: return HandleKind::EnhMetafile;
    case kCfMetafilePict: case kCfDspMetafilePict: return HandleKind::MetafilePict;
    case kCfPalette: return HandleKind::Palette;
    default: return HandleKind::Memory;
    }
}

// Hands a GDI object to the clipboard; deleted when the clipboard refuses it.
template <typename H>
bool HandOver(unsigned format, H object, BOOL(WINAPI* destroy)(H)) {
    if (!object) return false;
    if (SetClipboardData(format, object)) return true;
    destroy(object);
    return false;
}

BOOL WINAPI DeleteBitmap(HBITMAP b) { return DeleteObject(b); }
BOOL WINAPI DeletePalette(HPALETTE p) { return DeleteObject(p); }

bool SetMetafilePict(unsigned format, std::span<const uint8_t> bytes) {
    if (bytes.size() <= 12) return false;
    int32_t head[3];
    std::memcpy(head, bytes.data(), 12);
    HMETAFILE mf = SetMetaFileBitsEx(UINT(bytes.size() - 12), bytes.data() + 12);
    if (!mf) return false;
    GlobalBlock block(sizeof(METAFILEPICT));
    {
        GlobalLockScope lock(block.get());
        auto* pict = static_cast<METAFILEPICT*>(lock.get());
        if (!pict) {
            DeleteMetaFile(mf);
            return false;
        }
        pict->mm = head[0];
        pict->xExt = head[1];
        pict->yExt = head[2];
        pict->hMF = mf;
    }
    if (!SetClipboardData(format, block.get())) {
        DeleteMetaFile(mf);
        return false;
    }
    block.Release();  // the clipboard frees the picture and its metafile
    return true;
}

}  // namespace

bool Win32Clipboard::Open(WindowHandle owner) {
    return OpenClipboard(reinterpret_cast<HWND>(owner)) != FALSE;
}

bool Win32Clipboard::Close() { return CloseClipboard() != FALSE; }

bool Win32Clipboard::Empty() { return EmptyClipboard() != FALSE; }

unsigned Win32Clipboard::RegisterFormat(std::u16string_view name) {
    std::u16string n(name);
    return RegisterClipboardFormatW(reinterpret_cast<const wchar_t*>(n.c_str()));
}

bool Win32Clipboard::SetData(unsigned format, std::span<const uint8_t> bytes) {
    switch (KindOf(format)) {
    case HandleKind::Bitmap: return HandOver(format, BitmapFrom(bytes), DeleteBitmap);
    case HandleKind::EnhMetafile:
        return HandOver(format, SetEnhMetaFileBits(UINT(bytes.size()), bytes.data()), DeleteEnhMetaFile);
    case HandleKind::MetafilePict: return SetMetafilePict(format, bytes);
    case HandleKind::Palette: return HandOver(format, PaletteFrom(bytes), DeletePalette);
    case HandleKind::Memory: break;
    }
    GlobalBlock block(bytes.size() ? bytes.size() : 1);
    if (!block.get()) return false;
    {
        GlobalLockScope lock(block.get());
        if (!lock.get()) return false;
        if (!bytes.empty()) std::memcpy(lock.get(), bytes.data(), bytes.size());
    }
    if (!SetClipboardData(format, block.get())) return false;
    block.Release();  // the clipboard owns it now
    return true;
}

std::optional<std::vector<uint8_t>> Win32Clipboard::GetData(unsigned format) {
    HANDLE h = GetClipboardData(format);
    if (!h) return std::nullopt;
    switch (KindOf(format)) {
    case HandleKind::Bitmap: return BitmapBytes(static_cast<HBITMAP>(h));
    case HandleKind::EnhMetafile: return EnhMetafileBytes(static_cast<HENHMETAFILE>(h));
    case HandleKind::MetafilePict: return MetafilePictBytes(h);
    case HandleKind::Palette: return PaletteBytes(static_cast<HPALETTE>(h));
    case HandleKind::Memory: break;
    }
    GlobalLockScope lock(h);
    if (!lock.get()) return std::nullopt;
    const auto* p = static_cast<const uint8_t*>(lock.get());
    return std::vector<uint8_t>(p, p + GlobalSize(h));
}

size_t Win32Clipboard::DataSize(unsigned format) {
    HANDLE h = GetClipboardData(format);
    if (!h) return 0;
    switch (KindOf(format)) {
    case HandleKind::Bitmap: {
        BITMAP bm{};
        if (!GetObjectW(h, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return 0;
        return sizeof(BITMAPINFOHEADER) + size_t(bm.bmWidth) * size_t(bm.bmHeight) * 4;
    }
    case HandleKind::EnhMetafile: return GetEnhMetaFileBits(static_cast<HENHMETAFILE>(h), 0, nullptr);
    case HandleKind::MetafilePict: {
        GlobalLockScope lock(h);
        const auto* pict = static_cast<const METAFILEPICT*>(lock.get());
        return pict ? 12 + size_t(GetMetaFileBitsEx(pict->hMF, 0, nullptr)) : 0;
    }
    case HandleKind::Palette:
        return 4 + size_t(GetPaletteEntries(static_cast<HPALETTE>(h), 0, 0, nullptr)) * sizeof(PALETTEENTRY);
    case HandleKind::Memory: break;
    }
    return GlobalSize(h);
}

}  // namespace kx

namespace kx {

std::vector<unsigned> Win32Clipboard::Formats() {
    std::vector<unsigned> out;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) out.push_back(f);
    return out;
}

bool Win32Clipboard::OfferDelayed(unsigned format) {
    // No data: the owner gets WM_RENDERFORMAT when a program asks. The
    // result is null either way; the format being there is the success.
    SetClipboardData(format, nullptr);
    return IsClipboardFormatAvailable(format) != FALSE;
}

}  // namespace kx
