// The platform objects and the data the application works with: settings,
// data folders, file seams, message boxes and the two stores.
#pragma once

#include "app/dialogs/shared_dialogs_win32.h"
#include "app/search/print_folder.h"
#include "app/win/message_prompt_win32.h"
#include "core/data_context.h"
#include "core/database_io.h"
#include "engine/output/html_clip_builder.h"
#include "platform/win32/busy_cursor_win32.h"
#include "platform/win32/file_security_win32.h"
#include "platform/win32/ownership_query_win32.h"
#include "platform/win32/known_folders_win32.h"
#include "platform/win32/registry_win32.h"

namespace kx {

struct AppServices {
    AppServices();

    Win32Registry registry;
    SettingsStore settings{registry};
    Win32KnownFolders knownFolders;
    DataFolders folders;
    Win32FileSecurity security;
    Win32OwnershipQuery ownership;
    // The "HTML Format" clips of rich text, made as a store loads.
    HtmlClipBuilder clips;
    // The wait cursor while a database loads or saves.
    Win32BusyCursor cursor;
    DatabaseIo io;
    Win32MessagePrompt prompt;
    DataContext ctx;
    LoadedStores stores;
    Win32SharedDialogs dialogs{prompt};
    // Search/Print's listing, removed when the program ends.
    PrintFolder printFolder;
};

}  // namespace kx
