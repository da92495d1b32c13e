#include "learn/phrase_dictionary.h"

#include <algorithm>

#include "learn/phrase_dictionary_impl.h"
#include "settings/settings_store.h"

namespace kx {

namespace {

bool HasWordBreak(std::u16string_view s) {
    return std::any_of(s.begin(), s.end(),
                       [](char16_t u) { return u == u' ' || u == u'\r' || u == u'\n' || u == u'\t'; });
}

// The phrases of a line: the line itself, then without its first word, and
// so on while it is long enough.
template <class F>
void ForEachPhrase(std::u16string text, uint32_t minLength, F&& f) {
    std::u16string previous;
    bool first = true;
    while (text.size() >= minLength) {
        std::u16string phrase(TrimBlanks(text));
        if (first || phrase != previous) f(phrase);
        previous = std::move(phrase);
        first = false;
        if (!DropFirstWord(text)) break;
    }
}

}  // namespace

DictionaryOptions ReadDictionaryOptions(const SettingsStore& settings, uint64_t totalVirtual) {
    DictionaryOptions o;
    o.minimum = settings.ReadInt(settings::SuggestionLengthMinimum);
    o.maximum = settings.ReadInt(settings::SuggestionLengthMaximum);
    o.removeImpressions = settings.ReadInt(settings::SuggestionRemoveImpressions);
    o.removeKeystrokes = settings.ReadInt(settings::SuggestionRemoveKeystrokes);
    o.trackbar = settings.ReadInt(settings::SuggestionTrackbar);
    o.totalVirtual = totalVirtual;
    return o;
}

PhraseDictionary::PhraseDictionary(const DictionaryOptions& o) : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    // Computed in 64 bits so that a huge setting cannot wrap below 1.
    d.minLength = uint32_t(std::clamp<int64_t>(int64_t(o.minimum) + 1, 1, INT32_MAX));
    d.ringSize = uint32_t(std::clamp<int64_t>(int64_t(o.maximum) + 1, 1, 1 << 20));
    d.removeImpressions = o.removeImpressions;
    d.removeKeystrokes = o.removeKeystrokes;
    d.totalVirtual = o.totalVirtual;
    d.memoryLimit = MemoryLimitFor(o.trackbar, o.totalVirtual);
    d.memoryPosition = o.trackbar;
    d.typingRing.Reset(d.ringSize, true);
    d.mailRing.Reset(d.ringSize, true);
    ringSize_ = d.ringSize;

    d.loader = std::make_unique<LoaderWorker>(
        [this](const std::u16string& path, const LoadPacing& pacing) { LoadFile(path, pacing); },
        o.clock ? *o.clock : SystemClock());
    d.typingLearner = std::make_unique<PollingWorker>(100, [this] { TypingLearnerPass(); });
    d.mailLearner = std::make_unique<PollingWorker>(100, [this] { MailLearnerPass(); });
    d.searcher = std::make_unique<PollingWorker>(100, [this] { SearchPass(); });
    d.maintainer = std::make_unique<PollingWorker>(120000, [this] { MaintenancePass(); });
    d.mailFeeder = std::make_unique<PollingWorker>(100, [this] { MailFeederPass(); });
    if (o.startWorkers) {
        d.typingLearner->Start(ThreadPriority::Normal);
        d.searcher->Start(ThreadPriority::Normal);
        d.mailLearner->Start(ThreadPriority::Lowest);
        d.maintainer->Start(ThreadPriority::Lowest);
        d.mailFeeder->Start(ThreadPriority::Lowest);
    }
}

PhraseDictionary::~PhraseDictionary() {
    StopWorkers();
    impl_->loader->Stop();
}

void PhraseDictionary::StopWorkers() {
    Impl& d = *impl_;
    d.typingLearner->Stop();
    d.mailLearner->Stop();
    d.searcher->Stop();
    d.maintainer->Stop();
    d.mailFeeder->Stop();
}

// --- Feeding -------------------------------------------------------------

void PhraseDictionary::FeedTypedUnit(char16_t unit) {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.queueLock);
    const bool lineBreak = unit == u'\r' || unit == u'\n';
    if (lineBreak && (d.lastTypedUnit == u'\r' || d.lastTypedUnit == u'\n')) {
        d.lastTypedUnit = 0;
        return;
    }
    d.lastTypedUnit = unit;
    d.typingQueue.push_back(unit);
}

void PhraseDictionary::ClearTypingRing() {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.queueLock);
    d.typingQueue.push_back(kQueuedClear);
}

