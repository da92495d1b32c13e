#include "learn/phrase_ring.h"

#include <algorithm>

namespace kx {

void PhraseRing::Reset(uint32_t size, bool withLineBreak) {
    slots.assign(std::max<uint32_t>(size, 1), 0);
    index = 0;
    changed = false;
    if (withLineBreak && slots.size() > 1) {
        slots[0] = u'\n';
        index = 1;
    }
}

void PhraseRing::Clear() { std::fill(slots.begin(), slots.end(), 0); }

std::u16string PhraseRing::CurrentLine() const {
    const uint32_t n = Size();
    auto isBreak = [](char16_t u) { return u == 0 || u == u'\n'; };
    // From the last stored unit back: once the ring has wrapped, the write
    // slot itself still holds a unit of an older line.
    uint32_t j = Before(index);
    if (j == index) return {};
    while (isBreak(slots[j])) {
        j = Before(j);
        if (j == index) return {};
    }
    do {
        j = Before(j);
        if (j == index) return {};
    } while (!isBreak(slots[j]));
    std::u16string line;
    for (uint32_t k = (j + 1) % n; k != index; k = (k + 1) % n) line.push_back(slots[k]);
    return line;
}

std::u16string TrimUnfinished(std::u16string_view line) {
    for (size_t k = line.size(); k-- > 0;) {
        const char16_t u = line[k];
        if (u == u'.' || u == u'!' || u == u'?') return std::u16string(line.substr(0, k + 1));
        if (u == u' ' || u == u'\n' || u == 0) return std::u16string(line.substr(0, k));
    }
    return {};
}

std::u16string_view TrimLeadingBlanks(std::u16string_view text) {
    size_t b = 0;
    while (b < text.size() && text[b] <= 0x20) ++b;
    return text.substr(b);
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    text = TrimLeadingBlanks(text);
    size_t e = text.size();
    while (e > 0 && text[e - 1] <= 0x20) --e;
    return text.substr(0, e);
}

bool DropFirstWord(std::u16string& text) {
    auto ends = [](char16_t u) { return EndsWord(u) || u == 0; };
    size_t k = 0;
    while (k < text.size() && !ends(text[k])) ++k;
    if (k == text.size()) return false;
    while (k < text.size() && ends(text[k])) ++k;
    if (k == text.size()) return false;
    text.erase(0, k);
    return true;
}

}  // namespace kx
