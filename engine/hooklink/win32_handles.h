// Owners for the Win32 handles of the hook link, the hook modules and the
// companion: each closes what it holds exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace kx {

template <typename T, typename Traits>
class UniqueWin {
public:
    UniqueWin() = default;
    explicit UniqueWin(T h) : h_(h) {}
    UniqueWin(UniqueWin&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueWin& operator=(UniqueWin&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, Traits::Invalid()));
        return *this;
    }
    UniqueWin(const UniqueWin&) = delete;
    UniqueWin& operator=(const UniqueWin&) = delete;
    ~UniqueWin() { Reset(); }

    T Get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    // Closes the handle held, if any, and returns whether that worked.
    bool Reset(T h = Traits::Invalid()) {
        bool ok = true;
        if (h_ != Traits::Invalid()) ok = Traits::Close(h_);
        h_ = h;
        return ok;
    }
    T Release() { return std::exchange(h_, Traits::Invalid()); }

private:
    T h_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Close(HANDLE h) { return ::CloseHandle(h) != FALSE; }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool Close(HMODULE h) { return ::FreeLibrary(h) != FALSE; }
};
struct ViewTraits {
    static void* Invalid() { return nullptr; }
    static bool Close(void* p) { return ::UnmapViewOfFile(p) != FALSE; }
};

// Threads, events, mutexes, mappings and processes.
using UniqueHandle = UniqueWin<HANDLE, KernelHandleTraits>;
using UniqueModule = UniqueWin<HMODULE, ModuleTraits>;
using UniqueView = UniqueWin<void*, ViewTraits>;

}  // namespace kx
