// Keeping a damaged shortcut file: the program loads such a file as empty,
// and the next save of that group (or of the shared file) writes over it. A
// copy beside it, made before that can happen, keeps the user's shortcuts
// for someone to rescue.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_mapping.h"
#include "platform/file_system.h"

namespace kx {

// Copies `path` byte for byte to "<path>.damaged", or when that exists to
// "<path>.damaged-2", "-3" and so on, never writing over an existing copy.
// A copy with the same bytes kept by an earlier load is used again, so that
// loading the same damaged file again does not pile up copies. Returns the
// copy's path; empty when no copy could be made.
std::u16string KeepDamagedCopy(FileSystem& fs, FileMapping& files, std::u16string_view path);

// `message` followed by a sentence naming the copy, on a line of its own
// (`lineBreak`); `message` alone when there is no copy.
std::u16string WithDamagedCopyNote(std::u16string_view message, std::u16string_view lineBreak,
                                   std::u16string_view copy);

}  // namespace kx
