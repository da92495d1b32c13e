#include "engine/macro/macro_job.h"

#include <thread>
#include <vector>

#include "engine/macro/key_command.h"
#include "engine/macro/mouse_command.h"
#include "engine/macro/other_command.h"

namespace kx {

MacroJob::MacroJob(MacroMachine& machine, ModifierWait wait) : machine_(machine), wait_(wait) {}

MacroJob::~MacroJob() {
    // From its own thread (AfterRun) this lets the thread go; from the
    // exit path the thread has been waited for already.
    Stop();
}

size_t MacroJob::Count() {
    std::lock_guard<std::mutex> g(list_.listLock);
    return list_.commands.size();
}

void MacroJob::Play() {
    // The list was filled before the thread started; nothing adds to it now.
    for (const auto& command : list_.commands) {
        if (StopRequested()) break;
        command->Run(*this);
        std::this_thread::yield();
    }
}

void MacroJob::AfterRun() {
    RunningJobs* jobs = owner_;
    if (!jobs) return;
    bool found = false;
    {
        std::lock_guard<std::mutex> g(jobs->lock);
        MacroJob* previous = nullptr;
        for (MacroJob* j = jobs->head.load(std::memory_order_relaxed); j; previous = j, j = j->next_) {
            if (j != this) continue;
            if (previous) previous->next_ = next_;
            else jobs->head.store(next_, std::memory_order_release);
            found = true;
            break;
        }
    }
    // Not found: the exit path took the job and destroys it once its thread ends.
    if (found) delete this;
}

void MacroJob::PlayMouse(const MouseCommand&) {
    // A mouse command carries no records: there is nothing to inject.
    machine_.SendInput({});
}

bool MacroJob::WaitForModifiersUp() {
    for (int test = 1;; ++test) {
        if (!machine_.KeyDown(vk::kControl) && !machine_.KeyDown(0x12)) return true;
        if (test >= wait_.tests) break;
        machine_.ClearThreadKeyState();
        if (WaitOrStop(wait_.intervalMs)) return false;
    }
    machine_.ReportKeysStillDown();
    return false;
}

void MacroJob::Inject(std::span<const KeyRecord> records) {
    if (records.empty()) return;
    machine_.HoldUserKeys(true);
    machine_.SendInput(records);
    machine_.HoldUserKeys(false);
}

void MacroJob::PlayKeys(const KeyCommand& command) {
    // The keys of the combination that started the macro may still be down;
    // injected keys would arrive with them.
    if (!WaitForModifiersUp()) return;
    Inject(command.records);
    if (command.subKind == keysub::kPress && command.holdMs > 0) {
        // The keys stay down for the hold time; the user's keys pass
        // meanwhile, as in a pause. A stop cuts it short, but the keys are
        // still let go.
        WaitOrStop(uint32_t(command.holdMs));
        std::vector<KeyRecord> release(command.records.rbegin(), command.records.rend());
        for (KeyRecord& r : release) r.flags |= keyflag::kKeyUp;
        Inject(release);
    }
    std::this_thread::yield();
}

void MacroJob::PlayOther(const OtherCommand& command) {
    if (command.subKind == othersub::kPause) WaitOrStop(command.pauseMs);
    else if (command.subKind == othersub::kCommand) machine_.StartProgram(command.commandLine);
}

bool StartJob(MacroJob* job, RunningJobs& jobs) {
    {
        std::lock_guard<std::mutex> g(jobs.lock);
        job->next_ = jobs.head.load(std::memory_order_relaxed);
        job->owner_ = &jobs;
        jobs.head.store(job, std::memory_order_release);
    }
    if (job->Start(ThreadPriority::Normal)) return true;
    {
        std::lock_guard<std::mutex> g(jobs.lock);
        MacroJob* previous = nullptr;
        for (MacroJob* j = jobs.head.load(std::memory_order_relaxed); j; previous = j, j = j->next_) {
            if (j != job) continue;
            if (previous) previous->next_ = job->next_;
            else jobs.head.store(job->next_, std::memory_order_release);
            break;
        }
    }
    delete job;
    return false;
}

void SignalAllJobs(RunningJobs& jobs) {
    std::lock_guard<std::mutex> g(jobs.lock);
    for (MacroJob* j = jobs.head.load(std::memory_order_relaxed); j; j = j->next_) j->RequestStop();
}

void StopAllJobs(RunningJobs& jobs) {
    std::vector<MacroJob*> taken;
    {
        std::lock_guard<std::mutex> g(jobs.lock);
        for (MacroJob* j = jobs.head.load(std::memory_order_relaxed); j; j = j->next_) taken.push_back(j);
        jobs.head.store(nullptr, std::memory_order_release);
    }
    for (MacroJob* j : taken) {
        j->Stop();
        delete j;
    }
}

}  // namespace kx