void PhraseDictionary::FeedMailText(std::u16string_view text, size_t from) {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    if (d.mailPosition >= d.mailPending.size()) {
        d.mailPending.clear();
        d.mailPosition = 0;
    }
    from = std::min(from, text.size());
    if (from > 0) {
        // The ring starts a line of its own, holding what the line learned
        // before the cut: no more than the ring keeps.
        size_t lineStart = from;
        while (lineStart > 0 && from - lineStart < d.ringSize) {
            const char16_t u = text[lineStart - 1];
            if (u == u'\r' || u == u'\n' || u == u'\t' || u == 0x0B) break;
            --lineStart;
        }
        d.mailQueue.push_back(kQueuedUnlearned | u'\n');
        for (size_t k = lineStart; k < from; ++k) d.mailQueue.push_back(kQueuedUnlearned | text[k]);
        // A line break cut in two (CR | LF) still counts once.
        d.lastMailUnit = text[from - 1];
    }
    d.mailPending.append(text.substr(from));
}

size_t PhraseDictionary::WithdrawMailText() {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    const size_t left = d.mailPending.size() - std::min(d.mailPosition, d.mailPending.size());
    d.mailPending.clear();
    d.mailPosition = 0;
    return left;
}

bool PhraseDictionary::MailTextPending() {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    return d.mailPosition < d.mailPending.size();
}

void PhraseDictionary::MailFeederPass() {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    if (d.mailPosition < d.mailPending.size()) {
        const char16_t u = d.mailPending[d.mailPosition++];
        const bool lineBreak = u == u'\r' || u == u'\n';
        if (lineBreak && (d.lastMailUnit == u'\r' || d.lastMailUnit == u'\n')) {
            d.lastMailUnit = 0;
        } else {
            d.lastMailUnit = u;
            d.mailQueue.push_back(u);
        }
    }
    if (d.mailPosition >= d.mailPending.size()) {
        d.mailPending.clear();
        d.mailPosition = 0;
    }
}

// --- Learning ------------------------------------------------------------

PhraseEntry* PhraseDictionary::Impl::Learn(std::u16string_view phrase, bool allowLong, bool& created,
                                           PhraseCursor* cursor) {
    created = false;
    if (phrase.size() < minLength || (!allowLong && phrase.size() >= ringSize) || !HasWordBreak(phrase))
        return nullptr;
    uint32_t missing = 0;
    PhraseEntry* e = trie.Insert(phrase, missing, created, cursor);
    if (!e) return nullptr;
    if (!created) {
        ++e->stats.typedCount;
        e->stats.lastSeen = keystrokeCounter;
        for (uint32_t k = 0; k < e->confidenceCount; ++k)
            if (e->confidence[k] < 100) e->confidence[k] = uint8_t(e->confidence[k] + 30);
        return e;
    }
    ++phraseCount;
    memoryUsed += 2 * (34 * missing + uint32_t(phrase.size())) + 126;
    e->stats.lastSeen = keystrokeCounter;
    if (e->stats.firstSeen == 0) e->stats.firstSeen = keystrokeCounter;
    ++e->stats.typedCount;
    return e;
}

void PhraseDictionary::Impl::RemoveEntry(PhraseEntry* entry) {
    const uint32_t nodes = trie.Remove(entry);
    const uint32_t bytes = 68 * nodes;
    memoryUsed = memoryUsed > bytes ? memoryUsed - bytes : 0;
    if (phraseCount) --phraseCount;
}

void PhraseDictionary::Impl::Unlearn(const PhraseRing& ring) {
    ForEachPhrase(TrimUnfinished(ring.CurrentLine()), minLength, [&](const std::u16string& phrase) {
        PhraseEntry* e = trie.Find(phrase);
        if (!e) return;
        if (e->stats.typedCount) --e->stats.typedCount;
        if (e->stats.typedCount == 0 && e->stats.accepted == 0) RemoveEntry(e);
    });
}

