// The private-or-shared question asked when a shortcut is created, edited
// or deleted, or a shortcut file saved or loaded, while shared shortcuts are
// loaded.
#pragma once

#include "settings/settings_store.h"
#include "core/shared_dialogs.h"

namespace kx {

enum class StoreAction : uint8_t {
    NewShortcut,   // which store the new shortcut goes into
    EditBoth,      // which expansion of a shortcut in both stores to edit
    DeleteMixed,   // which stores to delete a mixed selection from
    SaveFile,      // which store a shortcut file is written from
    LoadFile,      // which store a shortcut file's shortcuts go into
};

// The dialog's texts for an action, with the preselection taken from
// "SharedVsPrivateSelection" (private when that says both and both is not
// offered).
StoreChoiceRequest StoreChoiceFor(StoreAction action, const SettingsStore& settings);

// Asks only when the shared store is loaded; otherwise the private store is
// used without asking. Saves the answer on OK. Returns kChoicePrivate,
// kChoiceShared, kChoiceBoth or kChoiceCancelled.
int ChooseStore(StoreAction action, bool sharedLoaded, SharedDialogs& dialogs, SettingsStore& settings);

}  // namespace kx
