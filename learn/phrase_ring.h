// The rings of recently typed (or mailed) text that phrases are learned from
// and completions searched for, and the text rules shared by both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

struct PhraseRing {
    std::vector<char16_t> slots;
    uint32_t index = 0;  // the write index
    bool changed = false;

    // `size` slots of 0 with a line feed in slot 0 and the index at 1 when
    // `withLineBreak` (a fresh dictionary's rings); otherwise all 0, index 0.
    void Reset(uint32_t size, bool withLineBreak);
    uint32_t Size() const { return uint32_t(slots.size()); }
    uint32_t Before(uint32_t i) const { return i == 0 ? Size() - 1 : i - 1; }
    void Clear();
    // The current line ending at the write index; empty when the ring holds
    // no line break or empty slot before it.
    std::u16string CurrentLine() const;
};

// A line feed, space, '.', '!' or '?': what ends a word in a ring.
inline bool EndsWord(char16_t u) { return u == u'\n' || u == u' ' || u == u'.' || u == u'!' || u == u'?'; }

// Cuts the unfinished word at the end: after the last '.', '!' or '?', or at
// the last space, line feed or 0. Empty when there is none.
std::u16string TrimUnfinished(std::u16string_view line);
// Leading and trailing units up to U+0020.
std::u16string_view TrimBlanks(std::u16string_view text);
std::u16string_view TrimLeadingBlanks(std::u16string_view text);
// Drops the first word and the word ends after it; false when nothing follows.
bool DropFirstWord(std::u16string& text);

}  // namespace kx
