#include "learn/suggestion_layout.h"

#include <algorithm>

namespace kx {
namespace {

constexpr int kFirstRowTop = 70;
constexpr int kRowGap = 20;
constexpr int kButtonSize = 25;

}  // namespace

SuggestionsLayout LayOutSuggestions(const std::vector<int>& lineCounts) {
    SuggestionsLayout l;
    l.icon = {10, 10, 40, 40};
    l.heading = {60, 15, 330, 30};
    int top = kFirstRowTop;
    int bottom = top;
    for (const int lines : lineCounts) {
        SuggestionRowLayout row;
        const int height = kSuggestionLineHeight * std::clamp(lines, 1, kSuggestionMaxLines);
        row.phrase = {60, top, 300, height};
        // The buttons sit on the row's middle.
        const int buttonTop = top + (height - kButtonSize) / 2;
        row.simpleButton = {370, buttonTop, kButtonSize, kButtonSize};
        row.richButton = {400, buttonTop, kButtonSize, kButtonSize};
        l.rows.push_back(row);
        bottom = row.phrase.Bottom();
        top = bottom + kRowGap;
    }
    const int below = bottom + kRowGap;
    l.stopCheck = {20, below + 15, 200, 30};
    l.closeButton = {350, below + 15, 80, 25};
    l.clientWidth = 450;
    l.clientHeight = below + 50;
    return l;
}

}  // namespace kx
