// Promoting frequent long phrases to shortcut suggestions while the learning
// dictionary is saved, and merging them into "ShortcutSuggestions.txt", the
// file of pending suggestions that the Suggestions window takes them from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "learn/completion_candidate.h"
#include "learn/phrase_dictionary.h"
#include "learn/suggestion_take.h"

namespace kx {

inline constexpr size_t kSuggestionLineUnits = 10000;

// A suggestable phrase of at least 18 units typed at least three times and
// ending in '.', '?', ',' or '!', or one of at least 50 units typed at least
// ten times (acceptances count as typings).
bool QualifiesForSuggestion(std::u16string_view phrase, const PhraseStats& stats);

// For one entry before the save writes its line: a qualifying phrase loses
// its suggestable flag (so its line carries 0 and it is never promoted
// again) and goes into `promoted` with its count as the score.
void PromoteWhileSaving(std::u16string_view phrase, PhraseEntry& entry, CandidateList& promoted);

// Merges `promoted` with the first 200 lines of the file at `path` (each
// scored by the dictionary's count for it, 0 when it holds none) and
// rewrites the file with the 200 best, most frequent first, as UTF-8 lines
// ending in CR LF. A file that cannot be opened or created is left alone and
// the promoted phrases are dropped: false then, and when writing failed.
bool UpdateSuggestionFile(std::u16string_view path, CandidateList promoted, const LockedStatsLookup& find);

// One save's promotion into the suggestion file at `path`: Attach sets the
// save's hooks, which use this object until the save returns.
class SuggestionPromotion {
public:
    explicit SuggestionPromotion(std::u16string path) : path_(std::move(path)) {}
    void Attach(SaveControl& control);
    // The phrases promoted so far (tests).
    const CandidateList& Promoted() const { return promoted_; }

private:
    std::u16string path_;
    CandidateList promoted_;
};

}  // namespace kx
