// The one-time pass at start-up that re-encodes picture shortcuts kept in the
// older RTF form, in the shared file and in every file of the local folder.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/data_folders.h"
#include "core/database_io.h"
#include "picture/image_codec.h"
#include "platform/file_security.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"

namespace kx {

struct LegacyConversion {
    SettingsStore& settings;
    FileSystem& files;
    FileSecurity& security;
    DataFolders folders;
    DatabaseIo io;
    ImageCodec& codec;
    std::u16string tempFolder;
    // Asked after every shortcut; true stops the pass at once.
    std::function<bool()> cancelRequested;
    // Told before each file and once at the end: files done, files in all.
    std::function<void(size_t done, size_t total)> progress;
};

// Runs the pass unless "PicShortcutsConvertedToWindowMetaFile" says it ran
// already. True when every file is done (the setting is then written),
// false when cancelled: the file being worked on is not saved and the pass
// runs again at the next start.
bool ConvertLegacyPictures(const LegacyConversion& pass);

}  // namespace kx