void PhraseDictionary::Impl::LearnerPass(PhraseRing& ring, const std::vector<uint32_t>& units,
                                         const std::vector<PhraseCorrection>& corrections) {
    bool wordEnded = false;
    size_t nextCorrection = 0;
    auto& s = ring.slots;
    auto learnLine = [&] {
        ForEachPhrase(TrimUnfinished(ring.CurrentLine()), minLength, [&](const std::u16string& phrase) {
            bool created = false;
            PhraseEntry* e = Learn(phrase, false, created);
            if (e && created) e->SetConfidence(uint32_t(phrase.size()), 100);
        });
    };
    for (uint32_t queued : units) {
        if (queued == kQueuedClear) {
            ring.Clear();
            continue;
        }
        if (queued == kQueuedCorrection) {
            if (nextCorrection < corrections.size()) ApplyCorrection(corrections[nextCorrection++]);
            continue;
        }
        if (queued & kQueuedUnlearned) {
            char16_t unit = char16_t(queued);
            if (unit == u'\r' || unit == u'\n' || unit == u'\t' || unit == 0x0B) unit = u'\n';
            else if (unit < 32 || unit == 127) continue;
            s[ring.index] = unit;
            ring.index = ring.index + 1 == ring.Size() ? 0 : ring.index + 1;
            ring.changed = true;
            continue;
        }
        char16_t unit = char16_t(queued);
        const uint32_t i = ring.index, p = ring.Before(i), q = ring.Before(p);
        if (unit == 127) continue;
        if (unit == 8) {
            const bool afterWord = (s[p] == u' ' || s[p] == u'.' || s[p] == u'?' || s[p] == u'!') &&
                                   !(s[q] == u' ' || s[q] == u'.' || s[q] == u'!' || s[q] == u'?');
            if (afterWord) Unlearn(ring);
            else if (s[p] == 0 || s[p] == u'\n' || s[p] == u'\r') continue;
            ring.index = p;
            ring.changed = true;
            continue;
        }
        if (unit == u'\r' || unit == u'\n' || unit == u'\t' || unit == 0x0B) unit = u'\n';
        else if (unit < 32) continue;
        s[i] = unit;
        ++keystrokeCounter;
        ring.changed = true;
        if (EndsWord(unit) && !EndsWord(s[p])) wordEnded = true;
        ring.index = i + 1 == ring.Size() ? 0 : i + 1;
        // A line the pass ends is learned before the next one is typed
        // over it: a fast typist (or a paste) may finish several lines
        // between two passes.
        if (unit == u'\n' && wordEnded) {
            if (learningEnabled) learnLine();
            wordEnded = false;
        }
    }
    if (learningEnabled && wordEnded) learnLine();
}

void PhraseDictionary::TypingLearnerPass() {
    Impl& d = *impl_;
    std::vector<uint32_t> units;
    std::vector<PhraseCorrection> corrections;
    {
        std::lock_guard<std::mutex> hold(d.queueLock);
        units.swap(d.typingQueue);
        corrections.swap(d.corrections);
    }
    std::lock_guard<std::mutex> hold(d.lock);
    d.LearnerPass(d.typingRing, units, corrections);
}

void PhraseDictionary::MailLearnerPass() {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    std::vector<uint32_t> units;
    units.swap(d.mailQueue);
    d.LearnerPass(d.mailRing, units);
}

// --- Switches and the window ----------------------------------------------

void PhraseDictionary::SetLearningEnabled(bool on) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->learningEnabled = on;
}

bool PhraseDictionary::LearningEnabled() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->learningEnabled;
}

bool PhraseDictionary::CandidatesReady() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->candidatesReady;
}

void PhraseDictionary::TakeCandidates(CandidateList& out) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    out = impl_->candidates;
    impl_->candidatesReady = false;
}

void PhraseDictionary::GetCurrentLine(std::u16string& out) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    out = impl_->typingRing.CurrentLine();
}

bool PhraseDictionary::GetPhraseStats(std::u16string_view phrase, PhraseStats& out) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    const PhraseEntry* e = impl_->trie.Find(phrase);
    if (e) out = e->stats;
    return e != nullptr;
}

namespace {
template <class F>
bool WithEntry(PhraseDictionary::Impl& d, std::u16string_view phrase, F&& f) {
    std::lock_guard<std::mutex> hold(d.lock);
    PhraseEntry* e = d.trie.Find(phrase);
    if (e) f(*e);
    return e != nullptr;
}
}  // namespace

bool PhraseDictionary::CountAccepted(std::u16string_view phrase) {
    return WithEntry(*impl_, phrase, [](PhraseEntry& e) { ++e.stats.accepted; });
}

bool PhraseDictionary::CountImpression(std::u16string_view phrase) {
    return WithEntry(*impl_, phrase, [](PhraseEntry& e) { ++e.stats.impressions; });
}

bool PhraseDictionary::ClearSuggestable(std::u16string_view phrase) {
    return WithEntry(*impl_, phrase, [](PhraseEntry& e) { e.stats.suggestable = 0; });
}

bool PhraseDictionary::RaiseConfidence(std::u16string_view phrase, uint32_t n) {
    return WithEntry(*impl_, phrase, [n](PhraseEntry& e) {
        if (n == 0 || n > e.confidenceCount) return;
        uint8_t& b = e.confidence[n - 1];
        b = b < 195 ? uint8_t(b + 60) : 255;
    });
}

