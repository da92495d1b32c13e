// Whether the macros of the shared shortcuts file may start programs.
//
// Whoever can change the shared file decides what its macros do for every
// user who presses their keys. A "command" line there starts a program as
// each of those users, so it is honoured only when no one but an
// administrator can change the file: the file and its folder are owned by
// administrators, and no one else may write the file, delete it, or remove
// it from the folder to put another in its place.
#pragma once

#include <string_view>

#include "platform/ownership_query.h"

namespace kx {

// The built-in Administrators group, SYSTEM, TrustedInstaller, and a
// domain's Administrator account, Domain Admins and Enterprise Admins.
bool IsAdministratorSid(std::u16string_view sid);

// The rule above for the file at `path` (folder taken from the path).
// False whenever the facts cannot be read.
bool SharedFileMayStartPrograms(OwnershipQuery& query, std::u16string_view path);

}  // namespace kx
