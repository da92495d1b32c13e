// Menu item images made from the program's icons.
#pragma once

#include <windows.h>

namespace kx {

// A 32-bit bitmap with alpha of the small form of icon resource `iconId`;
// the caller owns it.
HBITMAP MenuBitmapFromIcon(int iconId);

}  // namespace kx
