// The file seam for files read or written front to back through a buffer of
// the caller's: the phrase file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/file_mapping.h"

namespace kx {

class StreamFile {
public:
    virtual ~StreamFile() = default;
    // Up to `size` bytes; 0 at the end. False on a read error.
    virtual bool Read(void* buffer, size_t size, size_t& got) = 0;
    // All `size` bytes, or false.
    virtual bool Write(const void* data, size_t size) = 0;
    // Closes the file; false when the last writes could not be completed.
    virtual bool Close() = 0;
};

enum class StreamMode : uint8_t {
    Read,    // an existing file
    Create,  // a new file; fails when one exists
};

// Null on failure, with `error` saying why.
std::unique_ptr<StreamFile> OpenStreamFile(std::u16string_view path, StreamMode mode, FileError& error);

// The total virtual address space of the process, as the system's memory
// status reports it.
uint64_t TotalVirtualBytes();

}  // namespace kx
