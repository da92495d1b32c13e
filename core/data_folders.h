// Where the program keeps its data: the per-user data folder in the roaming
// application data, the machine-wide one in the common application data, and
// the per-user "local" folder that holds the Default group's file.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/known_folders.h"

namespace kx {

struct DataFolders {
    std::u16string user;     // <roaming app data>\Tarvik Software\Kestrix
    std::u16string machine;  // <common app data>\Tarvik Software\Kestrix
    std::u16string local;    // <user>\local

    static DataFolders Resolve(KnownFolders& known);

    // "%s\local\abbrev.dat" with the per-user data folder.
    std::u16string DefaultGroupFile() const;
    // The machine-wide data folder followed by "shared_abbrev.dat".
    std::u16string DefaultSharedFile() const;
    // The machine-wide data folder's own "local" subfolder.
    std::u16string MachineLocal() const;
};

// A group's file when the program creates it: "%s\%s_abbrev.dat".
std::u16string GroupFileIn(std::u16string_view folder, std::u16string_view groupName);

// Creates every missing level of `folder` with one MakeFolder each. Returns
// whether the folder exists afterwards.
bool EnsureFolder(FileSystem& fs, std::u16string_view folder);

}  // namespace kx
