// The file-system seam for folders and whole files: what the data folders,
// the groups and the shared file need beyond the mapped database files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_mapping.h"

namespace kx {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool IsFolder(std::u16string_view path) = 0;
    // Exists and is not a folder.
    virtual bool IsFile(std::u16string_view path) = 0;
    // Creates one folder level; its parent must exist.
    virtual bool MakeFolder(std::u16string_view path) = 0;
    // Copies a whole file; with `replace` false an existing target makes it fail.
    virtual bool Copy(std::u16string_view from, std::u16string_view to, bool replace) = 0;
    // Names (not paths) of the files, not folders, directly in `folder`.
    virtual std::vector<std::u16string> ListFiles(std::u16string_view folder) = 0;
    // Names of the folders directly in `folder`, without "." and "..".
    virtual std::vector<std::u16string> ListFolders(std::u16string_view folder) = 0;
    // The size in bytes of an existing file.
    virtual bool FileSize(std::u16string_view path, uint64_t& bytes) = 0;
    virtual bool Remove(std::u16string_view path) = 0;
    // The file's last write, in seconds on the clock of the machine that
    // holds it (the file server's for a share): compare only with the times
    // of other files in the same place.
    virtual bool LastWriteTime(std::u16string_view path, int64_t& seconds) = 0;
    // Moves `from` onto `to` in one step, replacing `to`: a reader opening
    // `to` meanwhile finds either the old or the new file, never none.
    // Fails with SharingViolation or AccessDenied while another process has
    // `to` open.
    virtual FileError MoveReplacing(std::u16string_view from, std::u16string_view to) = 0;
    // Creates a new empty file named "kx" + a few letters or digits + ".tmp"
    // in `folder` and returns its path; empty on failure.
    virtual std::u16string MakeUniqueFile(std::u16string_view folder) = 0;
};

// The running system's file system.
FileSystem& SystemFileSystem();

}  // namespace kx
