// Thread priorities through the Windows scheduler.
#include <windows.h>

#include "platform/worker_thread.h"

namespace kx {

void SetCurrentThreadPriority(ThreadPriority priority) {
    int p = THREAD_PRIORITY_NORMAL;
    switch (priority) {
        case ThreadPriority::Idle: p = THREAD_PRIORITY_IDLE; break;
        case ThreadPriority::Lowest: p = THREAD_PRIORITY_LOWEST; break;
        case ThreadPriority::BelowNormal: p = THREAD_PRIORITY_BELOW_NORMAL; break;
        case ThreadPriority::Normal: p = THREAD_PRIORITY_NORMAL; break;
        case ThreadPriority::AboveNormal: p = THREAD_PRIORITY_ABOVE_NORMAL; break;
        case ThreadPriority::Highest: p = THREAD_PRIORITY_HIGHEST; break;
    }
    SetThreadPriority(GetCurrentThread(), p);
}

ThreadPriority CurrentThreadPriority() {
    int p = GetThreadPriority(GetCurrentThread());
    if (p <= THREAD_PRIORITY_IDLE) return ThreadPriority::Idle;
    if (p <= THREAD_PRIORITY_LOWEST) return ThreadPriority::Lowest;
    if (p < THREAD_PRIORITY_NORMAL) return ThreadPriority::BelowNormal;
    if (p == THREAD_PRIORITY_NORMAL) return ThreadPriority::Normal;
    if (p < THREAD_PRIORITY_HIGHEST) return ThreadPriority::AboveNormal;
    return ThreadPriority::Highest;
}

}  // namespace kx
