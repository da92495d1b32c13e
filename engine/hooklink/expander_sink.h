// Connects the hook link to the Expander and the application's notice port.
#pragma once

#include <functional>

#include "engine/hooklink/hook_sink.h"
#include "engine/matcher/engine_ports.h"
#include "engine/matcher/expander.h"

namespace kx {

class ExpanderSink final : public HookEventSink {
public:
    // `onStarted` tells the application's notice port where notices now go.
    ExpanderSink(Expander& expander, AppLink& app, std::function<void(uintptr_t, uint32_t)> onStarted = {})
        : expander_(expander), app_(app), onStarted_(std::move(onStarted)) {}

    void OnKeyEvent(const KeyEvent& e) override { expander_.OnKeyEvent(e); }
    void ResetTypedBuffer() override { expander_.ResetTypedBuffer(); }
    void PostNotice(int kind, intptr_t value) override { app_.PostNotice(kind, value); }
    void OnEngineStarted(uintptr_t window, uint32_t message) override {
        if (onStarted_) onStarted_(window, message);
    }

private:
    Expander& expander_;
    AppLink& app_;
    std::function<void(uintptr_t, uint32_t)> onStarted_;
};

}  // namespace kx
