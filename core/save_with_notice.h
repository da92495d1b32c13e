// The save every edit goes through: saves a store, tells the user when that
// fails, and opens a file in the machine-wide data folder to every user.
#pragma once

#include <string_view>

#include "core/database_io.h"
#include "platform/file_security.h"
#include "platform/user_prompt.h"

namespace kx {

struct SaveNoticeContext {
    UserPrompt& prompt;
    FileSecurity& security;
    std::u16string_view machineDataFolder;  // the all-users data folder
};

// Whether `path` lies in `folder` or below it (case ignored, either
// slash accepted as separator).
bool PathIsInside(std::u16string_view path, std::u16string_view folder);

// ShortcutStore::Save to `path` (the store's filePath when empty). On failure
// shows "Failed to save file!" ("File Save Error"); on success grants
// Everyone full access when the file lies in the machine-wide data folder.
bool SaveWithNotice(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io,
                    const SaveNoticeContext& context);

}  // namespace kx
