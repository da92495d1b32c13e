// The file seam for database files: opening, reading, mapping views, and the
// few path operations the database writer needs to replace a file safely.
//
// The Windows implementation sits on CreateFileW / CreateFileMappingW /
// MapViewOfFile; the POSIX one on open / mmap. Tests wrap either in a fake
// that fails a chosen step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kx {

enum class FileAccess : uint8_t { Read, ReadWrite };
// Which other opens of the same file are allowed while this one is open.
enum class FileShare : uint8_t { None, Read, ReadWrite };
enum class FileDisposition : uint8_t {
    OpenExisting,  // fail when the file is missing
    OpenAlways,    // open it, or create it when missing
};
enum class FileError : uint8_t { None, NotFound, SharingViolation, AccessDenied, Other };

// One mapped view. Destroying it unmaps it if Unmap was not called.
class FileView {
public:
    virtual ~FileView() = default;
    uint8_t* Data() const { return data_; }
    uint64_t Size() const { return size_; }
    // Unmaps the view and closes its mapping; reports whether both succeeded.
    // A second call does nothing and returns true.
    virtual bool Unmap() = 0;

protected:
    uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
};

// One open file. Destroying it closes the handle.
class OpenFile {
public:
    virtual ~OpenFile() = default;
    virtual bool Size(uint64_t& out) = 0;
    // Writes the file's buffers (and any mapped pages) through to the disk.
    virtual bool Flush() = 0;
    // Reads up to `size` bytes at `offset` into `buffer`; `got` is 0 at the
    // end of the file. False on a read error, which a file on a server that
    // went away reports here, where a mapped view would fault instead.
    virtual bool Read(uint64_t offset, void* buffer, size_t size, size_t& got) = 0;
    // Creates a mapping of the larger of the file's size and `size` (so a
    // larger size grows the file) and maps a view of `size`
    // bytes, or of the whole file when `size` is 0. Writable views need a
    // file opened for ReadWrite. Returns null on failure.
    virtual std::unique_ptr<FileView> Map(uint64_t size) = 0;
    // Whether the bytes by which Map grows the file are sure to read as zero
    // without being written. POSIX promises it for ftruncate; Windows leaves
    // the new bytes to the file system, so callers that need zeros write them.
    virtual bool GrowsWithZeros() const { return false; }
    // Starts writing bytes changed through a view to the disk without waiting
    // for them, so that a later Flush has less left to wait for. Only a hint.
    virtual void StartWriteBack(uint64_t offset, uint64_t bytes) { (void)offset, (void)bytes; }
};

class FileMapping {
public:
    virtual ~FileMapping() = default;
    // The granularity that mapping sizes are built from. Always 65,536 on
    // POSIX so that a file written there matches one written on Windows.
    virtual uint32_t AllocationGranularity() = 0;
    // Opens with normal attributes. On failure returns null and sets `error`.
    virtual std::unique_ptr<OpenFile> Open(std::u16string_view path, FileAccess access, FileShare share,
                                           FileDisposition disposition, FileError& error) = 0;
    virtual bool Exists(std::u16string_view path) = 0;
    // Clears read-only and the other attributes.
    virtual bool SetNormalAttributes(std::u16string_view path) = 0;
    virtual bool Delete(std::u16string_view path) = 0;
    // Fails when `to` exists already, as MoveFileW does.
    virtual bool Rename(std::u16string_view from, std::u16string_view to) = 0;
};

// The running system's files.
FileMapping& SystemFileMapping();

}  // namespace kx
