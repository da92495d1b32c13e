// One owner type for every Win32 handle the program, the hook module and the
// companion hold: each frees what it holds exactly once, with the call that
// matches its kind, when it goes out of scope.
#pragma once

#include <windows.h>
#include <commctrl.h>

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
    // Frees the handle held, if any, takes `h`, and returns whether the free worked.
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

// Traits for handles whose "none" is a null pointer.
template <typename T, BOOL(WINAPI* Free)(T)>
struct NullHandleTraits {
    static T Invalid() { return nullptr; }
    static bool Close(T h) { return Free(h) != FALSE; }
};

template <typename T>
struct GdiObjectTraits {
    static T Invalid() { return nullptr; }
    static bool Close(T h) { return ::DeleteObject(h) != FALSE; }
};
struct ViewTraits {
    static void* Invalid() { return nullptr; }
    static bool Close(void* p) { return ::UnmapViewOfFile(p) != FALSE; }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static bool Close(HIMAGELIST h) { return ::ImageList_Destroy(h) != FALSE; }
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Close(HKEY k) { return ::RegCloseKey(k) == ERROR_SUCCESS; }
};

// A COM interface pointer: released, not closed.
template <typename I>
struct ComTraits {
    static I* Invalid() { return nullptr; }
    static bool Close(I* p) {
        p->Release();
        return true;
    }
};

// Threads, events, mutexes, mappings, processes and files opened for reading.
using UniqueHandle = UniqueWin<HANDLE, NullHandleTraits<HANDLE, ::CloseHandle>>;
using UniqueModule = UniqueWin<HMODULE, NullHandleTraits<HMODULE, ::FreeLibrary>>;
using UniqueView = UniqueWin<void*, ViewTraits>;
using UniqueIcon = UniqueWin<HICON, NullHandleTraits<HICON, ::DestroyIcon>>;
using UniqueMenu = UniqueWin<HMENU, NullHandleTraits<HMENU, ::DestroyMenu>>;
using UniqueAccel = UniqueWin<HACCEL, NullHandleTraits<HACCEL, ::DestroyAcceleratorTable>>;
using UniqueWindow = UniqueWin<HWND, NullHandleTraits<HWND, ::DestroyWindow>>;
using UniqueImageList = UniqueWin<HIMAGELIST, ImageListTraits>;
using UniqueFont = UniqueWin<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueWin<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueKey = UniqueWin<HKEY, RegKeyTraits>;
template <typename I>
using UniqueCom = UniqueWin<I*, ComTraits<I>>;

// An icon resource of this program at a given size.
inline HICON LoadAppIcon(int id, int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size,
                                           size, LR_DEFAULTCOLOR));
}

}  // namespace kx
