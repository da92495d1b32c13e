// One completion found for the text being typed, and the score-ordered list
// the searcher fills and the Auto Complete window takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

struct PhraseEntry;

struct CompletionCandidate {
    std::u16string typedText;  // the text that was searched for
    std::u16string phrase;     // the whole stored phrase
    uint32_t firstSeen = 0;
    uint32_t lastSeen = 0;
    uint32_t accepted = 0;
    uint32_t impressions = 0;
    uint32_t typedCount = 0;
    // The entry's confidence byte for the length of typedText, 100 when it
    // has none for that length.
    uint8_t confidence = 100;
    // Where the candidate came from. Only the dictionary may follow it, and
    // only under its lock: the entry can be removed at any later time.
    const PhraseEntry* entry = nullptr;
    uint8_t suggestable = 1;
    int64_t score = 0;
};

using CandidateList = std::vector<CompletionCandidate>;

// Inserts after every record with a larger score and before the first with
// an equal or smaller one: among equal scores the newest comes first.
void InsertByScore(CandidateList& list, CompletionCandidate candidate);

}  // namespace kx
