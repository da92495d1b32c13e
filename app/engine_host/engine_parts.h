// The Win32 pieces under the EngineHost: the hook control, and the window
// query and idle ports it shares with other hosts.
#pragma once

#include <windows.h>

#include <string>

#include "engine/matcher/engine_ports.h"
#include "engine/matcher/idle_ports.h"
#include "engine/output/hook_control.h"
#include "platform/win32/window_query_win32.h"

namespace kx {

// The hook module's EnableHook export, looked up in the loaded module.
class LoadedModuleHooks final : public HookControl {
public:
    void SetModulePath(std::wstring path) { path_ = std::move(path); }
    bool ModuleLoaded() override;
    void EnableHook(int index, bool enable) override;

private:
    std::wstring path_;
};

}  // namespace kx
