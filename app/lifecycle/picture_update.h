// The start-up pass over picture shortcuts kept in the older form, run behind
// the "Updating Shortcuts" progress window.
#pragma once

#include <windows.h>

#include "core/data_context.h"

namespace kx {

// Does nothing once "PicShortcutsConvertedToWindowMetaFile" is set. Otherwise
// shows the progress window while the pass runs on a worker thread; its
// Cancel asks "Confirm Cancel" first. True when the pass completed, false
// when the user cancelled it (it then runs again at the next start).
bool UpdatePictureShortcuts(HWND owner, const DataContext& ctx);

}  // namespace kx
