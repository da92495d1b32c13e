// The shared shortcuts file: loading it beside the local store, and saving it
// so that other users' instances reading it meanwhile never see it half
// written or missing.
#pragma once

#include <string_view>

#include "core/data_context.h"

namespace kx {

// Loads a shared file into `store` under the shared file's size cap
// (kMaxSharedFileBytes): LoadOk, LoadFailed, LoadCorrupt or LoadTooLarge.
int LoadSharedFile(const DataContext& ctx, ShortcutStore& store, std::u16string_view path);

// The message for a shared file too large to load.
inline constexpr const char16_t* kSharedFileTooLarge =
    u"Shared shortcut file is larger than 64 MB and was not loaded.\nShared shortcuts will be disabled.";

// Loads the shared store when shared shortcuts are enabled and a path is set;
// a missing or damaged file is reported and switches shared shortcuts off.
// Sets stores.sharedLoaded only on success.
void LoadSharedStore(const DataContext& ctx, LoadedStores& stores);

// Writes the store to a new file beside `path` (the store's filePath when
// empty) and moves it over `path` in one step, retrying while readers keep
// the old file open (up to `budgetMs`). The old file stays whole unless the
// new one replaces it. Staged files that earlier saves left in that folder
// more than an hour before this one are removed.
bool SaveSharedFile(const ShortcutStore& store, std::u16string_view path, const DatabaseIo& io, FileSystem& fs,
                    uint32_t budgetMs = 5000);

// SaveSharedFile with the save wrapper's notice on failure; a file in the
// machine-wide data folder is left for every user of the machine to change.
bool SaveSharedWithNotice(const DataContext& ctx, const ShortcutStore& store, std::u16string_view path = {});

}  // namespace kx
