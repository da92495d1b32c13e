// The program's half of the exchange with the 64-bit companion: starting or
// adopting it, keeping its liveness byte fresh (timer 4 of the application
// window), and handing its records (message 1195) to the hook link.
#pragma once

#include <windows.h>

#include <string>

#include "engine/hooklink/hook_link_win32.h"
#include "engine/hooklink/shared_block_win32.h"
#include "platform/win32/handles.h"
#include "platform/process_bitness.h"

namespace kx {

class CompanionLink {
public:
    // Creates (or opens) the shared blocks, "Hook64Info" among them.
    explicit CompanionLink(HookLink& link);

    // Start-up: on 64-bit Windows, starts "kestrix64.exe" from `exeFolder`
    // (ending in a backslash) when no companion runs, or adopts the running
    // one. Returns the delay in ms to arm timer 4 with, 0 for none.
    unsigned StartOrAdopt(ProcessBitness& bitness, HWND applicationWindow, const std::wstring& exeFolder);
    // Timer 4: refreshes the liveness byte. Returns the delay for re-arming it.
    unsigned OnRefreshTimer(HWND applicationWindow);
    // Message 1195, first parameter the record type: the record waits in
    // "Hook64Info". Runs the engine on the calling (UI) thread.
    LRESULT OnCompanionRecord(WPARAM type);
    // Shutdown: asks the companion whose handle we hold to end (it replays
    // the keys its module holds and clears the liveness byte), and ends it
    // with exit code 0 when it has not within a few seconds.
    void Terminate();

    bool HoldsProcess() const { return static_cast<bool>(process_); }
    DWORD ProcessId() const;
    uint8_t Signal() const;

private:
    void PublishWindow(HWND applicationWindow);

    HookLink& link_;
    SharedBlock info_, signal_, pid_, window_;
    UniqueHandle process_;
};

}  // namespace kx
