// Owners of the Win32 handles the windows create: each frees its handle
// with the matching call when it goes out of scope.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace kx {

template <class H, class Traits>
class UniqueWinHandle {
public:
    UniqueWinHandle() = default;
    explicit UniqueWinHandle(H h) : h_(h) {}
    UniqueWinHandle(const UniqueWinHandle&) = delete;
    UniqueWinHandle& operator=(const UniqueWinHandle&) = delete;
    UniqueWinHandle(UniqueWinHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
    UniqueWinHandle& operator=(UniqueWinHandle&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, H{}));
        return *this;
    }
    ~UniqueWinHandle() { Reset(); }

    void Reset(H h = H{}) {
        if (h_) Traits::Free(h_);
        h_ = h;
    }
    H Release() { return std::exchange(h_, H{}); }
    H Get() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }

private:
    H h_{};
};

struct IconTraits { static void Free(HICON h) { ::DestroyIcon(h); } };
struct MenuTraits { static void Free(HMENU h) { ::DestroyMenu(h); } };
struct AccelTraits { static void Free(HACCEL h) { ::DestroyAcceleratorTable(h); } };
struct ImageListTraits { static void Free(HIMAGELIST h) { ::ImageList_Destroy(h); } };
struct GdiTraits { static void Free(HGDIOBJ h) { ::DeleteObject(h); } };
struct KernelTraits { static void Free(HANDLE h) { ::CloseHandle(h); } };
struct WindowTraits { static void Free(HWND h) { ::DestroyWindow(h); } };

using UniqueIcon = UniqueWinHandle<HICON, IconTraits>;
using UniqueMenu = UniqueWinHandle<HMENU, MenuTraits>;
using UniqueAccel = UniqueWinHandle<HACCEL, AccelTraits>;
using UniqueImageList = UniqueWinHandle<HIMAGELIST, ImageListTraits>;
using UniqueFont = UniqueWinHandle<HFONT, GdiTraits>;
using UniqueKernelHandle = UniqueWinHandle<HANDLE, KernelTraits>;
using UniqueWindow = UniqueWinHandle<HWND, WindowTraits>;

// An icon resource of this program at a given size.
inline HICON LoadAppIcon(int id, int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size,
                                           size, LR_DEFAULTCOLOR));
}

}  // namespace kx
