// What the database reader and writer work with: the file seam, the clock for
// open retries, the wait cursor, and the builders of the "HTML Format" clips.
#pragma once

#include "core/shortcut_store.h"
#include "platform/busy_cursor.h"
#include "platform/clock.h"
#include "platform/file_mapping.h"

namespace kx {

// Results of ShortcutStore::Load.
inline constexpr int LoadOk = 1;
inline constexpr int LoadFailed = -1;
inline constexpr int LoadCorrupt = -2;
// The file is larger than the load's cap (DatabaseIo::maxFileBytes); it was
// not read.
inline constexpr int LoadTooLarge = -3;

// The cap on a shared file: anyone who can write it decides its size, and
// every user's program reads all of it into memory.
inline constexpr uint64_t kMaxSharedFileBytes = uint64_t(64) << 20;

// Derives a rich-text entry's htmlClip from its RTF while a store loads. A
// builder that fails leaves htmlClip empty; the load goes on. Pictures get
// theirs only when they are expanded into a browser: decoding one is the
// image codec's work on data that a shared file may have chosen, and no
// load should do it for every picture in the file.
class ClipBuilder {
public:
    virtual ~ClipBuilder() = default;
    virtual bool BuildRich(ShortcutEntry& entry) = 0;
};

struct DatabaseIo {
    FileMapping& files;
    Clock& clock;
    ClipBuilder* clips = nullptr;   // null: htmlClip stays empty
    BusyCursor* cursor = nullptr;   // null: no wait cursor
    uint64_t maxFileBytes = 0;      // larger files are LoadTooLarge; 0: no cap
};

// The running system's files and clock.
inline DatabaseIo SystemDatabaseIo(ClipBuilder* clips = nullptr, BusyCursor* cursor = nullptr) {
    return DatabaseIo{SystemFileMapping(), SystemClock(), clips, cursor};
}

// The name of the copy a save keeps of the previous file until the new one
// is complete: "%s.TEMP".
std::u16string SavedCopyPath(std::u16string_view path);

}  // namespace kx
