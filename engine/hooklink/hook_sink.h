// What the hook link hands its records to: the engine's word tracker and the
// application's notices. The Expander sits behind it (see expander_sink.h);
// tests put a recorder there.
#pragma once

#include <cstdint>

#include "engine/matcher/key_event.h"

namespace kx {

class HookEventSink {
public:
    virtual ~HookEventSink() = default;
    // One key event of type 20, in the order typed.
    virtual void OnKeyEvent(const KeyEvent& e) = 0;
    // A type-30 record, or the hooks stopping: forget the word being typed.
    virtual void ResetTypedBuffer() = 0;
    // An EngineNotice (posted, never sent) to the application window.
    virtual void PostNotice(int kind, intptr_t value) = 0;
    // The link runs: notices go to `applicationWindow` as message `noticeMessage`.
    virtual void OnEngineStarted(uintptr_t applicationWindow, uint32_t noticeMessage) = 0;
};

}  // namespace kx
