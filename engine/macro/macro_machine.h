// What a playing macro does to the machine: inject keys, look at the
// modifier keys, tell the user, start programs, and hold the user's own keys
// back while it types. The program plays through the Win32 machine; tests
// record.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/key_injector.h"

namespace kx {

class MacroMachine {
public:
    virtual ~MacroMachine() = default;
    // One SendInput call with all the records, marked as the program's own.
    virtual unsigned SendInput(std::span<const KeyRecord> records) = 0;
    // The key is down as the system reports it now.
    virtual bool KeyDown(int vk) = 0;
    // Clears the calling thread's own keyboard-state table, so a modifier
    // the thread once saw down does not stay down in it.
    virtual void ClearThreadKeyState() = 0;
    // "The macro could not be started because some of keyboard keys are
    // still pressed." without owner.
    virtual void ReportKeysStillDown() = 0;
    // Starts the command line as a new process and does not wait for it;
    // false when it cannot be started.
    virtual bool StartProgram(const std::u16string& commandLine) = 0;
    // While on, the hook module holds the keys the user types; off replays them.
    virtual void HoldUserKeys(bool on) = 0;
};

}  // namespace kx
