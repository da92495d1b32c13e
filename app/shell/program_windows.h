// The programs whose windows are open now, as the Programs page offers them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace kx {

struct OpenProgram {
    std::u16string fileName;
    std::u16string title;
    // Our own copy: the program may end while the list is shown.
    UniqueIcon icon;
};

// One entry per program with a visible, unowned top-level window that has
// a title, ours excepted, sorted by file name without regard to case. Each
// shows its first such window's title and small icon (none when it has
// none or does not answer within a moment).
std::vector<OpenProgram> ListOpenPrograms();

}  // namespace kx
