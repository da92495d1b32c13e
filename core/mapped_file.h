// An open file with at most one mapped view: what the database writer holds
// while it works; and the open with retry that the reader shares.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/clock.h"
#include "platform/file_mapping.h"

namespace kx {

struct MappedFile {
    std::unique_ptr<OpenFile> file;
    std::unique_ptr<FileView> view;
    FileAccess access = FileAccess::Read;

    uint8_t* Data() const { return view ? view->Data() : nullptr; }
    uint64_t Size() const { return view ? view->Size() : 0; }

    // Maps a view of `size` bytes (the whole file for 0), first growing the
    // file to `size` when it is smaller. False when there is no view after.
    bool Map(uint64_t size);
    // Unmaps the view and closes its mapping; whether both succeeded.
    bool Unmap();
};

// Opens like CreateFileW with normal attributes, retrying while another
// process holds the file with a sharing conflict: the first wait is
// (budget + 127) / 128 ms, each next one twice the last, and a wait is taken
// only while the budget left exceeds it. Any other error gives up at once.
std::unique_ptr<OpenFile> OpenWithRetry(FileMapping& files, Clock& clock, std::u16string_view path,
                                        FileAccess access, FileShare share, FileDisposition disposition,
                                        uint32_t budgetMs, FileError* lastError = nullptr);

}  // namespace kx
