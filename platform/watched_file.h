// The seam of the shared file's watcher: change notices for the file's
// folder, and the file's time stamp. Windows: ReadDirectoryChangesW and
// GetFileAttributesExW (platform/win32/watched_file_win32.cpp). Tests drive
// a scripted one on a fake clock.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace kx {

// What the file system reports of a file without opening it; all zero when
// the file cannot be found.
struct FileStamp {
    uint64_t writeTime = 0;
    uint64_t size = 0;
    bool operator==(const FileStamp&) const = default;
};

enum class FolderNotice : uint8_t {
    Quiet,    // the time ran out
    Changed,  // the file changed, or may have (the system lost count of the changes)
    Lost,     // the notices stopped (the server went away); Arm again later
    Woken,    // Wake was called
};

class WatchedFile {
public:
    virtual ~WatchedFile() = default;
    // Starts (or starts again) the notices for the file's folder. False when
    // the folder gives none; Wait then only waits.
    virtual bool Arm() = 0;
    // Waits up to `ms` for a notice about the file or for Wake.
    virtual FolderNotice Wait(uint32_t ms) = 0;
    // Ends the present Wait and every later one at once. Any thread may call it.
    virtual void Wake() = 0;
    // Asks the file system (on a share: the server) for the stamp.
    virtual FileStamp Stamp() = 0;
};

// The running system's watch of `path` (Windows builds only). Null when it
// cannot be made.
std::unique_ptr<WatchedFile> WatchFile(std::u16string_view path);

}  // namespace kx
