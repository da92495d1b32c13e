// The fixed names and numbers of the link between the program, its hook
// modules and the 64-bit companion.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/matcher/key_event.h"

namespace kx::hookproto {

inline constexpr wchar_t kInstanceMutex[] = L"Local\\HookEngInstanceMutex";
inline constexpr wchar_t kMessageWindowClass[] = L"LHookEngMsgClass";
inline constexpr wchar_t kNoticeMessageName[] = L"MSG_HOOK_EVENT_E879A351-0AAF-4BAD-BE99-2827AEBA12C1";

// Posted to the message window with the link as first parameter.
inline constexpr uint32_t kIntroduceLink = 0x400 + 1;
// Sent by the companion to the application window, first parameter the record type.
inline constexpr uint32_t kCompanionRecord = 0x400 + 171;

// Hook states.
inline constexpr int32_t kStateOff = 0;
inline constexpr int32_t kStateActive = 1;
inline constexpr int32_t kStateSuspended = 2;
inline constexpr int32_t kStateFailed = -1;

// What EnableHook/IsHookEnabled's index stands for in our hook modules:
//   0  mouse button presses, reported as discard records (type 30);
//   1  the keyboard, reported as key events (type 20);
//   2  discard records when keys start going to a different foreground window.
// The program asks IsHookEnabled(1) to learn whether the hooks run, so 1 is
// the keyboard. Output pauses 1 and 0 while it types, so neither our own
// keys nor our own clicks reach the engine.
inline constexpr int kHookMouse = 0;
inline constexpr int kHookKeyboard = 1;
inline constexpr int kHookFocusChange = 2;
inline constexpr int kHookCount = 3;
// One more switch, not a hook: while on, the modules hold the user's keys
// (a macro injects a command's keys). Switching it off lets them go.
inline constexpr int kHookHoldKeys = 3;
// While on, the Auto Complete window is open: ALT+UP and ALT+DOWN choose
// its row and the modules keep them from the application.
inline constexpr int kSwitchAltArrows = 4;
inline constexpr int kSwitchCount = 5;

// Input we inject may carry this in dwExtraInfo; the hook modules never
// report it, even while the hooks are not paused.
inline constexpr uintptr_t kOwnInputSignature = 0x4B58F00Du;

// Keys a hook module held back while the program handled a key, and then
// injected again in order, carry its module's mark. The module reports them
// when they come back (they were not reported while held). The companion's
// module has a mark of its own, so neither module mistakes the other's
// replayed keys for its own.
inline constexpr uintptr_t kReplaySignature = 0x4B58F0E0u;
inline constexpr uintptr_t kCompanionReplaySignature = 0x4B58F0E1u;

// The type-30 record. The program does not read its content; it is there for
// logs and tests.
enum class DiscardReason : uint32_t { MouseButton = 1, ForegroundChange = 2, RecordsLost = 3 };
struct DiscardRecord {
    uint32_t reason = 0;
    uint32_t message = 0;   // the mouse message, for MouseButton
    int32_t x = 0, y = 0;   // the pointer position, for MouseButton
    uint32_t time = 0;      // tick of the event
    uint32_t windowLow = 0, windowHigh = 0;  // the foreground window
};
static_assert(sizeof(DiscardRecord) == kDiscardRecordSize);

// Whether a WM_COPYDATA record of this type and size is one we accept.
constexpr bool IsAcceptedRecord(uintptr_t type, size_t size) {
    return (type == kRecordKeyEvent && size == kKeyEventWireSize) ||
           (type == kRecordDiscardWord && size == kDiscardRecordSize);
}

// Objects shared with the 64-bit companion.
inline constexpr wchar_t kHook64Info[] = L"Hook64Info";            // 16 bytes: the latest KeyEvent
inline constexpr wchar_t kCompanionSignal[] = L"Kestrix64Signal";  // 1 byte: liveness
inline constexpr wchar_t kCompanionHandle[] = L"Kestrix64Handle";  // 4 bytes: companion's process id
inline constexpr wchar_t kCompanionSignalMutex[] = L"Kestrix64SignalMutex";
// The companion's own message window. WM_CLOSE to it ends the companion the
// orderly way: its module replays any keys it holds and the liveness byte
// is cleared.
inline constexpr wchar_t kCompanionWindowClass[] = L"LKestrix64MsgClass";
// Ours: the application's main window, 8 bytes, written by the application
// whenever it starts, adopts or refreshes the companion. The companion sends
// its records to whatever window stands there.
inline constexpr wchar_t kCompanionWindow[] = L"Kestrix64Window";
inline constexpr size_t kHook64InfoSize = 16;

// Liveness byte. The companion counts it down once a second and ends when it
// reaches 0, so it outlives a vanished application by at most 30 seconds
// (4 minutes right after launch, before the first refresh).
inline constexpr uint8_t kSignalNone = 0;
inline constexpr uint8_t kSignalLaunched = 0xF0;
inline constexpr uint8_t kSignalRefreshed = 0x1E;

inline constexpr unsigned kMutexBudgetMs = 200;
inline constexpr unsigned kCompanionFirstRefreshMs = 300;
inline constexpr unsigned kCompanionRefreshMs = 100;
inline constexpr int kCompanionTimerId = 4;

}  // namespace kx::hookproto
