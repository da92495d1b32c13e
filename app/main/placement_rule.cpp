#include "app/main/placement_rule.h"

#include <algorithm>

namespace kx {

PixelRect MainWindowRect(const StoredPlacement& stored, const PlacementMetrics& m) {
    int width = stored.width.value_or(0);
    int height = stored.height.value_or(0);
    if (width == 0) width = m.defaultWidth;
    if (height == 0) height = m.defaultHeight;
    width = std::max(width, m.minWidth);
    height = std::max(height, m.minHeight);
    const int left = stored.x ? *stored.x : m.desktop.Width() / 2 - width / 2;
    const int top = stored.y ? *stored.y : m.desktop.Height() / 2 - height / 2;
    PixelRect r{left, top, left + width, top + height};
    if (!stored.height) {
        const PixelRect& d = m.desktop;
        if (r.Width() > d.Width()) r.right = r.left + d.Width();
        if (r.Height() > d.Height()) r.bottom = r.top + d.Height();
        const int dx = r.right > d.right ? d.right - r.right : (r.left < d.left ? d.left - r.left : 0);
        const int dy = r.bottom > d.bottom ? d.bottom - r.bottom : (r.top < d.top ? d.top - r.top : 0);
        r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    }
    return r;
}

}  // namespace kx
