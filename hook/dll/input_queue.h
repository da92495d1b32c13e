// What the hook callbacks saw, waiting for the sender thread (see
// engine/hooklink/record_queue.h).
#pragma once

#include <windows.h>

#include "engine/hooklink/key_translation.h"
#include "engine/hooklink/record_queue.h"

namespace kx::hook {

struct CapturedInput {
    enum class Kind { Key, MouseButton } kind = Kind::Key;
    RawKey key;
    HKL layout = nullptr;        // of the foreground window's thread
    HWND foreground = nullptr;
    UINT mouseMessage = 0;
    POINT point{};
    DWORD time = 0;
    // Not 0: the key started a hold of the user's keys, which ends once the
    // program has handled this record.
    uint32_t holdTrigger = 0;
};

// Beyond 1024 waiting inputs the program is not keeping up; what is dropped
// is counted as lost, and the sender discards the word before going on.
using InputQueue = RecordQueue<CapturedInput, 1024>;

}  // namespace kx::hook
