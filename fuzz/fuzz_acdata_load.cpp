// Feeds arbitrary bytes to the phrase file's loader as the contents of
// "acdata.txt". A file that loads is saved and loaded again, and must come
// back with the same counter, phrases, statistics and confidence bytes.
//
// The seeds in fuzz/corpus/acdata are small files in our writer's form.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "learn/phrase_dictionary.h"

namespace {

struct Seen {
    kx::PhraseStats stats;
    std::vector<uint8_t> confidence;
    bool operator==(const Seen& o) const {
        return stats.accepted == o.stats.accepted && stats.firstSeen == o.stats.firstSeen &&
               stats.lastSeen == o.stats.lastSeen && stats.impressions == o.stats.impressions &&
               stats.typedCount == o.stats.typedCount && stats.suggestable == o.stats.suggestable &&
               confidence == o.confidence;
    }
};

std::map<std::u16string, Seen> Entries(kx::PhraseDictionary& d) {
    std::map<std::u16string, Seen> out;
    d.ForEachEntry([&](std::u16string_view p, const kx::PhraseEntry& e) {
        out[std::u16string(p)] = {e.stats, std::vector<uint8_t>(e.confidence.get(), e.confidence.get() + e.confidenceCount)};
    });
    return out;
}

std::string Folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/kx-fuzz-acdata.XXXXXX";
        const char* made = ::mkdtemp(name);
        if (!made) std::abort();
        return std::string(made) + "/";
    }();
    return folder;
}

kx::DictionaryOptions Options() {
    kx::DictionaryOptions o;
    o.startWorkers = false;
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = Folder() + "acdata.txt";
    const std::string saved = Folder() + "acdataTEMP.txt";
    if (FILE* f = std::fopen(input.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        std::abort();
    }
    kx::PhraseDictionary first(Options());
    first.LoadFile(kx::Utf8ToUtf16(input));
    if (!first.Loaded()) std::abort();  // a file that exists always loads what it can
    if (first.Save(kx::Utf8ToUtf16(saved)) != kx::SaveResult::Saved) std::abort();
    kx::PhraseDictionary second(Options());
    second.LoadFile(kx::Utf8ToUtf16(saved));
    if (!second.Loaded() || second.KeystrokeCounter() != first.KeystrokeCounter()) std::abort();
    if (Entries(first) != Entries(second)) std::abort();
    if (second.PhraseCount() != first.PhraseCount()) std::abort();
    return 0;
}
