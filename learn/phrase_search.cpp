// The completion searcher's pass, its score, and the maintainer's pruning.
#include <algorithm>

#include "base/text.h"
#include "learn/phrase_dictionary_impl.h"

namespace kx {

bool PhraseDictionary::Impl::IsStale(const PhraseEntry& e) const {
    if (e.stats.accepted != 0) return false;
    return int64_t(e.stats.impressions) > int64_t(removeImpressions) ||
           int64_t(uint32_t(keystrokeCounter - e.stats.lastSeen)) >= int64_t(removeKeystrokes);
}

namespace {

bool EndsSentence(char16_t u) { return u == u'.' || u == u'?' || u == u'!'; }

int64_t Score(const std::u16string& phrase, size_t typedLength, const PhraseEntry& e, uint8_t confidence) {
    const int64_t P = int64_t(typedLength), L = int64_t(phrase.size());
    const int64_t base = 2 * int64_t(e.stats.accepted) + int64_t(e.stats.typedCount) - (P < 16 ? 1 : 0);
    int64_t span = 2 * (L - P) * (P - 2);
    if (span < 50) span = 0;
    const bool quoted = phrase.size() >= 2 && phrase.front() == u'"' && phrase.back() == u'"';
    if (EndsSentence(phrase.back()) || quoted) span *= 2;
    return int64_t(confidence) * span * base;
}

}  // namespace

void PhraseDictionary::Impl::Search(std::u16string_view text) {
    if (text.size() > ringSize) text = text.substr(0, ringSize);
    PhraseNode* start = trie.Walk(text);
    if (!start) return;
    std::vector<PhraseEntry*> stale;
    std::u16string walked(text);
    WalkEntries(
        start, walked,
        [&](PhraseEntry* e, const std::u16string& phrase) {
            CompletionCandidate c;
            c.typedText.assign(text);
            c.phrase = phrase;
            c.firstSeen = e->stats.firstSeen;
            c.lastSeen = e->stats.lastSeen;
            c.accepted = e->stats.accepted;
            c.impressions = e->stats.impressions;
            c.typedCount = e->stats.typedCount;
            c.confidence = text.size() >= 1 && text.size() <= e->confidenceCount ? e->confidence[text.size() - 1] : 100;
            c.entry = e;
            c.suggestable = 1;
            c.score = Score(phrase, text.size(), *e, c.confidence);
            // A phrase inside a better one of equal use adds nothing; a
            // shorter one that the new phrase extends gives way to it.
            for (auto it = candidates.begin(); it != candidates.end(); ++it) {
                if (it->typedCount != c.typedCount) continue;
                if (it->phrase.find(c.phrase) != std::u16string::npos && c.score < 4 * it->score) {
                    c.score = 0;
                    break;
                }
                if (c.phrase.starts_with(it->phrase) && it->score < 4 * c.score) {
                    candidates.erase(it);
                    break;
                }
            }
            if (IsStale(*e)) {
                stale.push_back(e);
                return;
            }
            if (c.score > 5000) InsertByScore(candidates, std::move(c));
        },
        [](PhraseNode*) { return true; });
    for (PhraseEntry* e : stale) RemoveEntry(e);
}

void PhraseDictionary::SearchPass() {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    if (!d.typingRing.changed || SearchSuspended()) return;
    d.candidates.clear();
    const PhraseRing& r = d.typingRing;
    const char16_t last = r.slots[r.Before(r.index)];
    const char16_t before = r.slots[r.Before(r.Before(r.index))];
    const bool sentenceEnd = EndsSentence(last) || last == u'\n';
    const bool afterSentence = last == u' ' && (before == u'!' || before == u'?' || before == u'\n');
    if (!sentenceEnd && !afterSentence) {
        std::u16string text(TrimLeadingBlanks(r.CurrentLine()));
        while (true) {
            if (!text.empty()) d.Search(text);
            if (text.size() < d.minLength || !DropFirstWord(text)) break;
        }
    }
    d.typingRing.changed = false;
    d.candidatesReady = true;
}

void PhraseDictionary::Impl::CollectAll(std::vector<PhraseEntry*>& out) {
    std::u16string text;
    for (PhraseNode* root : trie.Roots()) {
        if (root->unit == 0) continue;
        text.assign(1, root->unit);
        WalkEntries(
            root, text,
            [&](PhraseEntry* e, const std::u16string&) {
                if (!IsStale(*e)) out.push_back(e);
            },
            [](PhraseNode*) { return true; });
    }
}

void PhraseDictionary::MaintenancePass() {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    if (d.memoryUsed < d.memoryLimit) return;
    std::vector<PhraseEntry*> entries;
    d.CollectAll(entries);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const PhraseEntry* a, const PhraseEntry* b) { return a->stats.lastSeen < b->stats.lastSeen; });
    const uint64_t reserve = uint64_t(0.3 * double(d.memoryLimit));
    for (PhraseEntry* e : entries) {
        if (uint64_t(d.memoryUsed) + reserve < d.memoryLimit) break;
        d.RemoveEntry(e);
    }
}

void InsertByScore(CandidateList& list, CompletionCandidate candidate) {
    auto at = std::find_if(list.begin(), list.end(),
                           [&](const CompletionCandidate& c) { return c.score <= candidate.score; });
    list.insert(at, std::move(candidate));
}

uint32_t MemoryLimitFor(int32_t position, uint64_t totalVirtual) {
    const double bytes = double(position) * 0.01 * double(uint32_t(totalVirtual));
    if (bytes <= 0) return 0;
    return bytes >= double(kMemoryLimitCap) ? kMemoryLimitCap : uint32_t(bytes);
}

}  // namespace kx
