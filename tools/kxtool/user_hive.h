// Another user's registry, for kxtool restore run by an administrator: the
// user's hive file (NTUSER.DAT) loaded as an application hive, so that the
// groups a restore adds are registered where that user's Kestrix finds them.
#pragma once

#if defined(_WIN32)

#include <string>

#include "platform/win32/handles.h"

namespace kx {

class UserHive {
public:
    // Loads the hive file at `path`. False with `error` set when it cannot:
    // no such file, in use (the user is logged on) or no hive.
    bool Load(const std::u16string& path, std::string& error);
    // The hive's root key, which stands for that user's HKEY_CURRENT_USER.
    HKEY Root() const { return root_.Get(); }
    // Writes what was set into the file.
    bool Flush();

private:
    UniqueKey root_;
};

}  // namespace kx

#endif