bool PhraseDictionary::LowerConfidence(std::u16string_view phrase, uint32_t n) {
    return WithEntry(*impl_, phrase, [n](PhraseEntry& e) {
        if (n == 0 || n > e.confidenceCount) return;
        uint8_t& b = e.confidence[n - 1];
        b = b >= 31 ? uint8_t(b - 30) : 0;
    });
}

bool PhraseDictionary::RemovePhrase(std::u16string_view phrase) {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    PhraseEntry* e = d.trie.Find(phrase);
    if (e) d.RemoveEntry(e);
    return e != nullptr;
}

bool PhraseDictionary::Impl::SetStats(std::u16string_view phrase, const PhraseStats& stats, bool keepTypedCount) {
    bool created = false;
    PhraseEntry* e = Learn(phrase, true, created);
    if (!e) return false;
    const uint32_t typed = keepTypedCount ? stats.typedCount : 2;
    e->stats = stats;
    e->stats.typedCount = typed;
    return true;
}

bool PhraseDictionary::RenamePhrase(std::u16string_view from, std::u16string_view to) {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    PhraseEntry* e = d.trie.Find(from);
    if (!e) return false;
    const PhraseStats stats = e->stats;
    d.RemoveEntry(e);
    return d.SetStats(to, stats, true);
}

bool PhraseDictionary::SetPhraseStats(std::u16string_view phrase, uint32_t accepted, uint32_t firstSeen,
                                      uint32_t lastSeen, uint32_t impressions, uint8_t suggestable) {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    PhraseStats s;
    s.accepted = accepted;
    s.firstSeen = firstSeen;
    s.lastSeen = lastSeen;
    s.impressions = impressions;
    s.suggestable = suggestable;
    return d.SetStats(phrase, s, false);
}

void PhraseDictionary::LearnCorrection(std::u16string_view inserted, std::u16string_view edited) {
    if (inserted == edited) return;
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.queueLock);
    d.corrections.push_back({std::u16string(inserted), std::u16string(edited)});
    d.typingQueue.push_back(kQueuedCorrection);
}

bool PhraseDictionary::Impl::ApplyCorrection(const PhraseCorrection& c) {
    PhraseEntry* e = trie.Find(c.inserted);
    if (!e) return false;
    PhraseStats stats = e->stats;
    if (stats.accepted == 1) {
        RemoveEntry(e);
        return SetStats(c.edited, stats, true);
    }
    stats.accepted = stats.accepted ? stats.accepted - 1 : 0;
    return SetStats(c.edited, stats, false);
}

// --- Memory ---------------------------------------------------------------

void PhraseDictionary::SetMemoryLimit(int32_t position) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->memoryLimit = MemoryLimitFor(position, impl_->totalVirtual);
    impl_->memoryPosition = position;
}

int32_t PhraseDictionary::MemoryLimitPosition() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->memoryPosition;
}

uint32_t PhraseDictionary::MemoryLimit() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->memoryLimit;
}

uint32_t PhraseDictionary::MemoryUsed() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->memoryUsed;
}

uint32_t PhraseDictionary::PhraseCount() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->phraseCount;
}

uint32_t PhraseDictionary::KeystrokeCounter() {
    std::lock_guard<std::mutex> hold(impl_->lock);
    return impl_->keystrokeCounter;
}

void PhraseDictionary::ForEachEntry(
    const std::function<void(std::u16string_view phrase, const PhraseEntry& entry)>& visit) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    std::u16string text;
    for (PhraseNode* root : impl_->trie.Roots()) {
        text.assign(1, root->unit);
        WalkEntries(root, text, [&](PhraseEntry* e, const std::u16string& t) { visit(t, *e); },
                    [](PhraseNode*) { return true; });
    }
}

void PhraseDictionary::SetLoadedNotice(std::function<void(const LoadReport&)> notice) {
    loadedNotice_ = std::move(notice);
}

bool PhraseDictionary::StartLoading(const std::u16string& path) {
    Impl& d = *impl_;
    // A load still running reads a file that is about to be replaced (a
    // restore while the start-up load runs): stopped, it leaves the
    // dictionary unloaded, and the new file is read instead. Left to run,
    // it would be the dictionary the save at exit writes over the new file.
    d.loader->Stop();
    // Until the new load has read the file, what the dictionary holds is not
    // to be saved over it.
    loaded_.store(false, std::memory_order_release);
    d.loader->SetPath(path);
    d.loader->Start(ThreadPriority::Normal);
    return true;
}

}  // namespace kx
