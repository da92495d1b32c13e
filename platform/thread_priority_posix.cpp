// Thread priorities on systems where an ordinary user cannot raise them: the
// value is remembered per thread so that a stopping owner can hand its own
// priority to a worker, and lowered priorities map to the thread's nice value.
#if !defined(_WIN32)

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/worker_thread.h"

namespace kx {
namespace {
thread_local ThreadPriority current = ThreadPriority::Normal;

int NiceFor(ThreadPriority p) {
    switch (p) {
        case ThreadPriority::Idle: return 19;
        case ThreadPriority::Lowest: return 10;
        case ThreadPriority::BelowNormal: return 5;
        default: return 0;
    }
}
}  // namespace

void SetCurrentThreadPriority(ThreadPriority priority) {
    current = priority;
    // Linux applies nice values per thread; raising it back may be refused
    // for an unprivileged user, which only leaves the thread slower.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), NiceFor(priority));
}

ThreadPriority CurrentThreadPriority() { return current; }

}  // namespace kx

#endif
