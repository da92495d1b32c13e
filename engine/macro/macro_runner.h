// The matcher's macro port: a matched key combination becomes a macro job
// that plays on its own thread, and the matcher ignores typing while any
// job plays.
#pragma once

#include <memory>

#include "engine/macro/macro_job.h"
#include "engine/macro/macro_machine.h"
#include "engine/macro/macro_system.h"
#include "engine/matcher/engine_ports.h"

namespace kx {

class MacroRunner final : public MacroLauncher {
public:
    MacroRunner(MacroMachine& machine, MacroSystem& system, ModifierWait wait = {});
    // Stops every job and waits for it.
    ~MacroRunner() override;

    bool AnyRunning() override { return !jobs_.Empty(); }
    MacroStart Launch(const ShortcutEntry& entry, MacroRights rights) override;
    void StopPlaying() override { SignalAllJobs(jobs_); }
    // The program's exit: every job stops and is waited for.
    void StopAll();

private:
    MacroMachine& machine_;
    MacroSystem& system_;
    const ModifierWait wait_;
    RunningJobs jobs_;
    // The job being prepared from a script and not yet started.
    std::unique_ptr<MacroJob> pendingJob_;
};

}  // namespace kx
