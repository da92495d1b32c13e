#include "engine/macro/macro_machine_win32.h"

#include <windows.h>

#include <thread>
#include <vector>

#include "engine/hooklink/hook_protocol.h"
#include "platform/win32/handles.h"

namespace kx {

unsigned Win32MacroMachine::SendInput(std::span<const KeyRecord> records) {
    // The injector marks the keys as ours: the hook modules neither report
    // nor hold them.
    return injector_.SendInput(records);
}

bool Win32MacroMachine::KeyDown(int vk) { return ::GetAsyncKeyState(vk) < 0; }

void Win32MacroMachine::ClearThreadKeyState() {
    BYTE state[256] = {};
    ::SetKeyboardState(state);
}

void Win32MacroMachine::ReportKeysStillDown() {
    // On a thread of its own: the job goes on with its next command, and the
    // program's exit never waits for the user to answer a message.
    std::thread([] {
        ::MessageBoxW(nullptr, L"The macro could not be started because some of \r\nkeyboard keys are still pressed.",
                      L"Kestrix Text Expander Software", MB_OK | MB_ICONERROR);
    }).detach();
}

bool Win32MacroMachine::StartProgram(const std::u16string& commandLine) {
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    return true;
}

void Win32MacroMachine::HoldUserKeys(bool on) {
    if (hooks_ && hooks_->ModuleLoaded()) hooks_->EnableHook(hookproto::kHookHoldKeys, on);
}

}  // namespace kx
