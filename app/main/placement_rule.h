// Where the main window opens: the stored normal rectangle, or a centred
// default, never smaller than the minimum size.
#pragma once

#include <optional>

namespace kx {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct StoredPlacement {
    std::optional<int> x, y, width, height;  // absent values are empty
};

struct PlacementMetrics {
    int minWidth, minHeight;          // 464 x 200 dialog units in pixels
    int defaultWidth, defaultHeight;  // 520 x 232 dialog units in pixels
    PixelRect desktop;
};

// Width and height from the stored values (0 or absent: the default), each
// at least the minimum; left and top stored or centred on the desktop. Only
// when no height was ever stored is the rectangle fitted into the desktop.
PixelRect MainWindowRect(const StoredPlacement& stored, const PlacementMetrics& m);

}  // namespace kx
