// Where the hook module and the 64-bit companion are loaded from: the folder
// of the program named by "ExePath". An installer writes the program's full
// path there; a value that names no existing file (empty, a folder, a program
// since moved) is replaced by the running program's own path first.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "settings/settings_store.h"

namespace kx {

// The folder holding kxhook.dll and the companion, ending in a backslash.
std::u16string ModuleFolder(SettingsStore& settings, FileSystem& fs, std::u16string_view runningProgram);

}  // namespace kx
