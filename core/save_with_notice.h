// The save every edit goes through: saves a store and tells the user when
// that fails.
#pragma once

#include <string_view>

#include "core/database_io.h"
#include "platform/user_prompt.h"

namespace kx {

struct SaveNoticeContext {
    UserPrompt& prompt;
};

// Whether `path` lies in `folder` or below it (case ignored, either
// slash accepted as separator).
bool PathIsInside(std::u16string_view path, std::u16string_view folder);

// ShortcutStore::Save to `path` (the store's filePath when empty). On failure
// shows "Failed to save file!" ("File Save Error"). A group's or an exported
// file is the user's own wherever it lies: nothing is shared.
bool SaveWithNotice(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io,
                    const SaveNoticeContext& context);

}  // namespace kx
