// The Win32 pieces under the EngineHost: window query, hook control and the
// ports that no engine part of this program fills yet.
#pragma once

#include <windows.h>

#include <string>

#include "engine/matcher/engine_ports.h"
#include "engine/output/hook_control.h"
#include "platform/window_query.h"

namespace kx {

class Win32WindowQuery final : public WindowQuery {
public:
    WindowHandle Foreground() override;
    std::u16string ClassName(WindowHandle window) override;
};

// The hook module's EnableHook export, looked up in the loaded module.
class LoadedModuleHooks final : public HookControl {
public:
    void SetModulePath(std::wstring path) { path_ = std::move(path); }
    bool ModuleLoaded() override;
    void EnableHook(int index, bool enable) override;

private:
    std::wstring path_;
};

// Macro shortcuts are matched but this program plays none of them: the
// matcher sees no job running and starts none.
class NoMacroPlayer final : public MacroLauncher {
public:
    bool AnyRunning() override { return false; }
    bool Launch(const ShortcutEntry&) override { return false; }
};

// Without the Auto Complete window the key stream feeds no dictionary.
class NoAutoComplete final : public AutoCompleteLink {
public:
    void TrackEdit(const KeyEvent&) override {}
    void FeedKey(const KeyEvent&) override {}
    void CancelDoubleCtrl() override {}
    bool LearningAvailable() override { return false; }
    bool IsAutoCompleteWindow(WindowHandle) override { return false; }
};

}  // namespace kx
