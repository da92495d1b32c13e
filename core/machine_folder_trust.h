// The machine-wide data folder can be written by every user of the machine,
// so nothing in it is shared further or copied into a user's own folder on
// trust. Another account could put there a junction into the user's profile
// (sharing the folder would then open the profile to everyone), a hard link
// to one of the user's files, or files of its own for a new user to take in.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/data_folders.h"
#include "platform/file_security.h"
#include "platform/file_system.h"

namespace kx {

enum class Distrust : uint8_t {
    None,
    ReparsePoint,  // a junction or link: it leads somewhere else
    HardLinked,    // a second name of a file that may lie anywhere on the volume
    ForeignOwner,  // owned by another user who is not an administrator
};

// What speaks against an object with these facts, for the user `me`.
Distrust Judge(const FileFacts& facts, std::u16string_view me);

// The object at `path`, opened and judged; null when it is missing or
// something speaks against it.
std::unique_ptr<HeldFile> OpenTrusted(FileSecurity& security, std::u16string_view path);

// Whether the machine-wide data folder and the product level above it are
// real folders of this user or of an administrator.
bool MachineFolderTrusted(FileSecurity& security, const DataFolders& folders);

// Gives the machine's users `access` to a trusted object (on it alone, not
// inherited) and takes away Everyone's entries. False when refused or when
// the access list could not be written (another's object).
bool ShareWithUsers(FileSecurity& security, std::u16string_view path, UsersAccess access);

// Largest seed file taken in.
inline constexpr uint64_t kSeedFileCap = 64ull << 20;

// Copies a seed file into a new file `to`: only a trusted one, read through
// the same handle it was judged by. Fails when `to` exists.
bool CopySeed(FileSecurity& security, FileSystem& fs, std::u16string_view from, std::u16string_view to);

}  // namespace kx
