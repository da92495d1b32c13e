// The platform objects and the data the application works with: settings,
// data folders, file seams, message boxes and the two stores.
#pragma once

#include "app/dialogs/shared_dialogs_win32.h"
#include "app/win/message_prompt_win32.h"
#include "core/data_context.h"
#include "core/database_io.h"
#include "platform/win32/busy_cursor_win32.h"
#include "platform/win32/file_security_win32.h"
#include "platform/win32/known_folders_win32.h"
#include "platform/win32/registry_win32.h"

namespace kx {

// Builds the "HTML Format" clip of rich-text shortcuts as a store loads.
class RichClipBuilder final : public ClipBuilder {
public:
    bool BuildRich(ShortcutEntry& entry) override;
    // Picture clips need the picture encoder, which this program does not
    // link yet: their clip stays empty and the rich text alone is pasted.
    bool BuildPicture(ShortcutEntry&) override { return false; }
};

struct AppServices {
    AppServices();

    Win32Registry registry;
    SettingsStore settings{registry};
    Win32KnownFolders knownFolders;
    DataFolders folders;
    Win32FileSecurity security;
    RichClipBuilder clips;
    // The wait cursor while a database loads or saves.
    Win32BusyCursor cursor;
    DatabaseIo io;
    Win32MessagePrompt prompt;
    DataContext ctx;
    LoadedStores stores;
    Win32SharedDialogs dialogs{prompt};
};

}  // namespace kx
