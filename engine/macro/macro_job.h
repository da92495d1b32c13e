// A macro job: the commands of one macro shortcut, played in order on a
// thread of its own.
//
// The job owns itself once it is started: it sits on the running-jobs list
// while it plays and, when its last command has run (or its stop signal
// ended it), takes itself off the list and is destroyed. The program's exit
// takes the jobs off the list first, and then stops and destroys them
// itself. While the list is not empty the matcher matches no typing.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/macro/macro_command.h"
#include "engine/macro/macro_machine.h"
#include "engine/macro/macro_parse.h"
#include "platform/worker_thread.h"

namespace kx {

class MacroJob;

// The jobs whose threads are playing, newest first. The lock guards the
// links; whether the list is empty is read without it.
struct RunningJobs {
    std::mutex lock;
    std::atomic<MacroJob*> head{nullptr};
    bool Empty() const { return head.load(std::memory_order_acquire) == nullptr; }
};

// How long a keyboard command waits for CTRL and ALT to be let go.
struct ModifierWait {
    uint32_t intervalMs = 100;
    int tests = 50;
};

class MacroJob final : public WorkerThread, private MacroPlayer {
public:
    explicit MacroJob(MacroMachine& machine, ModifierWait wait = {});
    ~MacroJob() override;

    MacroCommandList& Commands() { return list_; }
    size_t Count();

    // Plays the commands: stops before a command once the stop signal is set.
    void Play();
    void RunWorker() override { Play(); }
    // Takes the job off its list and, when it was still there, destroys it.
    void AfterRun() override;

private:
    friend bool StartJob(MacroJob* job, RunningJobs& jobs);
    friend void StopAllJobs(RunningJobs& jobs);
    friend void SignalAllJobs(RunningJobs& jobs);

    void PlayMouse(const MouseCommand& command) override;
    void PlayKeys(const KeyCommand& command) override;
    void PlayOther(const OtherCommand& command) override;
    // True once CTRL and ALT are both up; false when they stayed down (the
    // user is told) or the job was stopped meanwhile.
    bool WaitForModifiersUp();
    // Injects the records with the user's keys held back around them.
    void Inject(std::span<const KeyRecord> records);

    MacroMachine& machine_;
    const ModifierWait wait_;
    MacroCommandList list_;
    MacroJob* next_ = nullptr;
    RunningJobs* owner_ = nullptr;
};

// Puts the job at the head of the list and starts its thread; from then on
// the job owns itself. When the thread cannot start, the job is destroyed
// and false returned.
bool StartJob(MacroJob* job, RunningJobs& jobs);
// Sets every playing job's stop signal without waiting (the user's ESC).
void SignalAllJobs(RunningJobs& jobs);
// The program's exit: takes every job off the list, stops it, waits for
// its thread and destroys it.
void StopAllJobs(RunningJobs& jobs);

}  // namespace kx
