// The output side's hold on the hook module: its hooks are paused while an
// expansion injects keys, so the program does not see its own typing.
#pragma once

namespace kx {

class HookControl {
public:
    virtual ~HookControl() = default;
    // Whether the hook module is loaded; without it there is nothing to pause.
    virtual bool ModuleLoaded() = 0;
    // The module's EnableHook export.
    virtual void EnableHook(int index, bool enable) = 0;
};

// Pauses hooks 1 and 0 for its scope (hook 2 keeps running) and resumes them
// in the same order whatever happens in between. Does nothing without a
// loaded module.
class HookPause {
public:
    explicit HookPause(HookControl* hooks) : hooks_(hooks && hooks->ModuleLoaded() ? hooks : nullptr) {
        if (hooks_) {
            hooks_->EnableHook(1, false);
            hooks_->EnableHook(0, false);
        }
    }
    ~HookPause() {
        if (hooks_) {
            hooks_->EnableHook(1, true);
            hooks_->EnableHook(0, true);
        }
    }
    HookPause(const HookPause&) = delete;
    HookPause& operator=(const HookPause&) = delete;

private:
    HookControl* hooks_;
};

}  // namespace kx
