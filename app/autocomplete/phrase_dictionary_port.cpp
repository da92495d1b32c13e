#include "app/autocomplete/phrase_dictionary_port.h"

namespace kx {

bool PhraseDictionaryPort::TakeCandidates(std::vector<AcCandidate>& out) {
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

std::u16string PhraseDictionaryPort::GetCurrentLine() {
    std::u16string line;
    d_.GetCurrentLine(line);
    return line;
}

}  // namespace kx
