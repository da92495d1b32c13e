// Where the hook module and the 64-bit companion are loaded from: the running
// program's own folder, never the folder that "ExePath" names. That value
// lives in the user's registry, where anything the user runs can point it at
// a share or a WebDAV folder with modules of its own. It is still written,
// with the running program's path, for the installer and older tools that
// read it.
#pragma once

#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace kx {

// The folder of `runningProgram` (from GetModuleFileNameW(nullptr)), ending
// in a backslash; "ExePath" is set to `runningProgram` when it differs.
std::u16string ModuleFolder(SettingsStore& settings, std::u16string_view runningProgram);

}  // namespace kx
