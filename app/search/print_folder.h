// The temporary working folder of Search/Print. The listing holds every
// shortcut of a store, shared ones included, in plain text: it is written
// only under the user's own temporary folder, into a folder that this run
// made itself under a name nobody used before (so no other program can
// have placed a file or a link there first), and the folder and the
// listing are removed when the program ends.
#pragma once

#include <string>

namespace kx {

class PrintFolder {
public:
    PrintFolder() = default;
    PrintFolder(const PrintFolder&) = delete;
    PrintFolder& operator=(const PrintFolder&) = delete;
    // Removes the listing and the folder, when one was made.
    ~PrintFolder();

    // The folder, made at the first call of the run; empty when it cannot
    // be made.
    const std::wstring& Path();
    // The listing's path in the folder; empty when there is no folder.
    std::wstring Listing();

private:
    std::wstring path_;
};

}  // namespace kx
