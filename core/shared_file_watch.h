// Seeing other users' changes to the shared file, on a thread of its own.
//
// Every user's program watches the same file, often on one file server, so
// the server hears from each as little as will do: the watch waits for the
// folder's change notices and reads the file's stamp only when one comes,
// and otherwise every 10 s, in case the server's notices stopped or never
// came (not every file server sends them).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/clock.h"
#include "platform/watched_file.h"
#include "platform/worker_thread.h"

namespace kx {

struct WatchTiming {
    // The stamp is read at least this often, notices or not.
    uint32_t fallbackMs = 10000;
    // A save is several steps (a staged file written, then moved over the
    // old one): the stamp is read this long after the first notice.
    uint32_t settleMs = 150;
    // Stamp reads for notices come at most this often, however busy the
    // folder is.
    uint32_t minGapMs = 750;
    // A folder whose notices failed or stopped is asked again after this.
    uint32_t rearmMs = 5 * 60 * 1000;
};

// The watch's logic: waits on `file` and calls `changed` on the watching
// thread whenever the stamp differs from the last one seen, starting from
// `known`. Returns when Wait reports Woken or `stop` is true after a wait.
// Gives the number of stamp reads made.
uint64_t WatchSharedFile(WatchedFile& file, Clock& clock, const FileStamp& known,
                         const std::function<void()>& changed, const std::function<bool()>& stop,
                         const WatchTiming& timing = {});

// The watch on its own thread.
class SharedFileWatcher {
public:
    SharedFileWatcher() = default;
    ~SharedFileWatcher() { Stop(); }
    SharedFileWatcher(const SharedFileWatcher&) = delete;
    SharedFileWatcher& operator=(const SharedFileWatcher&) = delete;

    // Stops any watch that runs, then watches `file` from `known` on. False
    // when the thread cannot start.
    bool Start(std::unique_ptr<WatchedFile> file, const FileStamp& known, std::function<void()> changed);
    // Ends the watch and waits for its thread.
    void Stop();

private:
    class Worker final : public WorkerThread {
    public:
        ~Worker() override { WorkerThread::Stop(); }
        std::unique_ptr<WatchedFile> file;
        FileStamp known;
        std::function<void()> changed;

    private:
        void RunWorker() override;
    };
    Worker worker_;
};

}  // namespace kx
