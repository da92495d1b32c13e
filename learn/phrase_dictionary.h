// The phrase learning dictionary: learns the phrases the user types (and the
// sent mail handed to it), finds completions for the text being typed, keeps
// for each phrase how often it was typed, offered and accepted, forgets what
// is stale or does not fit in its memory limit, and reads and writes
// "acdata.txt".
//
// Lock discipline. One lock guards the trie, the counters, the rings, the
// candidate list and the flags; every public operation below takes it for its
// whole duration unless its comment says otherwise, so no caller may hold it.
// The workers hold it for one pass. The keystroke thread never waits on it:
// FeedTypedUnit, ClearTypingRing and LearnCorrection only append to a queue
// under a small lock of its own, and the flags the keystroke thread reads are atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "learn/acdata_pacing.h"
#include "learn/completion_candidate.h"
#include "learn/phrase_node.h"

namespace kx {

class SettingsStore;

// What construction reads from "SuggestionLengthMinimum",
// "SuggestionLengthMaximum", "SuggestionRemoveImpressions",
// "SuggestionRemoveKeystrokes" and "SuggestionTrackbar".
struct DictionaryOptions {
    int32_t minimum = 3;
    int32_t maximum = 260;
    int32_t removeImpressions = 100;
    int32_t removeKeystrokes = 100000;
    int32_t trackbar = 15;
    // The platform's total virtual address space (see TotalVirtualBytes).
    uint64_t totalVirtual = 0;
    // Tests run the workers' passes themselves.
    bool startWorkers = true;
    // Paces the loader worker (unset: the system's clock).
    Clock* clock = nullptr;
};
DictionaryOptions ReadDictionaryOptions(const SettingsStore& settings, uint64_t totalVirtual);

inline constexpr uint32_t kMemoryLimitCap = 104857600;  // 100 MiB
// position % of the total virtual figure (its low 32 bits), at most 100 MiB.
uint32_t MemoryLimitFor(int32_t position, uint64_t totalVirtual);

enum class SaveResult : int {
    Saved = 0,
    Cancelled = 1,     // the file is incomplete and must not be used
    CreateFailed = 2,
    NotLoaded = 3,     // nothing written: the old file must be kept
    WriteFailed = 4,   // the file is incomplete and must not be used
};

// How LoadFile shares the dictionary while it reads (learn/acdata_pacing.h).
struct LoadPacing {
    // Lets the other threads in for `ms` with the lock released; true when
    // the load is to stop. Unset: the load runs through under the lock.
    std::function<bool(uint32_t ms)> giveWay;
    // Measures the work between two give-ways (unset: the system's clock).
    Clock* clock = nullptr;
    uint32_t sliceMs = kLoaderSliceMs;
};

// What a load that ended loaded reports: the phrases stored and the time
// from the start of the load to its end, pauses included.
struct LoadReport {
    bool fileFound = false;
    uint32_t phrases = 0;
    uint32_t elapsedMs = 0;
    // How often the loader gave way to the other threads.
    uint32_t giveWays = 0;
};

// A phrase's statistics, read by a hook that runs under the lock.
using LockedStatsLookup = std::function<bool(std::u16string_view phrase, PhraseStats& out)>;

struct SaveControl {
    // Asked before each node; true stops the save with Cancelled.
    std::function<bool()> cancelRequested;
    // Sees every entry before its line is written (suggestion promotion).
    std::function<void(std::u16string_view phrase, PhraseEntry& entry)> beforeEntry;
    // After the walk, still under the lock (the suggestion file's update).
    // `find` reads a stored phrase's statistics without taking the lock
    // again; it is valid only during the call.
    std::function<void(const LockedStatsLookup& find)> afterWalk;
};

class PhraseDictionary {
public:
    explicit PhraseDictionary(const DictionaryOptions& options);
    // Stops every worker, then frees the rings, the queues and the trie.
    ~PhraseDictionary();
    PhraseDictionary(const PhraseDictionary&) = delete;
    PhraseDictionary& operator=(const PhraseDictionary&) = delete;

    // --- Feeding: the keystroke thread. No dictionary lock is taken. ---
    // Queues one typed code unit for the typing learner. A carriage return or
    // line feed right after another one is dropped (and forgets the previous
    // unit), so CR LF and LF LF count as one line break.
    void FeedTypedUnit(char16_t unit);
    // Empties the typing ring's slots; queued in order with the typed units,
    // so what was typed before the clear is cleared too.
    void ClearTypingRing();
    // Set while the user edits a candidate in a dialog: nothing is fed then.
    bool FeedingPaused() const { return feedingPaused_.load(std::memory_order_relaxed); }
    void SetFeedingPaused(bool on) { feedingPaused_.store(on, std::memory_order_relaxed); }

