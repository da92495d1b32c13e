#include "platform/win32/clipboard_win32.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

namespace kx {
namespace {

// A global memory block that is freed unless handed on with Release().
class GlobalBlock {
public:
    explicit GlobalBlock(size_t bytes) : h_(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {}
    ~GlobalBlock() { if (h_) GlobalFree(h_); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return h_; }
    HGLOBAL Release() { return std::exchange(h_, nullptr); }

private:
    HGLOBAL h_;
};

// A global memory block locked for the scope.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
    ~GlobalLockScope() { if (p_) GlobalUnlock(h_); }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* get() const { return p_; }

private:
    HGLOBAL h_;
    void* p_;
};

}  // namespace

bool Win32Clipboard::Open(WindowHandle owner) {
    return OpenClipboard(reinterpret_cast<HWND>(owner)) != FALSE;
}

bool Win32Clipboard::Close() { return CloseClipboard() != FALSE; }

bool Win32Clipboard::Empty() { return EmptyClipboard() != FALSE; }

unsigned Win32Clipboard::RegisterFormat(std::u16string_view name) {
    std::u16string n(name);
    return RegisterClipboardFormatW(reinterpret_cast<const wchar_t*>(n.c_str()));
}

bool Win32Clipboard::SetData(unsigned format, std::span<const uint8_t> bytes) {
    GlobalBlock block(bytes.size() ? bytes.size() : 1);
    if (!block.get()) return false;
    {
        GlobalLockScope lock(block.get());
        if (!lock.get()) return false;
        if (!bytes.empty()) std::memcpy(lock.get(), bytes.data(), bytes.size());
    }
    if (!SetClipboardData(format, block.get())) return false;
    block.Release();  // the clipboard owns it now
    return true;
}

std::optional<std::vector<uint8_t>> Win32Clipboard::GetData(unsigned format) {
    HANDLE h = GetClipboardData(format);
    if (!h) return std::nullopt;
    GlobalLockScope lock(h);
    if (!lock.get()) return std::nullopt;
    const auto* p = static_cast<const uint8_t*>(lock.get());
    return std::vector<uint8_t>(p, p + GlobalSize(h));
}

}  // namespace kx
