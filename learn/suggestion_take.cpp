#include "learn/suggestion_take.h"

#include <memory>

#include "base/text.h"
#include "core/file_paths.h"
#include "platform/stream_file.h"

namespace kx {
namespace {

// Splits the file into lines ending in LF (a CR before it belongs to the
// ending) and hands each to `take` until it has had `limit` of them. A last
// line without an ending counts when it is not empty. False on a read error.
template <typename Take>
bool ReadLines(StreamFile& file, size_t limit, Take take) {
    constexpr size_t kBlock = 64 * 1024;
    std::unique_ptr<char[]> block(new char[kBlock]);
    std::string line;
    size_t count = 0;
    auto finish = [&] {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        take(line);
        line.clear();
        return ++count < limit;
    };
    for (;;) {
        size_t got = 0;
        if (!file.Read(block.get(), kBlock, got)) return false;
        if (got == 0) break;
        for (size_t i = 0; i < got; ++i) {
            if (block[i] != '\n') {
                line.push_back(block[i]);
                continue;
            }
            if (!finish()) return true;
        }
    }
    if (!line.empty()) finish();
    return true;
}

}  // namespace

std::vector<std::u16string> TakePendingSuggestions(FileSystem& fs, std::u16string_view folder) {
    const std::u16string path = JoinPath(folder, kSuggestionFileName);
    const std::u16string tempPath = JoinPath(folder, kSuggestionTempName);
    // A temporary file left by an earlier run that ended half-way.
    if (fs.IsFile(tempPath)) fs.Remove(tempPath);

    FileError error = FileError::None;
    std::unique_ptr<StreamFile> file = OpenStreamFile(path, StreamMode::Read, error);
    if (!file) return {};
    std::unique_ptr<StreamFile> temp = OpenStreamFile(tempPath, StreamMode::Create, error);
    if (!temp) return {};

    std::vector<std::u16string> shown;
    std::string kept;
    size_t number = 0;
    const bool read = ReadLines(*file, kSuggestionFileLines, [&](const std::string& line) {
        if (++number <= kSuggestionsShown && !line.empty()) {
            shown.emplace_back(CutToField(Utf8ToUtf16(line)));
            return;
        }
        // Copied as read: the bytes of a line we do not show are not ours to
        // re-encode.
        kept += line;
        kept += "\r\n";
    });
    file.reset();
    const bool written = read && temp->Write(kept.data(), kept.size());
    const bool closed = temp->Close() && written;
    temp.reset();
    if (!closed || fs.MoveReplacing(tempPath, path) != FileError::None) {
        // The suggestion file keeps every line; they come out another time.
        fs.Remove(tempPath);
        return {};
    }
    return shown;
}

}  // namespace kx
