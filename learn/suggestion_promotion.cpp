#include "learn/suggestion_promotion.h"

#include <memory>
#include <unordered_set>
#include <vector>

#include "base/text.h"
#include "learn/phrase_node.h"
#include "platform/file_mapping.h"
#include "platform/stream_file.h"

namespace kx {
namespace {

// Enough bytes for kSuggestionLineUnits units of UTF-8 whatever they are:
// longer lines are cut anyway, so the rest of one is not kept.
constexpr size_t kLineBytes = 4 * kSuggestionLineUnits;

bool EndsLikeSentence(char16_t c) { return c == u'.' || c == u'?' || c == u',' || c == u'!'; }

int64_t CountOf(const PhraseStats& s) { return int64_t(s.accepted) + int64_t(s.typedCount); }

// One line of the file as the merge reads it: without its CR LF, decoded,
// and cut to kSuggestionLineUnits units (never between a surrogate pair).
std::u16string DecodeLine(std::string& bytes, bool first) {
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    // A file saved by an editor may start with a byte-order mark.
    if (first && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::u16string line = Utf8ToUtf16(bytes);
    if (line.size() > kSuggestionLineUnits) {
        line.resize(kSuggestionLineUnits);
        if (line.back() >= 0xD800 && line.back() <= 0xDBFF) line.pop_back();
    }
    return line;
}

// The first kSuggestionFileLines lines of the file; false on a read error.
bool ReadLines(StreamFile& file, std::vector<std::u16string>& lines) {
    std::vector<char> buffer(1u << 16);
    std::string bytes;
    bool ended = true;  // the last line read ended with a line feed
    while (lines.size() < kSuggestionFileLines) {
        size_t got = 0;
        if (!file.Read(buffer.data(), buffer.size(), got)) return false;
        if (got == 0) break;
        for (size_t i = 0; i < got && lines.size() < kSuggestionFileLines; ++i) {
            const char c = buffer[i];
            ended = c == '\n';
            if (ended) {
                lines.push_back(DecodeLine(bytes, lines.empty()));
                bytes.clear();
            } else if (bytes.size() < kLineBytes) {
                bytes.push_back(c);
            }
        }
    }
    if (!ended && lines.size() < kSuggestionFileLines) lines.push_back(DecodeLine(bytes, lines.empty()));
    return true;
}

}  // namespace

bool QualifiesForSuggestion(std::u16string_view phrase, const PhraseStats& stats) {
    if (stats.suggestable != 1 || phrase.empty()) return false;
    const size_t length = phrase.size();
    const int64_t count = CountOf(stats);
    if (length >= 18 && count >= 3 && EndsLikeSentence(phrase.back())) return true;
    return length >= 50 && count >= 10;
}

void PromoteWhileSaving(std::u16string_view phrase, PhraseEntry& entry, CandidateList& promoted) {
    if (!QualifiesForSuggestion(phrase, entry.stats)) return;
    entry.stats.suggestable = 0;
    CompletionCandidate c;
    c.phrase = std::u16string(phrase);
    c.score = CountOf(entry.stats);
    InsertByScore(promoted, std::move(c));
}

bool UpdateSuggestionFile(std::u16string_view path, CandidateList promoted, const LockedStatsLookup& find) {
    FileMapping& files = SystemFileMapping();
    FileError error = FileError::None;
    // Opened for writing too, and created when missing, so that a file this
    // save could not replace is found before anything is read or deleted.
    if (!files.Open(path, FileAccess::ReadWrite, FileShare::Read, FileDisposition::OpenAlways, error)) return false;
    std::vector<std::u16string> lines;
    {
        std::unique_ptr<StreamFile> file = OpenStreamFile(path, StreamMode::Read, error);
        if (!file || !ReadLines(*file, lines)) return false;
        file->Close();
    }

    CandidateList list = std::move(promoted);
    std::unordered_set<std::u16string> listed;
    for (const CompletionCandidate& c : list) listed.insert(c.phrase);
    for (std::u16string& line : lines) {
        // An empty line suggests nothing, and a phrase listed twice would be
        // offered twice.
        if (line.empty() || !listed.insert(line).second) continue;
        PhraseStats stats;
        CompletionCandidate c;
        c.score = find && find(line, stats) ? CountOf(stats) : 0;
        c.phrase = std::move(line);
        InsertByScore(list, std::move(c));
    }

    std::string out;
    for (size_t i = 0; i < list.size() && i < kSuggestionFileLines; ++i) {
        out += Utf16ToUtf8(list[i].phrase);
        out += "\r\n";
    }
    if (files.Exists(path) && !files.Delete(path)) return false;
    std::unique_ptr<StreamFile> file = OpenStreamFile(path, StreamMode::Create, error);
    if (!file) return false;
    const bool written = file->Write(out.data(), out.size());
    return file->Close() && written;
}

void SuggestionPromotion::Attach(SaveControl& control) {
    control.beforeEntry = [this](std::u16string_view phrase, PhraseEntry& entry) {
        PromoteWhileSaving(phrase, entry, promoted_);
    };
    control.afterWalk = [this](const LockedStatsLookup& find) {
        UpdateSuggestionFile(path_, std::move(promoted_), find);
        promoted_.clear();
    };
}

}  // namespace kx
