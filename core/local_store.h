// Start-up of the user's data (moving files out of the machine-wide folder,
// choosing the first group) and loading the current group into the local
// store with the messages the user sees when its file is missing or damaged.
#pragma once

#include "core/data_context.h"

namespace kx {

// Makes sure the data folders exist and brings files that older installations
// kept in the machine-wide data folder into the user's own folders. Runs at
// every start, before the stores are loaded.
void RelocateDataAtStartup(const DataContext& ctx);

// When no group has been chosen yet, registers "Default" with its file in the
// local folder and makes it current. Returns the current group's name.
std::u16string ChooseStartupGroup(const DataContext& ctx);

// Loads the current group's file into the local store: a missing file is
// created empty, a damaged one reported. Then loads the shared store.
void LoadLocalStore(const DataContext& ctx, LoadedStores& stores);

}  // namespace kx
