// What the hook callbacks saw, waiting for the sender thread. The callbacks
// only push and return; they never wait for the program.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "engine/hooklink/key_translation.h"

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

class InputQueue {
public:
    // Beyond this the program is not keeping up; what is dropped is counted
    // as lost, and the sender discards the word before going on.
    static constexpr size_t kCapacity = 1024;

    // False when the input was not queued (stopped, or full).
    bool Push(const CapturedInput& input);
    // Waits for the next input; false once Stop was called.
    bool Pop(CapturedInput& out, bool& lostBefore);
    void Stop();
    // Empties the queue and lets Pop wait again.
    void Restart();

private:
    std::mutex lock_;
    std::condition_variable ready_;
    std::deque<CapturedInput> items_;
    bool lost_ = false;
    bool stopped_ = false;
};

}  // namespace kx::hook
