#include "engine/hooklink/named_mutex_win32.h"

#include "engine/hooklink/named_objects_win32.h"

namespace kx {
namespace {

constexpr DWORD kRetryMs = 50;

}  // namespace

NamedMutexLock NamedMutexLock::Take(const std::wstring& name, DWORD budgetMs) {
    return Take(
        name, budgetMs,
        [](const std::wstring& n, DWORD& error) {
            HANDLE h = CreateOwnMutex(n.c_str(), error);
            if (h) error = ERROR_SUCCESS;
            return h;
        },
        [](DWORD ms) { ::Sleep(ms); });
}

NamedMutexLock NamedMutexLock::Take(const std::wstring& name, DWORD budgetMs, const CreateMutexFn& create,
                                    const SleepFn& sleep) {
    NamedMutexLock lock;
    DWORD budget = budgetMs;
    for (;;) {
        DWORD error = ERROR_SUCCESS;
        lock.mutex_.Reset(create(name, error));
        if (lock.mutex_ || error != ERROR_ACCESS_DENIED || budget < kRetryMs + 1) break;
        sleep(kRetryMs);
        budget -= kRetryMs;
    }
    if (!lock.mutex_) return lock;
    const DWORD r = ::WaitForSingleObject(lock.mutex_.Get(), budget);
    // Only a time-out means another process holds it; an abandoned mutex is ours.
    lock.taken_ = (r != WAIT_TIMEOUT);
    return lock;
}

void NamedMutexLock::Release() {
    if (taken_) ::ReleaseMutex(mutex_.Get());
    taken_ = false;
    mutex_.Reset();
}

}  // namespace kx
