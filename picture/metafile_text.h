// The text of a picture shortcut's RTF document: the head with the picture's
// sizes, the metafile that draws the bitmap, written as hexadecimal digits,
// and the tail.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// Twips per pixel at 96 pixels per inch.
inline constexpr int kTwipsPerPixel = 15;
// Hexadecimal digits of the bitmap on one line of the document.
inline constexpr size_t kHexDigitsPerLine = 78;

struct PictureHead {
    std::string fileTitle;  // UTF-8
    int picw = 0, pich = 0, picwgoal = 0, pichgoal = 0;  // twips
};

// "{\rtf1\ansi\deff0{\*\KestrixFileName{\<title>}}{\pict\wmetafile8\picw..
// \pichgoal.. \r\n"
void AppendPictureHead(std::string& out, const PictureHead& head);

// The metafile records: header, mapping mode, window extent, the
// stretch-blit of `dib` (a bitmap file without its 14-byte file header),
// and the end record. False, with `out` unchanged, when `dib` is too short
// to hold a bitmap header.
bool AppendMetafileHex(std::string& out, std::string_view dib);

// "\r\n}}\r\n"
void AppendPictureTail(std::string& out);

}  // namespace kx
