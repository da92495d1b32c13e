// What the program trusts of the objects other processes can name: the
// named mutexes and shared blocks, the process standing behind a found
// window or a published process id, and which windows take WM_COPYDATA
// from programs of a lower integrity level. Kept free of Windows so that
// every decision can be checked with made-up owners and paths; the Win32
// side (named_objects_win32) only gathers the facts.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// The security descriptor, in the system's descriptor language, of every
// named object we create: full access for the user and SYSTEM only, no
// inherited entries, and a medium mandatory label that refuses reads and
// writes from lower integrity levels (a sandboxed process can neither read
// the key records in the shared block nor flip the hook switches).
std::u16string OwnObjectDescriptor(std::u16string_view userSid);
// The same without the label, for the rare process that may not set it (one
// that runs below medium itself).
std::u16string OwnObjectDescriptorUnlabelled(std::u16string_view userSid);

// Whether an object that existed before we asked for it may be used. Its
// owner must be our user, or the owner our token gives new objects (an
// elevated token makes the Administrators group the owner). Anything else was
// created by another account, which then also chose its access list: it
// could read our keys or feed us records. An unknown owner is refused.
bool AcceptsExistingObject(std::u16string_view ownerSid, std::u16string_view userSid,
                           std::u16string_view tokenOwnerSid);

// Whether `image` (a process's full image path) is `expected`. Paths are
// compared without regard to the case of ASCII letters, as the file system
// does for the names we ship; an empty image (the process is gone, or we may
// not ask) is never ours.
bool IsSameImage(std::u16string_view image, std::u16string_view expected);

// Whether `image` is the companion "kestrix64.exe" in `ownFolder` (ending in
// a backslash): only then may the program signal or end that process.
bool IsOurCompanion(std::u16string_view image, std::u16string_view ownFolder);

// The program's windows that other programs send WM_COPYDATA to.
enum class CopyDataWindow { Instance, Main, HookLink };

// Whether `window` must accept WM_COPYDATA from a lower integrity level. Only
// the instance window of an elevated copy: a second start by the same user
// without elevation forwards its command line there. The hook modules'
// records come from our own process or our own companion, at our level, and
// nothing else may send records.
bool OpensCopyDataToLowerLevels(CopyDataWindow window, bool elevated);

}  // namespace kx
