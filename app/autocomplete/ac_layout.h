// Where the Auto Complete window sits and how its rows are stacked. The
// window lives in the bottom-right corner of the work area of its monitor,
// a fifth of the work area wide; hidden, it waits just below the monitor's
// bottom edge so that fading in slides nothing across other windows.
#pragma once

#include <cstdint>
#include <string_view>

namespace kx {

struct AcRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct AcGeometry {
    AcRect work, monitor;
    int width = 0, x = 0;
    int shownY = 0, hiddenY = 0;
};

// The window's width, x and hidden y on a monitor; shownY waits for a fill.
AcGeometry MeasureGeometry(const AcRect& work, const AcRect& monitor);

inline constexpr int kAcMaxRows = 3;
inline constexpr int kAcLineHeight = 15;
inline constexpr int kAcTitleHeight = 27;
inline constexpr int kAcTopBarHeight = 11;
inline constexpr int kAcGapHeight = 7;
inline constexpr int kAcHintHeight = 15;
inline constexpr int kAcBottomMargin = 7;

inline constexpr std::u16string_view kAcHintOne = u"Hit CTRL twice to insert.";
inline constexpr std::u16string_view kAcHintMany = u"Use ALT+DOWN to select. Hit CTRL twice to insert.";
std::u16string_view HintText(int rowCount);

// The rows' places, top to bottom, in client pixels.
struct AcLayout {
    int rowCount = 0;
    int rowTop[kAcMaxRows] = {};
    int rowHeight[kAcMaxRows] = {};
    // Lines shown of each row; fewer than it has when the row was cut.
    int rowLines[kAcMaxRows] = {};
    bool rowCut[kAcMaxRows] = {};
    // The gap after each row (the last one sits above the hint).
    int gapTop[kAcMaxRows] = {};
    int hintTop = 0;
    int height = 0;
};

// `lines[i]`: how many lines row i's text takes at the window's width;
// `hintLines` the same for the hint, which wraps in a narrow window.
// Rows too tall for the work area together share its height.
AcLayout LayoutRows(const int lines[], int rowCount, int workHeight, int hintLines = 1);

// Fading: one step of the 30 ms timer. In: 30 per step up to 255; out: 4
// per step down to 0. True when the fade has arrived.
bool FadeInStep(uint8_t& alpha);
bool FadeOutStep(uint8_t& alpha);

}  // namespace kx
