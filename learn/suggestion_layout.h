// Where the Suggestions window puts its controls, in pixels of its client
// area: one row per suggestion (the phrase's box and its two buttons), the
// check box and "Close" below the rows.
#pragma once

#include <cstddef>
#include <vector>

namespace kx {

struct LayoutBox {
    int x = 0, y = 0, width = 0, height = 0;
    int Bottom() const { return y + height; }
    bool operator==(const LayoutBox&) const = default;
};

struct SuggestionRowLayout {
    LayoutBox phrase, simpleButton, richButton;
};

struct SuggestionsLayout {
    LayoutBox icon, heading;
    std::vector<SuggestionRowLayout> rows;
    LayoutBox stopCheck, closeButton;
    int clientWidth = 0, clientHeight = 0;
};

// A phrase box is this many pixels high per line, and at most this many lines.
inline constexpr int kSuggestionLineHeight = 20;
inline constexpr int kSuggestionMaxLines = 5;

// `lineCounts` holds, for each suggestion shown, how many lines its text
// takes in a box 300 pixels wide; a box shows at least one and at most five
// and scrolls through the rest.
SuggestionsLayout LayOutSuggestions(const std::vector<int>& lineCounts);

}  // namespace kx
