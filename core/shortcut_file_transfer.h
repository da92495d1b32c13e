// Save Shortcuts and Load Shortcuts: writing the private or the shared store
// to a shortcut file of the user's choice, and merging such a file's
// shortcuts into one of them.
#pragma once

#include <string>
#include <string_view>

#include "core/data_context.h"
#include "core/shared_dialogs.h"

namespace kx {

// The file dialogs of the two commands.
class ShortcutFileDialogs {
public:
    virtual ~ShortcutFileDialogs() = default;
    // "Save Data", starting in `folder` with `fileName`; empty when cancelled.
    virtual std::u16string ChooseFileToSave(std::u16string_view folder, std::u16string_view fileName) = 0;
    // "Load Data" with the filter "*.dat"; empty when cancelled.
    virtual std::u16string ChooseFileToLoad(std::u16string_view folder, std::u16string_view fileName) = 0;
};

// Asks which store when shared shortcuts are loaded, then for the file, and
// saves the store there (a shared store with its password record). True when
// a file was written. `documents` is where the dialog starts the first time.
bool SaveShortcutFile(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                      ShortcutFileDialogs& files, std::u16string_view documents);

struct LoadFileOutcome {
    bool saved = false;   // the target store took the file's shortcuts and was saved
    size_t added = 0;     // keywords the target did not have
    size_t replaced = 0;  // keywords it had, replaced on the user's word
};

// Asks for the file, loads it, asks which store takes its shortcuts (when
// shared shortcuts are loaded) and merges them in keyword order, asking
// before each keyword the target has already. Saves the target and loads
// both stores again; Cancel on a question leaves the target's file as it was.
LoadFileOutcome LoadShortcutFile(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                                 ShortcutFileDialogs& files, std::u16string_view documents);

}  // namespace kx
