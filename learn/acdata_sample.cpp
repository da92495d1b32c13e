#include "learn/acdata_sample.h"

#include <random>

#include "base/text.h"
#include "learn/phrase_dictionary.h"

namespace kx {

namespace {

const char* const kWords[] = {
    "the", "be", "to", "of", "and", "a", "in", "that", "have", "I", "it", "for", "not", "on", "with", "he", "as",
    "you", "do", "at", "this", "but", "his", "by", "from", "they", "we", "say", "her", "she", "or", "an", "will",
    "my", "one", "all", "would", "there", "their", "what", "so", "up", "out", "if", "about", "who", "get", "which",
    "go", "me", "when", "make", "can", "like", "time", "no", "just", "him", "know", "take", "people", "into",
    "year", "your", "good", "some", "could", "them", "see", "other", "than", "then", "now", "look", "only", "come",
    "its", "over", "think", "also", "back", "after", "use", "two", "how", "our", "work", "first", "well", "way",
    "even", "new", "want", "because", "any", "these", "give", "day", "most", "us", "meeting", "thanks", "regards",
    "please", "attached", "report", "project", "customer", "invoice", "schedule", "tomorrow", "morning",
    "afternoon", "colleagues", "question", "answer", "soon", "order", "delivery", "price", "contract", "review",
    "update", "office", "team", "manager", "weekend", "holiday", "document", "version", "release", "budget",
    "quarter", "figures", "sales", "support", "service", "account", "payment", "address", "number", "email",
    "letter", "phone", "call", "week", "month", "details", "information", "request", "approval", "change"};

}  // namespace

std::vector<std::u16string> GeneratedPhrases(size_t count, uint32_t seed) {
    const size_t n = sizeof kWords / sizeof kWords[0];
    std::vector<double> weights(n);
    for (size_t k = 0; k < n; ++k) weights[k] = 1.0 / double(k + 1);
    std::mt19937 rng(seed);
    std::discrete_distribution<size_t> word(weights.begin(), weights.end());
    std::uniform_int_distribution<int> length(2, 8);
    std::vector<std::u16string> out;
    out.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        std::string p;
        for (int w = length(rng); w > 0; --w) {
            if (!p.empty()) p += ' ';
            p += kWords[word(rng)];
        }
        if (rng() % 4 == 0) p += '.';
        out.push_back(Utf8ToUtf16(p));
    }
    return out;
}

void FillToMemoryLimit(PhraseDictionary& d) {
    std::mt19937 rng(7);
    uint32_t seed = 1;
    while (d.MemoryUsed() < d.MemoryLimit())
        for (const std::u16string& p : GeneratedPhrases(10000, seed++))
            d.SetPhraseStats(p, rng() % 3, 0, 0, rng() % 50, 1);
}

}  // namespace kx
