// Pictures on screen in the picture editor: a decoded picture as a bitmap
// the static controls show, and the "Preview Output..." window that shows
// the picture at the size it will be pasted.
#pragma once

#include <windows.h>

#include "picture/image_codec.h"
#include "platform/win32/handles.h"

namespace kx {

// A 32-bit top-down bitmap of `picture`; null when it cannot be made.
UniqueBitmap MakeScreenBitmap(const Bitmap& picture);

// `picture` drawn to fit inside `maxWidth` by `maxHeight`, keeping its
// proportion and never larger than its own size.
bool FitPicture(ImageCodec& codec, const Bitmap& picture, int maxWidth, int maxHeight, Bitmap& out);

// Shows `picture` at `width` by `height` pixels in a modal window.
void ShowPictureOutput(HWND owner, ImageCodec& codec, const Bitmap& picture, int width, int height);

}  // namespace kx
