// Where Thunderbird keeps the user's sent mail: every file named "Sent"
// (any letter case) below "<roaming app data>\Thunderbird\Profiles".
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kx {

// Paths in listing order: a folder's files, then each of its subfolders in
// turn. Empty when the profile folder does not exist or holds no "Sent".
std::vector<std::u16string> FindThunderbirdMailboxes(FileSystem& fs, std::u16string_view roamingAppData);

}  // namespace kx
