// The named mutexes shared with the companion, taken with a time budget.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/handles.h"

namespace kx {

// Creating the mutex, as CreateMutexW does: the handle, or null with the error.
using CreateMutexFn = std::function<HANDLE(const std::wstring& name, DWORD& error)>;
using SleepFn = std::function<void(DWORD ms)>;

// Holds a named mutex for its lifetime. While creating it fails with access
// denied (another session's security, or the creator still setting up),
// Take waits 50 ms and tries again, taking the 50 ms off the budget, until
// less than 51 ms remain; then it waits for the mutex with what is left. The
// mutex counts as taken unless that wait timed out.
class NamedMutexLock {
public:
    NamedMutexLock() = default;
    static NamedMutexLock Take(const std::wstring& name, DWORD budgetMs);
    static NamedMutexLock Take(const std::wstring& name, DWORD budgetMs, const CreateMutexFn& create,
                               const SleepFn& sleep);
    NamedMutexLock(NamedMutexLock&&) = default;
    NamedMutexLock& operator=(NamedMutexLock&&) = default;
    ~NamedMutexLock() { Release(); }

    bool Taken() const { return taken_; }
    // Releases (when taken) and closes the handle.
    void Release();

private:
    UniqueHandle mutex_;
    bool taken_ = false;
};

}  // namespace kx
