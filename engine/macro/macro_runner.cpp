#include "engine/macro/macro_runner.h"

#include <algorithm>

#include "engine/macro/other_command.h"

namespace kx {
namespace {

bool StartsProgram(const std::unique_ptr<MacroCommand>& command) {
    return command->Kind() == commandkind::kOther &&
           static_cast<const OtherCommand&>(*command).subKind == othersub::kCommand;
}

}  // namespace

MacroRunner::MacroRunner(MacroMachine& machine, MacroSystem& system, ModifierWait wait)
    : machine_(machine), system_(system), wait_(wait) {}

MacroRunner::~MacroRunner() { StopAll(); }

MacroStart MacroRunner::Launch(const ShortcutEntry& entry, MacroRights rights) {
    MacroStart start;
    if (entry.kind != ShortcutKind::Macro) return start;
    pendingJob_ = std::make_unique<MacroJob>(machine_, wait_);
    ParseScript(entry.plainText, pendingJob_->Commands(), system_);
    auto& commands = pendingJob_->Commands().commands;
    if (!rights.startPrograms) start.programRefused = std::erase_if(commands, StartsProgram) > 0;
    start.firstIsKeyboard = !commands.empty() && commands.front()->Kind() == commandkind::kKeyboard;
    start.started = StartJob(pendingJob_.release(), jobs_);
    return start;
}

void MacroRunner::StopAll() { StopAllJobs(jobs_); }

}  // namespace kx
