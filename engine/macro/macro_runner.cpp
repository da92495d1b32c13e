#include "engine/macro/macro_runner.h"

namespace kx {

MacroRunner::MacroRunner(MacroMachine& machine, MacroSystem& system, ModifierWait wait)
    : machine_(machine), system_(system), wait_(wait) {}

MacroRunner::~MacroRunner() { StopAll(); }

bool MacroRunner::Launch(const ShortcutEntry& entry) {
    pendingJob_ = std::make_unique<MacroJob>(machine_, wait_);
    ParseScript(entry.plainText, pendingJob_->Commands(), system_);
    const auto& commands = pendingJob_->Commands().commands;
    const bool firstIsKeyboard = !commands.empty() && commands.front()->Kind() == commandkind::kKeyboard;
    StartJob(pendingJob_.release(), jobs_);
    return firstIsKeyboard;
}

void MacroRunner::StopAll() { StopAllJobs(jobs_); }

}  // namespace kx
