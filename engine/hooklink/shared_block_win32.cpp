#include "engine/hooklink/shared_block_win32.h"

namespace kx {
namespace {

// Whoever holds the creation mutex only creates a mapping; a longer wait
// means it hangs, and the block is created without the mutex.
constexpr DWORD kCreationWaitMs = 5000;

}  // namespace

std::wstring CreationMutexName(const std::wstring& blockName) {
    std::wstring name = L"fmm" + blockName;
    for (wchar_t& c : name)
        if (c == L'\\') c = L'_';
    return name;
}

SharedBlock SharedBlock::Open(const std::wstring& name, size_t size) {
    SharedBlock block;
    UniqueHandle creation(::CreateMutexW(nullptr, FALSE, CreationMutexName(name).c_str()));
    const bool held = creation && ::WaitForSingleObject(creation.Get(), kCreationWaitMs) != WAIT_TIMEOUT;
    block.mapping_.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(size),
                                              name.c_str()));
    if (block.mapping_) {
        block.view_.Reset(::MapViewOfFile(block.mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, size));
        if (block.view_) block.size_ = size;
    }
    if (held) ::ReleaseMutex(creation.Get());
    return block;
}

}  // namespace kx
