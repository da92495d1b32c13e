#include "hook/dll/record_sender.h"

#include "engine/hooklink/hook_protocol.h"
#include "hook/dll/bitness_filter.h"
#include "hook/dll/hook_state.h"
#include "hook/dll/key_release.h"
#include "hook/dll/layout_translator.h"

namespace kx::hook {
namespace {

using namespace hookproto;

#ifdef KXHOOK_COMPANION_MODULE
constexpr bool kCompanionModule = true;
#else
constexpr bool kCompanionModule = false;
#endif

// The sender's view of its run: where records go, and whether its
// generation still runs (a stopped sender sends nothing more).
struct Route {
    HookModuleState& s;
    uint32_t generation;
};

bool Send(const Route& route, uint32_t type, const void* data, DWORD size) {
    if (!route.s.queue.Current(route.generation)) return false;
    HWND target = route.s.target.load();
    if (!target) return false;
    COPYDATASTRUCT cds{};
    cds.dwData = type;
    cds.cbData = size;
    cds.lpData = const_cast<void*>(data);
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                 SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
}

bool SendDiscard(const Route& route, DiscardReason reason, const CapturedInput& in) {
    DiscardRecord r;
    r.reason = uint32_t(reason);
    r.message = in.mouseMessage;
    r.x = in.point.x;
    r.y = in.point.y;
    r.time = in.time;
    const uint64_t window = reinterpret_cast<uintptr_t>(in.foreground);
    r.windowLow = uint32_t(window);
    r.windowHigh = uint32_t(window >> 32);
    return Send(route, kRecordDiscardWord, &r, sizeof(r));
}

// One captured input to the program, as one or more records.
void SendCaptured(const Route& route, BitnessFilter& filter, const CapturedInput& in, bool lostBefore,
                  HWND& lastForeground, bool& lost) {
    HookModuleState& s = route.s;
    if (!filter.Watches(in.foreground)) return;
    if (lost || lostBefore) lost = !SendDiscard(route, DiscardReason::RecordsLost, in);
    if (in.kind == CapturedInput::Kind::MouseButton) {
        lost = !SendDiscard(route, DiscardReason::MouseButton, in) || lost;
        return;
    }
    if (lastForeground && in.foreground != lastForeground && s.switches.IsOn(kHookFocusChange))
        lost = !SendDiscard(route, DiscardReason::ForegroundChange, in) || lost;
    lastForeground = in.foreground;

    LayoutTranslator translator(in.layout);
    uint8_t wire[kKeyEventWireSize];
    EncodeKeyEvent(BuildKeyEvent(in.key, translator), wire);
    if (!Send(route, kRecordKeyEvent, wire, sizeof(wire))) lost = true;
}

}  // namespace

DWORD WINAPI SenderThreadMain(void* generation) {
    HookModuleState& s = State();
    const Route route{s, uint32_t(reinterpret_cast<uintptr_t>(generation))};
    BitnessFilter filter(kCompanionModule);
    HWND lastForeground = nullptr;
    bool lost = false;
    CapturedInput in;
    bool lostBefore = false;
    while (s.queue.Pop(in, lostBefore, route.generation)) {
        // From here the hold lasts as long as the program takes, paste
        // included, up to the send's own limit.
        if (in.holdTrigger) s.hold.Delivering(in.holdTrigger);
        SendCaptured(route, filter, in, lostBefore, lastForeground, lost);
        // The program handles a key's record completely, expansion included,
        // before SendMessageTimeout returns; the keys held behind it go now,
        // whether the record was sent, refused or timed out.
        if (in.holdTrigger) {
            s.hold.EndHold(in.holdTrigger);
            ReplayReleasable(s);
        }
    }
    ::FreeLibraryAndExitThread(s.self, 0);
}

}  // namespace kx::hook
