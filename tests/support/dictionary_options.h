// A learning dictionary for tests: no worker threads (the tests run the
// passes themselves) and a 2 GiB address space, so the memory limit is the
// usual one; typing into it; and what it learned, read back.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "learn/phrase_dictionary.h"

namespace kx {

inline DictionaryOptions QuietDictionaryOptions() {
    DictionaryOptions o;
    o.startWorkers = false;
    o.totalVirtual = 0x80000000ull;
    return o;
}

// Feeds `text` as typed and lets the learner take it.
inline void TypeInto(PhraseDictionary& d, std::u16string_view text) {
    for (char16_t u : text) d.FeedTypedUnit(u);
    d.TypingLearnerPass();
}

// Every stored phrase with how often it was typed.
inline std::map<std::u16string, uint32_t> Phrases(PhraseDictionary& d) {
    std::map<std::u16string, uint32_t> out;
    d.ForEachEntry([&](std::u16string_view p, const PhraseEntry& e) { out[std::u16string(p)] = e.stats.typedCount; });
    return out;
}

// A phrase's accepted, impressions and typed counts; -1s when it is not stored.
inline std::tuple<int, int, int> Counts(PhraseDictionary& d, std::u16string_view phrase) {
    PhraseStats s;
    if (!d.GetPhraseStats(phrase, s)) return {-1, -1, -1};
    return {int(s.accepted), int(s.impressions), int(s.typedCount)};
}

}  // namespace kx
