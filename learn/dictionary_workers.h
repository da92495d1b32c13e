// The threads of a phrase dictionary: each runs one kind of pass at a fixed
// interval until it is stopped; the loader runs once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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
    // `load(path, pause)`: the pause sleeps between lines and says whether
    // the worker was asked to stop.
    using LoadFn = std::function<void(const std::u16string&, const std::function<bool(uint32_t)>&)>;
    explicit LoaderWorker(LoadFn load) : load_(std::move(load)) {}
    ~LoaderWorker() override { Stop(); }
    // Only while the worker is not running.
    void SetPath(const std::u16string& path) { path_ = path; }
    void RunWorker() override {
        load_(path_, [this](uint32_t ms) { return WaitOrStop(ms); });
    }

private:
    LoadFn load_;
    std::u16string path_;
};

}  // namespace kx
