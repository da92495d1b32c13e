// The learning dictionary as the Auto Complete window uses it.
#pragma once

#include "app/autocomplete/ac_dictionary.h"
#include "learn/phrase_dictionary.h"

namespace kx {

class PhraseDictionaryPort final : public AcDictionary {
public:
    explicit PhraseDictionaryPort(PhraseDictionary& d) : d_(d) {}

    bool TakeCandidates(std::vector<AcCandidate>& out) override {
        out.clear();
        if (!d_.CandidatesReady()) return false;
        CandidateList list;
        d_.TakeCandidates(list);
        for (const CompletionCandidate& c : list) {
            AcCandidate a;
            a.typedText = c.typedText;
            a.phrase = c.phrase;
            a.firstSeen = c.firstSeen;
            a.lastSeen = c.lastSeen;
            a.accepted = c.accepted;
            a.impressions = c.impressions;
            a.typedCount = c.typedCount;
            a.suggestable = c.suggestable;
            out.push_back(std::move(a));
        }
        return true;
    }
    std::u16string GetCurrentLine() override {
        std::u16string line;
        d_.GetCurrentLine(line);
        return line;
    }
    void ClearTypingRing() override { d_.ClearTypingRing(); }
    void FeedTypedUnit(char16_t unit) override { d_.FeedTypedUnit(unit); }
    bool CountAccepted(const std::u16string& phrase) override { return d_.CountAccepted(phrase); }
    bool CountImpression(const std::u16string& phrase) override { return d_.CountImpression(phrase); }
    bool RaiseConfidence(const std::u16string& phrase, size_t typedLength) override {
        return d_.RaiseConfidence(phrase, uint32_t(typedLength));
    }
    bool LowerConfidence(const std::u16string& phrase, size_t typedLength) override {
        return d_.LowerConfidence(phrase, uint32_t(typedLength));
    }
    bool RemovePhrase(const std::u16string& phrase) override { return d_.RemovePhrase(phrase); }
    bool RenamePhrase(const std::u16string& from, const std::u16string& to) override {
        return d_.RenamePhrase(from, to);
    }
    void SetFeedingPaused(bool paused) override { d_.SetFeedingPaused(paused); }

private:
    PhraseDictionary& d_;
};

}  // namespace kx
