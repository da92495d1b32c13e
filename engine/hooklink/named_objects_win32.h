// Named kernel objects that are ours alone, and the processes behind windows
// and process ids: the facts that object_trust judges.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// Error of a create that found the name taken by an object another account
// created: the handle is closed and not given out.
inline constexpr DWORD kForeignObjectError = ERROR_INVALID_OWNER;

// Creates, or opens when it exists, the named mutex or page-file mapping,
// with the descriptor of OwnObjectDescriptor. An existing one is kept only
// when AcceptsExistingObject accepts its owner. Null with `error` set (the
// system's, or kForeignObjectError) on failure.
HANDLE CreateOwnMutex(const wchar_t* name, DWORD& error);
HANDLE CreateOwnMapping(const wchar_t* name, DWORD size, DWORD& error);

// A yes-or-no fact of a process's primary token (TokenElevation,
// TokenUIAccess); false when it cannot be read. `process` needs query access.
bool ProcessTokenFlag(HANDLE process, TOKEN_INFORMATION_CLASS what);
// Whether this process runs elevated.
bool RunsElevated();

// The full image path of `process` (a handle with query access) or of the
// process that owns `window`; empty when it cannot be had.
// Short names are made long, so two spellings of one path compare equal.
std::wstring ProcessImage(HANDLE process);
std::wstring WindowImage(HWND window);
// This program's own image path.
std::wstring OwnImage();

}  // namespace kx
