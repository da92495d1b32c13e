#include "picture/picture_encoder.h"

#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "core/file_paths.h"
#include "picture/metafile_text.h"

namespace kx {
namespace {

// A bitmap file this size is all headers and no pixels.
constexpr uintmax_t kEmptyBitmapFileBytes = 54;
constexpr size_t kBitmapFileHeaderBytes = 14;

std::filesystem::path FsPath(std::u16string_view p) { return std::filesystem::path(std::u16string(p)); }

// Removes the temporary copies however the encoding ends.
struct TempFiles {
    std::u16string resized, bitmap;
    ~TempFiles() {
        std::error_code ec;
        if (!resized.empty()) std::filesystem::remove(FsPath(resized), ec);
        if (!bitmap.empty()) std::filesystem::remove(FsPath(bitmap), ec);
    }
};

bool IsEmptyBitmapFile(std::u16string_view path) {
    std::error_code ec;
    uintmax_t size = std::filesystem::file_size(FsPath(path), ec);
    return !ec && size == kEmptyBitmapFileBytes;
}

}  // namespace

std::u16string_view FileTitleOf(std::u16string_view path) {
    std::u16string_view name = FileNameOf(path);
    size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? name : name.substr(0, dot);
}

std::u16string_view ExtensionOf(std::u16string_view path) {
    std::u16string_view name = FileNameOf(path);
    size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot);
}

std::u16string SystemTempFolder() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::temp_directory_path(ec);
    return ec ? std::u16string() : p.u16string();
}

bool EncodePicture(std::string& out, std::u16string_view path, int width, int height, ImageCodec& codec,
                   std::u16string_view tempFolder) {
    out.clear();
    const std::u16string title(FileTitleOf(path));
    TempFiles temp;

    Bitmap picture;
    if (!codec.Load(path, picture)) return false;

    int targetW = width > 0 ? width : picture.width;
    int targetH = height > 0 ? height : picture.height;
    if (targetW > kMaxPictureSide || targetH > kMaxPictureSide) targetW = targetH = kMaxPictureSide;

    std::u16string inUse(path);
    if (targetW != picture.width || targetH != picture.height) {
        // The resized copy is written as a bitmap whatever its name says: a
        // lossless copy, and the codecs know a picture by its content.
        Bitmap resized;
        temp.resized = JoinPath(tempFolder, title + u"Resized" + std::u16string(ExtensionOf(path)));
        if (!codec.Resample(picture, targetW, targetH, resized) || !codec.SaveBmp(resized, temp.resized)) return false;
        if (!codec.Load(temp.resized, picture)) return false;
        inUse = temp.resized;
    }

    PictureHead head;
    head.fileTitle = Utf16ToUtf8(CutToField(title));
    head.picw = picture.width * kTwipsPerPixel;
    head.pich = picture.height * kTwipsPerPixel;
    head.picwgoal = width > 0 ? width * kTwipsPerPixel : head.picw;
    head.pichgoal = height > 0 ? height * kTwipsPerPixel : head.pich;

    if (IsEmptyBitmapFile(inUse)) return false;

    // A picture in another format is drawn from a bitmap copy of it; a
    // bitmap file in use is the one already loaded.
    if (!EqualsNoCaseAscii(ExtensionOf(inUse), u".bmp")) {
        temp.bitmap = JoinPath(tempFolder, title + u".bmp");
        if (!codec.SaveBmp(picture, temp.bitmap) || !codec.Load(temp.bitmap, picture)) return false;
    }

    std::string bmp;
    if (!codec.EncodeBmp(picture, bmp) || bmp.size() <= kBitmapFileHeaderBytes) return false;
    std::string document;
    AppendPictureHead(document, head);
    if (!AppendMetafileHex(document, std::string_view(bmp).substr(kBitmapFileHeaderBytes))) return false;
    AppendPictureTail(document);
    out = std::move(document);
    return true;
}

}  // namespace kx
