// A file seam that passes every call to another one, except that it fails
// the Nth fallible step (opening, reading, mapping, flushing, unmapping,
// setting attributes, deleting, renaming) and can answer a number of opens with a
// sharing violation. Tests use it to break a save at every step in turn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_mapping.h"

namespace kx {

class FaultyFileMapping final : public FileMapping {
public:
    explicit FaultyFileMapping(FileMapping& inner) : inner_(inner) {}

    // Fails step number `step` (counting from 1) and no other; 0 fails none.
    // Resets the count and the log.
    void FailAt(uint32_t step);
    // The next `opens` opens fail with a sharing violation (not counted as steps).
    void ShareViolations(uint32_t opens) { sharingLeft_ = opens; }
    // Overrides the granularity the inner seam reports; 0 keeps it.
    void SetGranularity(uint32_t g) { granularity_ = g; }

    uint32_t Steps() const { return steps_; }
    // The steps taken, by name ("open", "read", "map", "flush", "unmap", "attributes",
    // "delete", "rename"), the failed one marked with a '!'.
    const std::vector<std::string>& Log() const { return log_; }
    uint32_t OpenAttempts() const { return openAttempts_; }

    uint32_t AllocationGranularity() override;
    std::unique_ptr<OpenFile> Open(std::u16string_view path, FileAccess access, FileShare share,
                                   FileDisposition disposition, FileError& error) override;
    bool Exists(std::u16string_view path) override { return inner_.Exists(path); }
    bool SetNormalAttributes(std::u16string_view path) override;
    bool Delete(std::u16string_view path) override;
    bool Rename(std::u16string_view from, std::u16string_view to) override;

    // Counts one step; false when it is the one to fail.
    bool Step(const char* name);

private:
    FileMapping& inner_;
    uint32_t failAt_ = 0;
    uint32_t steps_ = 0;
    uint32_t sharingLeft_ = 0;
    uint32_t openAttempts_ = 0;
    uint32_t granularity_ = 0;
    std::vector<std::string> log_;
};

}  // namespace kx
