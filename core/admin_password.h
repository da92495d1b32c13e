// The administrator's password of the shared file: who may change or delete
// shared shortcuts.
#pragma once

#include <string_view>

#include "core/shared_dialogs.h"
#include "core/shortcut_store.h"
#include "platform/user_prompt.h"

namespace kx {

// The password dialog's check on OK: exact, code unit by code unit. On a
// mismatch shows the "Invalid Password" notice at the field and returns false
// (the dialog stays open).
bool CheckEnteredPassword(std::u16string_view entered, std::u16string_view expected, SharedDialogs& dialogs);

// Before a shortcut is saved into the shared store: true when the store has
// no password or the right one was entered; otherwise tells the user that
// only the administrator may change shared shortcuts.
bool MayChangeShared(const ShortcutStore& shared, SharedDialogs& dialogs, MessagePrompt& prompt);

// Before shortcuts are deleted from the shared store; the refusal names deleting.
bool MayDeleteFromShared(const ShortcutStore& shared, SharedDialogs& dialogs, MessagePrompt& prompt);

}  // namespace kx
