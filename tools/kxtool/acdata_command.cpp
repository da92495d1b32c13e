// kxtool acdata dump FILE: the phrases of a phrase file with their
// statistics, read as the program reads the file at start-up.
// kxtool acdata sample FILE: a phrase file at the memory cap.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/text.h"
#include "learn/acdata_sample.h"
#include "learn/phrase_dictionary.h"
#include "platform/file_mapping.h"
#include "tools/kxtool/commands.h"
#include "tools/kxtool/raw_output.h"

namespace kx {

namespace {

// Tabs and line breaks inside a phrase would break the columns.
std::string Escaped(std::u16string_view phrase) {
    std::string out;
    for (char c : Utf16ToUtf8(phrase)) {
        if (c == '\t') out += "\\t";
        else if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

// The phrase file of a dictionary filled to the 100 MiB cap, whatever this
// machine's address space: the same file everywhere.
int WriteSample(const std::u16string& path) {
    DictionaryOptions options;
    options.startWorkers = false;
    options.totalVirtual = 0x7FFFFFFE0000ull;
    PhraseDictionary d(options);
    FillToMemoryLimit(d);
    // Loading a file that is not there marks the dictionary loaded and keeps
    // what it holds, so that it may be saved.
    FileMapping& files = SystemFileMapping();
    if (files.Exists(path)) files.Delete(path);
    d.LoadFile(path);
    if (d.Save(path) != SaveResult::Saved) {
        std::fprintf(stderr, "kxtool acdata: cannot write %s\n", Utf16ToUtf8(path).c_str());
        return 1;
    }
    std::printf("%u phrases\n", d.PhraseCount());
    return 0;
}

}  // namespace

int RunAcdataCommand(int argc, char** argv) {
    const bool dump = argc == 2 && std::strcmp(argv[0], "dump") == 0;
    if (argc == 2 && std::strcmp(argv[0], "sample") == 0) return WriteSample(Utf8ToUtf16(argv[1]));
    if (!dump) {
        std::fprintf(stderr, "usage: kxtool acdata dump FILE | kxtool acdata sample FILE\n");
        return 2;
    }
    const std::u16string path = Utf8ToUtf16(argv[1]);
    if (!SystemFileMapping().Exists(path)) {
        std::fprintf(stderr, "kxtool acdata: %s: no such file\n", argv[1]);
        return 1;
    }
    DictionaryOptions options;
    options.startWorkers = false;
    PhraseDictionary d(options);
    d.LoadFile(path);
    if (!d.Loaded()) {
        std::fprintf(stderr, "kxtool acdata: %s: cannot be read\n", argv[1]);
        return 1;
    }
    std::string out = "keystrokeCounter\t" + std::to_string(d.KeystrokeCounter()) + "\n";
    out += "phrases\t" + std::to_string(d.PhraseCount()) + "\n";
    out += "memoryUsed\t" + std::to_string(d.MemoryUsed()) + "\n";
    out += "phrase\taccepted\ttypedCount\timpressions\tfirstSeen\tlastSeen\tsuggestable\tconfidence\n";
    d.ForEachEntry([&](std::u16string_view phrase, const PhraseEntry& e) {
        const PhraseStats& s = e.stats;
        out += Escaped(phrase);
        for (uint32_t v : {s.accepted, s.typedCount, s.impressions, s.firstSeen, s.lastSeen, uint32_t(s.suggestable)})
            out += "\t" + std::to_string(v);
        out += "\t";
        for (uint32_t k = 0; k < e.confidenceCount; ++k) {
            if (k) out += ',';
            out += std::to_string(e.confidence[k]);
        }
        out += "\n";
    });
    return WriteRawToStdout(out, "acdata") ? 0 : 1;
}

}  // namespace kx