    // The user edited an inserted phrase into `edited`. Queued with the
    // typed units, and applied by the typing learner in their turn: a phrase
    // accepted only this once is renamed, otherwise the edited text is added
    // with one acceptance less and the inserted phrase's other statistics.
    // Nothing happens when the texts are equal or the phrase is gone by then.
    void LearnCorrection(std::u16string_view inserted, std::u16string_view edited);

    // Appends sent-mail text for the mail feeder (ten units a second), from
    // unit `from` on: the units before it were learned before, by a feed a
    // stop cut short. The part of their line that ends at `from` goes back
    // into the mail ring, unlearned and uncounted, so that the phrases that
    // span the cut are learned whole and none twice. Meant for a text fed
    // on its own, once the feeder has passed on what it held.
    void FeedMailText(std::u16string_view text, size_t from = 0);
    // The mail feeder still holds text it has not passed on to learning.
    bool MailTextPending();
    // Takes back the text the mail feeder has not passed on yet (a stop);
    // the number of units it was.
    size_t WithdrawMailText();

    // --- Switches ---
    // Set while Auto Complete is off: the searcher does not search.
    void SetSearchSuspended(bool on) { searchSuspended_.store(on, std::memory_order_relaxed); }
    bool SearchSuspended() const { return searchSuspended_.load(std::memory_order_relaxed); }
    // Off for the shortcut-text dictionary: its typing ring is kept, but
    // nothing typed is learned. Under the lock.
    void SetLearningEnabled(bool on);
    bool LearningEnabled();

    // --- The Auto Complete window ---
    bool CandidatesReady();
    // Copies of the last search's candidates in score order; clears
    // CandidatesReady.
    void TakeCandidates(CandidateList& out);
    // The typing ring's current line including the word being typed.
    void GetCurrentLine(std::u16string& out);
    uint32_t GetRingSize() const { return ringSize_; }

    // Statistics operations: false when the phrase is not stored.
    bool GetPhraseStats(std::u16string_view phrase, PhraseStats& out);
    bool CountAccepted(std::u16string_view phrase);
    bool CountImpression(std::u16string_view phrase);
    bool ClearSuggestable(std::u16string_view phrase);
    // Byte n-1 of the confidence array: +60 (255 from 195 up), and -30 (0
    // below 31). True without change when the entry has no byte there.
    bool RaiseConfidence(std::u16string_view phrase, uint32_t typedLength);
    bool LowerConfidence(std::u16string_view phrase, uint32_t typedLength);
    bool RemovePhrase(std::u16string_view phrase);
    // Moves the statistics to the new text; true when every step succeeded.
    bool RenamePhrase(std::u16string_view from, std::u16string_view to);
    // Adds the phrase (longer than the maximum too) and sets the statistics
    // with typedCount 2; true when the entry exists afterwards.
    bool SetPhraseStats(std::u16string_view phrase, uint32_t accepted, uint32_t firstSeen, uint32_t lastSeen,
                        uint32_t impressions, uint8_t suggestable);

    // --- Memory ---
    void SetMemoryLimit(int32_t trackbarPosition);
    uint32_t MemoryLimit();
    // The slider position the limit in force was set from.
    int32_t MemoryLimitPosition();
    uint32_t MemoryUsed();
    uint32_t PhraseCount();
    uint32_t KeystrokeCounter();

    // --- "acdata.txt" ---
    // Starts the loader worker on `path`; true. A load still running is
    // stopped first, and the dictionary counts as unloaded until the new
    // load has read its file.
    bool StartLoading(const std::u16string& path);
    // The file has been read, or found absent. A save is refused before.
    bool Loaded() const { return loaded_.load(std::memory_order_acquire); }
    // Called on the loader's thread each time a load ends with the
    // dictionary loaded. Set before StartLoading.
    void SetLoadedNotice(std::function<void(const LoadReport&)> notice);
    // Writes the whole dictionary to `path` under the lock.
    SaveResult Save(std::u16string_view path, const SaveControl& control = {});

    // --- The workers ---
    // Stops the six workers, learners first.
    void StopWorkers();
    // One pass of each worker, as the worker runs it every 100 ms (the
    // maintainer every 120 s). Tests call them directly.
    void TypingLearnerPass();
    void MailLearnerPass();
    void SearchPass();
    void MaintenancePass();
    void MailFeederPass();
    // The loader's body: reads `path` and marks the dictionary loaded.
    // `pacing` lets the learners and the searcher in after each slice of
    // work, and stops the load when its give-way says so.
    void LoadFile(const std::u16string& path, const LoadPacing& pacing = {});

    // Walks every entry in file order under the lock (kxtool, tests).
    void ForEachEntry(const std::function<void(std::u16string_view phrase, const PhraseEntry& entry)>& visit);

    // The state behind the lock; its definition is learn/'s own.
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
    uint32_t ringSize_ = 1;
    std::atomic<bool> feedingPaused_{false};
    std::atomic<bool> searchSuspended_{false};
    std::atomic<bool> loaded_{false};
    std::function<void(const LoadReport&)> loadedNotice_;
};

}  // namespace kx
