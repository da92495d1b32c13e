// Code is loaded from two places only: this program's own folder, named in
// full, and the system folder. The default search would also try the
// current folder and every folder on PATH, where anyone who can write one of
// them could put a module of the same name.
//
// Documented rules relied on (LoadLibraryExW, SetDefaultDllDirectories):
// - SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) makes every later
//   LoadLibrary of the process, and the dependencies it pulls in, search the
//   system folder only, unless a call names its own search flags.
// - LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR needs a fully qualified path, and adds
//   that module's own folder for its dependencies.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// At start, before anything is loaded by name.
inline bool RestrictModuleSearch() { return ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE; }

// One of our own modules, by its full path in our own folder.
inline HMODULE LoadOwnModule(const std::wstring& fullPath) {
    return ::LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// A module of the system, from the system folder only.
inline HMODULE LoadSystemModule(const wchar_t* name) {
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace kx
