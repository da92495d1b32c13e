#include "core/shared_file_watch.h"

namespace kx {
namespace {

// Whether tick `t` has come, on a clock that wraps.
bool Reached(uint32_t now, uint32_t t) { return int32_t(now - t) >= 0; }
uint32_t Earlier(uint32_t a, uint32_t b) { return int32_t(a - b) <= 0 ? a : b; }
uint32_t Later(uint32_t a, uint32_t b) { return int32_t(a - b) >= 0 ? a : b; }

}  // namespace

uint64_t WatchSharedFile(WatchedFile& file, Clock& clock, const FileStamp& known,
                         const std::function<void()>& changed, const std::function<bool()>& stop,
                         const WatchTiming& timing) {
    FileStamp last = known;
    uint64_t reads = 0;
    uint32_t now = clock.TickMs();
    bool armed = file.Arm();
    uint32_t nextArm = now + timing.rearmMs;
    uint32_t nextRead = now + timing.fallbackMs;
    uint32_t lastRead = now - timing.minGapMs;
    bool pending = false;  // a notice came; the stamp is read at readAt
    uint32_t readAt = 0;

    while (!stop()) {
        uint32_t due = nextRead;
        if (pending) due = Earlier(due, readAt);
        if (!armed) due = Earlier(due, nextArm);
        const FolderNotice notice = file.Wait(Reached(now, due) ? 0 : due - now);
        now = clock.TickMs();
        if (notice == FolderNotice::Woken) break;
        if (notice == FolderNotice::Changed && !pending) {
            pending = true;
            readAt = Later(now + timing.settleMs, lastRead + timing.minGapMs);
        } else if (notice == FolderNotice::Lost) {
            // Whatever changed since the last notice went unreported.
            armed = false;
            nextArm = now + timing.rearmMs;
            if (!pending) readAt = Later(now, lastRead + timing.minGapMs);
            pending = true;
        }
        if (!armed && Reached(now, nextArm)) {
            armed = file.Arm();
            nextArm = now + timing.rearmMs;
        }
        if ((pending && Reached(now, readAt)) || Reached(now, nextRead)) {
            const FileStamp stamp = file.Stamp();
            ++reads;
            lastRead = now;
            nextRead = now + timing.fallbackMs;
            pending = false;
            if (stamp != last) {
                last = stamp;
                changed();
            }
        }
    }
    return reads;
}

bool SharedFileWatcher::Start(std::unique_ptr<WatchedFile> file, const FileStamp& known,
                              std::function<void()> changed) {
    Stop();
    if (!file) return false;
    worker_.file = std::move(file);
    worker_.known = known;
    worker_.changed = std::move(changed);
    return worker_.Start(ThreadPriority::BelowNormal);
}

void SharedFileWatcher::Stop() {
    if (!worker_.file) return;
    worker_.RequestStop();
    worker_.file->Wake();
    worker_.Stop();
    worker_.file.reset();
}

void SharedFileWatcher::Worker::RunWorker() {
    WatchSharedFile(*file, SystemClock(), known, changed, [this] { return StopRequested(); });
}

}  // namespace kx
