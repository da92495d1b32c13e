#include "app/autocomplete/ac_layout.h"

#include <algorithm>

namespace kx {

AcGeometry MeasureGeometry(const AcRect& work, const AcRect& monitor) {
    AcGeometry g;
    g.work = work;
    g.monitor = monitor;
    g.width = work.Width() / 5;
    g.x = work.right - g.width;
    g.hiddenY = monitor.bottom;
    g.shownY = work.bottom;
    return g;
}

std::u16string_view HintText(int rowCount) { return rowCount == 1 ? kAcHintOne : kAcHintMany; }

namespace {

int Stack(AcLayout& l, int hintLines) {
    int y = kAcTitleHeight + kAcTopBarHeight;
    for (int i = 0; i < l.rowCount; ++i) {
        l.rowTop[i] = y;
        l.rowHeight[i] = l.rowLines[i] * kAcLineHeight;
        y += l.rowHeight[i];
        l.gapTop[i] = y;
        y += kAcGapHeight;
    }
    l.hintTop = y;
    return y + std::max(hintLines, 1) * kAcHintHeight + kAcBottomMargin;
}

}  // namespace

AcLayout LayoutRows(const int lines[], int rowCount, int workHeight, int hintLines) {
    AcLayout l;
    l.rowCount = std::clamp(rowCount, 0, kAcMaxRows);
    for (int i = 0; i < l.rowCount; ++i) l.rowLines[i] = std::max(lines[i], 1);
    l.height = Stack(l, hintLines);
    if (l.height > workHeight && l.rowCount > 0) {
        // Each row may take an equal share of the work area, less a little
        // for the gaps between several rows, in whole lines.
        const int less = l.rowCount == 2 ? 10 : l.rowCount == 3 ? 20 : 0;
        const int share = workHeight / l.rowCount - less;
        const int fit = std::max(share / kAcLineHeight, 1);
        for (int i = 0; i < l.rowCount; ++i) {
            if (l.rowLines[i] > fit) {
                l.rowLines[i] = fit;
                l.rowCut[i] = true;
            }
        }
        l.height = Stack(l, hintLines);
    }
    return l;
}

bool FadeInStep(uint8_t& alpha) {
    if (alpha < 235) {
        alpha = uint8_t(alpha + 30);
        return false;
    }
    alpha = 255;
    return true;
}

bool FadeOutStep(uint8_t& alpha) {
    alpha = alpha > 4 ? uint8_t(alpha - 4) : 0;
    return alpha == 0;
}

}  // namespace kx
