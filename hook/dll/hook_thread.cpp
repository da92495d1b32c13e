#include "hook/dll/hook_thread.h"

#include <utility>

#include "engine/hooklink/focus_probe_win32.h"
#include "engine/hooklink/hook_protocol.h"
#include "engine/matcher/classify.h"
#include "hook/dll/bitness_filter.h"
#include "hook/dll/hook_state.h"
#include "hook/dll/key_release.h"
#include "hook/dll/layout_translator.h"
#include "platform/win32/key_injector_win32.h"

namespace kx::hook {
namespace {

constexpr UINT kWatchdogPeriodMs = 1000;

static_assert(kInjectedKeyMark == hookproto::kOwnInputSignature, "the program's keys carry the module's mark");

#ifdef KXHOOK_COMPANION_MODULE
constexpr bool kCompanionModule = true;
#else
constexpr bool kCompanionModule = false;
#endif

// Which foreground windows this module holds keys for: only those it
// reports, so that the program's module and the companion's never both hold
// the same key. Touched by the hook thread only.
BitnessFilter& HoldFilter() {
    static BitnessFilter filter(kCompanionModule);
    return filter;
}

bool Down(int vk) { return ::GetAsyncKeyState(vk) < 0; }

HWND ForegroundAndLayout(HKL& layout) {
    HWND foreground = ::GetForegroundWindow();
    layout = ::GetKeyboardLayout(foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0);
    return foreground;
}

// A window of the program itself. The program does not expand or learn what
// is typed into its own windows, so no key is held for them: a hold would
// only delay the typing in its dialogs (and a replay into the program's
// own busy thread could come after the next keys).
bool OwnWindow(HWND foreground) {
    DWORD process = 0;
    if (foreground) ::GetWindowThreadProcessId(foreground, &process);
    return process == ::GetCurrentProcessId();
}

// The key as SendInput would type it again.
HeldKey AsHeldKey(const KBDLLHOOKSTRUCT& kb, bool isUp) {
    HeldKey k;
    k.vk = uint16_t(kb.vkCode);
    k.scan = uint16_t(kb.scanCode);
    if (isUp) k.flags |= heldflag::kKeyUp;
    if (kb.flags & LLKHF_EXTENDED) k.flags |= heldflag::kExtended;
    if (kb.vkCode == kVkPacket) k.flags |= heldflag::kUnicode;
    return k;
}

// A key-down after which the program may type: one that completes a
// keyword (its character is a delimiter), or one pressed with SHIFT, CTRL or
// ALT that may be a macro's key combination (with SHIFT alone the program
// takes the typed character back with a Backspace). The same translation as
// the record's, so the decision is the one the engine makes.
bool MayComplete(const RawKey& raw, HKL layout) {
    if (raw.isUp) return false;
    LayoutTranslator translator(layout);
    const KeyEvent e = BuildKeyEvent(raw, translator);
    if (IsDelimiter(e.ch)) return true;
    return CombinationKey(e) != 0 && (e.shift() || e.ctrl() || e.alt());
}

// A key without meaning, typed under a held ALT: an ALT released after it
// is no longer a lone ALT.
constexpr WORD kVkMenuMask = 0xE8;

void TypeMenuMask() {
    INPUT keys[2] = {};
    for (INPUT& k : keys) {
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = kVkMenuMask;
        k.ki.dwExtraInfo = hookproto::kOwnInputSignature;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

// While the Auto Complete window is open, ALT+UP and ALT+DOWN choose its
// row: the program has the record, and the application must not move its
// caret. The ALT press has already reached the application, and its release
// alone would open the application's menu bar, where the CTRL taps that
// insert the row would then go; so a meaningless key is typed under ALT
// first. Only the hook thread calls this.
bool SwallowAltArrow(HookModuleState& s, const RawKey& key) {
    static bool swallowed[2] = {};  // UP, DOWN: the press was kept back
    if (key.vk != VK_UP && key.vk != VK_DOWN) return false;
    bool& pressed = swallowed[key.vk == VK_DOWN ? 1 : 0];
    if (key.isUp) return std::exchange(pressed, false);
    if (!key.alt || key.ctrl || !s.switches.IsOn(hookproto::kSwitchAltArrows)) {
        pressed = false;
        return false;
    }
    if (!pressed) TypeMenuMask();
    pressed = true;
    return true;
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    HookModuleState& s = State();
    if (code == HC_ACTION) {
        s.lastCallbackTick = ::GetTickCount();
        const auto* kb = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        // Keys we type ourselves are ours to ignore: marked input is never
        // reported nor held. Other programs' injected keys (on-screen
        // keyboards, remote desktops, KEYEVENTF_UNICODE as VK_PACKET) are
        // typing like any other.
        const KeyHold::Source source =
            KeyHold::Classify(kb->flags & LLKHF_INJECTED, kb->dwExtraInfo, ReplaySignature());
        if (source == KeyHold::Source::Own) return ::CallNextHookEx(nullptr, code, wParam, lParam);

        CapturedInput in;
        in.kind = CapturedInput::Kind::Key;
        in.key.vk = kb->vkCode;
        in.key.scan = kb->scanCode;
        // A Unicode key-up may come without LLKHF_UP; the message is right.
        in.key.isUp = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
        in.key.extended = kb->flags & LLKHF_EXTENDED;
        in.key.lowerLevel = kb->flags & LLKHF_LOWER_IL_INJECTED;
        in.key.shift = Down(VK_SHIFT);
        in.key.ctrl = Down(VK_CONTROL);
        in.key.alt = (kb->flags & LLKHF_ALTDOWN) || Down(VK_MENU);
        in.key.capsLock = ::GetKeyState(VK_CAPITAL) & 1;
        in.foreground = ForegroundAndLayout(in.layout);
        in.time = kb->time;

        const bool reported = s.switches.IsOn(hookproto::kHookKeyboard);
        // Where the key goes is judged now: the program may read the record
        // after the focus has moved on, say from a password box to the next
        // field once a password manager's Enter has gone through.
        if (reported) in.key.focus = FocusFlags(DescribeFocus(in.foreground));
        // A macro's hold: the program's own module is told by EnableHook,
        // the companion's learns it from the switch.
        if (kCompanionModule) s.hold.SetProgramHold(s.switches.IsOn(hookproto::kHookHoldKeys), ::GetTickCount());
        // Nothing is expanded where the focus suspends the engine, so no key
        // is held there: a hold would only slow the typing down.
        const bool mayComplete = reported && HoldFilter().Watches(in.foreground) && !OwnWindow(in.foreground) &&
                                 !SuspendsKey(in.key.focus) && MayComplete(in.key, in.layout);
        const KeyHold::Step step =
            s.hold.OnKey(source, AsHeldKey(*kb, in.key.isUp), reported, mayComplete, ::GetTickCount());
        if (step.wake) ::SetEvent(s.releaseWake.Get());
        if (step.swallow) return 1;
        if (reported) {
            in.holdTrigger = step.trigger;
            // A record that cannot be queued will never end its hold.
            if (!s.queue.Push(in) && step.trigger) {
                s.hold.EndHold(step.trigger);
                ::SetEvent(s.releaseWake.Get());
            }
            if (SwallowAltArrow(s, in.key)) return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool IsButtonPress(WPARAM message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_XBUTTONDOWN;
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
    HookModuleState& s = State();
    if (code == HC_ACTION) {
        s.lastCallbackTick = ::GetTickCount();
        const auto* ms = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        const bool ours = (ms->flags & LLMHF_INJECTED) && ms->dwExtraInfo == hookproto::kOwnInputSignature;
        // A click may move the caret: the word being typed is no longer known.
        if (!ours && IsButtonPress(wParam) && s.switches.IsOn(hookproto::kHookMouse)) {
            CapturedInput in;
            in.kind = CapturedInput::Kind::MouseButton;
            in.mouseMessage = UINT(wParam);
            in.point = ms->pt;
            in.time = ms->time;
            in.foreground = ForegroundAndLayout(in.layout);
            s.queue.Push(in);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void RemoveHooks(HookModuleState& s) {
    if (s.keyboardHook) ::UnhookWindowsHookEx(s.keyboardHook);
    if (s.mouseHook) ::UnhookWindowsHookEx(s.mouseHook);
    s.keyboardHook = s.mouseHook = nullptr;
}

bool InstallHooks(HookModuleState& s) {
    s.keyboardHook = ::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, s.self, 0);
    s.mouseHook = ::SetWindowsHookExW(WH_MOUSE_LL, MouseProc, s.self, 0);
    s.lastCallbackTick = ::GetTickCount();
    if (s.keyboardHook && s.mouseHook) return true;
    RemoveHooks(s);
    return false;
}

// Input that arrived after our last callback means Windows dropped a hook
// that once ran too long. Install both again.
void CheckWatchdog(HookModuleState& s) {
    LASTINPUTINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetLastInputInfo(&info)) return;
    uint32_t lastCallback = s.lastCallbackTick;
    if (!s.watchdog.Check(::GetTickCount(), info.dwTime, lastCallback)) return;
    RemoveHooks(s);
    InstallHooks(s);
    s.lastCallbackTick = lastCallback;
}

}  // namespace

bool HooksInstalled() { return State().keyboardHook && State().mouseHook; }

DWORD WINAPI HookThreadMain(void* readyEvent) {
    HookModuleState& s = State();
    MSG m;
    ::PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // gives the thread its queue
    const bool installed = InstallHooks(s);
    ::SetEvent(static_cast<HANDLE>(readyEvent));
    if (installed) {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, kWatchdogPeriodMs, nullptr);
        while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
            if (m.message == WM_TIMER && m.hwnd == nullptr) CheckWatchdog(s);
            ::DispatchMessageW(&m);
        }
        ::KillTimer(nullptr, timer);
        RemoveHooks(s);
    }
    // The thread holds a reference to the module, so the module cannot be
    // unloaded under it even when the host frees it without UnSetHooks.
    ::FreeLibraryAndExitThread(s.self, 0);
}

}  // namespace kx::hook
