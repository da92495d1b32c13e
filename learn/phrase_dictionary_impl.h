// The dictionary's state behind its lock, shared by the files that implement
// its passes. Only learn/ includes this.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "learn/dictionary_workers.h"
#include "learn/phrase_dictionary.h"
#include "learn/phrase_ring.h"
#include "learn/phrase_trie.h"

namespace kx {

// A queued unit that clears the typing ring instead of being stored.
inline constexpr uint32_t kQueuedClear = 0x10000;
// A queued unit that applies the next queued correction.
inline constexpr uint32_t kQueuedCorrection = 0x10001;
// Marks a unit that goes into the ring without being learned or counted:
// the start of a line that was learned before (FeedMailText's `from`).
inline constexpr uint32_t kQueuedUnlearned = 0x20000;

// An inserted phrase that the user edited.
struct PhraseCorrection {
    std::u16string inserted, edited;
};

struct PhraseDictionary::Impl {
    // Guards everything below except the typing queue.
    std::mutex lock;
    PhraseTrie trie;
    uint32_t memoryLimit = 0;
    // The slider position that memoryLimit was computed from.
    int32_t memoryPosition = 0;
    uint32_t memoryUsed = 0;
    uint32_t phraseCount = 0;
    uint32_t keystrokeCounter = 0;
    uint32_t minLength = 4;
    uint32_t ringSize = 261;
    int32_t removeImpressions = 100;
    int32_t removeKeystrokes = 100000;
    uint64_t totalVirtual = 0;
    CandidateList candidates;
    bool candidatesReady = false;
    bool learningEnabled = true;
    PhraseRing typingRing, mailRing;
    std::vector<uint32_t> mailQueue;
    std::u16string mailPending;
    size_t mailPosition = 0;
    char16_t lastMailUnit = 0;

    // The keystroke thread appends here under queueLock only; a learner's
    // pass swaps the whole queue out.
    std::mutex queueLock;
    std::vector<uint32_t> typingQueue;
    std::vector<PhraseCorrection> corrections;
    char16_t lastTypedUnit = 0;

    std::unique_ptr<LoaderWorker> loader;
    std::unique_ptr<PollingWorker> typingLearner, mailLearner, searcher, maintainer, mailFeeder;

    // Learning one phrase. Null when rejected or out of memory; `created`
    // says whether the entry is new. The loader passes a cursor (see
    // PhraseTrie::Insert).
    PhraseEntry* Learn(std::u16string_view phrase, bool allowLong, bool& created, PhraseCursor* cursor = nullptr);
    void RemoveEntry(PhraseEntry* entry);
    // Applies queued units to a ring (a learner's pass), and the corrections
    // queued among them in their turn.
    void LearnerPass(PhraseRing& ring, const std::vector<uint32_t>& units,
                     const std::vector<PhraseCorrection>& corrections = {});
    bool ApplyCorrection(const PhraseCorrection& c);
    void Unlearn(const PhraseRing& ring);
    bool SetStats(std::u16string_view phrase, const PhraseStats& stats, bool keepTypedCount);

    void Search(std::u16string_view text);
    void CollectAll(std::vector<PhraseEntry*>& out);
    bool IsStale(const PhraseEntry& e) const;
};

}  // namespace kx
