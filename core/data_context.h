// What the group and shared-store operations work with: the settings, the
// data folders, the file seams and the message boxes; and the two stores the
// application keeps with the state that goes with them.
#pragma once

#include <string>

#include "settings/settings_store.h"
#include "core/data_folders.h"
#include "core/database_io.h"
#include "core/save_with_notice.h"
#include "platform/file_security.h"
#include "platform/ownership_query.h"
#include "platform/user_prompt.h"

namespace kx {

struct DataContext {
    SettingsStore& settings;
    const DataFolders& folders;
    FileSystem& fs;
    FileSecurity& security;
    const DatabaseIo& io;
    MessagePrompt& prompt;
    // Who owns the shared file and who may change it; without it, the
    // shared file's macros start no programs.
    OwnershipQuery* ownership = nullptr;

    SaveNoticeContext SaveNotice() const { return SaveNoticeContext{prompt}; }
};

// The stores the application holds for the whole run. They are refilled in
// place, so the matcher's references to them stay valid.
struct LoadedStores {
    StoreRef local = ShortcutStore::Create();
    StoreRef shared = ShortcutStore::Create();
    // True only after the shared store loaded in the current load cycle.
    bool sharedLoaded = false;
    // False while the current group's file exists but could not be loaded
    // (unreadable, or too large for the memory left): the local store is
    // empty then, and saving it would wipe the file.
    bool localLoaded = false;
    std::u16string groupName;  // the current group
    std::u16string groupPath;  // its database file
};

}  // namespace kx
