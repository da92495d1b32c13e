// The rules per program as the application shows them: the status bar's
// note on the program in front, the tray menu's "Off in This Program", and
// the engine's balloons about programs.
#include "app/main/app_core.h"
#include "app/resource_ids.h"
#include "core/program_rules.h"
#include "engine/hooklink/window_program_win32.h"

namespace kx {
namespace {

constexpr unsigned kProgramBalloonMs = 10000;

}  // namespace

void AppCore::StartForegroundWatch() {
    // Without the watch the note follows the engine's notices, which come
    // as keys are typed in the program in front.
    foreground_.Start([this](HWND) { RefreshProgramNote(); });
    RefreshProgramNote();
}

std::u16string AppCore::WorkProgram() const {
    HWND window = foreground_.WorkWindow();
    DWORD process = 0;
    if (!window || !::GetWindowThreadProcessId(window, &process) || process == ::GetCurrentProcessId()) return {};
    return ProgramFileNameOfWindow(window);
}

void AppCore::RefreshProgramNote() {
    HWND front = ::GetForegroundWindow();
    DWORD process = 0;
    std::u16string program;
    if (front && ::GetWindowThreadProcessId(front, &process) && process != ::GetCurrentProcessId())
        program = ProgramFileNameOfWindow(front);
    std::u16string note;
    if (!program.empty() && ProgramRuleStore(services_->registry).Find(program).kind == ProgramRuleKind::Off)
        note = u"Off in " + program;
    if (note == programNote_) return;
    programNote_ = std::move(note);
    RefreshState();
}

void AppCore::ToggleOffInProgram(const std::u16string& program) {
    if (program.empty()) return;
    ProgramRuleStore(services_->registry).ToggleOff(program);
    RefreshProgramNote();
}

void AppCore::ShowProgramNotices() {
    for (const ProgramNotice& n : engine_.Engine().TakeProgramNotices()) {
        if (n.what == notice::kProgramElevated)
            tray_.ShowBalloon(u"Program Runs as Administrator",
                              n.program + u" runs as administrator. Windows does not let Kestrix type into it.",
                              kProgramBalloonMs);
        else if (n.what == notice::kProgramPlainText)
            tray_.ShowBalloon(u"Typed as Plain Text",
                              u"Kestrix types expansions into " + n.program +
                                  u", so rich text and pictures arrive there as their plain text.",
                              kProgramBalloonMs);
    }
}

}  // namespace kx
