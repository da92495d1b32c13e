// The threads of a phrase dictionary: each runs one kind of pass at a fixed
// interval until it is stopped; the loader runs once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "learn/phrase_dictionary.h"
#include "platform/clock.h"
#include "platform/worker_thread.h"

namespace kx {

class PollingWorker final : public WorkerThread {
public:
    PollingWorker(uint32_t periodMs, std::function<void()> pass) : periodMs_(periodMs), pass_(std::move(pass)) {}
    ~PollingWorker() override { Stop(); }
    void RunWorker() override {
        while (!WaitOrStop(periodMs_)) pass_();
    }

private:
    uint32_t periodMs_;
    std::function<void()> pass_;
};

class LoaderWorker final : public WorkerThread {
public:
    // `load(path, pacing)`: the pacing's give-way sleeps with the lock
    // released and says whether the worker was asked to stop.
    using LoadFn = std::function<void(const std::u16string&, const LoadPacing&)>;
    LoaderWorker(LoadFn load, Clock& clock) : load_(std::move(load)), clock_(clock) {}
    ~LoaderWorker() override { Stop(); }
    // Only while the worker is not running.
    void SetPath(const std::u16string& path) { path_ = path; }
    void RunWorker() override {
        LoadPacing pacing;
        pacing.giveWay = [this](uint32_t ms) { return WaitOrStop(ms); };
        pacing.clock = &clock_;
        load_(path_, pacing);
    }

private:
    LoadFn load_;
    Clock& clock_;
    std::u16string path_;
};

}  // namespace kx
