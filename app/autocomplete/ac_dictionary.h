// What the Auto Complete window asks of the learning dictionary, as a small
// seam: the window's rules can then be exercised with a recording fake, and
// the window does not depend on how the dictionary stores its phrases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

// One completion as the window shows it: a copy of the dictionary's
// candidate record.
struct AcCandidate {
    std::u16string typedText;  // the text that was searched for
    std::u16string phrase;     // the whole stored phrase
    uint32_t firstSeen = 0, lastSeen = 0, accepted = 0, impressions = 0, typedCount = 0;
    uint8_t suggestable = 1;
};

class AcDictionary {
public:
    virtual ~AcDictionary() = default;
    // The search's latest result, best first; clears the dictionary's
    // "candidates ready" flag. False when no new result was waiting.
    virtual bool TakeCandidates(std::vector<AcCandidate>& out) = 0;
    virtual std::u16string GetCurrentLine() = 0;
    virtual void ClearTypingRing() = 0;
    virtual void FeedTypedUnit(char16_t unit) = 0;
    virtual bool CountAccepted(const std::u16string& phrase) = 0;
    virtual bool CountImpression(const std::u16string& phrase) = 0;
    virtual bool RaiseConfidence(const std::u16string& phrase, size_t typedLength) = 0;
    virtual bool LowerConfidence(const std::u16string& phrase, size_t typedLength) = 0;
    virtual bool RemovePhrase(const std::u16string& phrase) = 0;
    virtual bool RenamePhrase(const std::u16string& from, const std::u16string& to) = 0;
    virtual void SetFeedingPaused(bool paused) = 0;
};

// Types a phrase's remaining text into the application that was typed in,
// over the `replaceCount` characters typed after the searched text.
class AcOutput {
public:
    virtual ~AcOutput() = default;
    virtual bool InsertPhrase(const std::u16string& text, unsigned replaceCount) = 0;
};

}  // namespace kx
