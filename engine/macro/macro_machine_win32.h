// The machine a macro plays on in the program: the real input stream, the
// hook module's hold on the user's keys, message boxes and new processes.
#pragma once

#include "engine/macro/macro_machine.h"
#include "engine/output/hook_control.h"
#include "platform/key_injector.h"

namespace kx {

class Win32MacroMachine final : public MacroMachine {
public:
    // `hooks` may be null, or without a loaded module: then nothing holds
    // the user's keys.
    Win32MacroMachine(KeyInjector& injector, HookControl* hooks) : injector_(injector), hooks_(hooks) {}

    unsigned SendInput(std::span<const KeyRecord> records) override;
    bool KeyDown(int vk) override;
    void ClearThreadKeyState() override;
    void ReportKeysStillDown() override;
    bool StartProgram(const std::u16string& commandLine) override;
    void HoldUserKeys(bool on) override;

private:
    KeyInjector& injector_;
    HookControl* hooks_;
};

}  // namespace kx
