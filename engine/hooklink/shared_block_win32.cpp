#include "engine/hooklink/shared_block_win32.h"

#include "engine/hooklink/named_objects_win32.h"

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
    // Both objects are ours alone: a block that another account created (and
    // so can read or write) is refused, and the block stays invalid.
    DWORD error = 0;
    UniqueHandle creation(CreateOwnMutex(CreationMutexName(name).c_str(), error));
    const bool held = creation && ::WaitForSingleObject(creation.Get(), kCreationWaitMs) != WAIT_TIMEOUT;
    block.mapping_.Reset(CreateOwnMapping(name.c_str(), DWORD(size), error));
    if (block.mapping_) {
        block.view_.Reset(::MapViewOfFile(block.mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, size));
        if (block.view_) block.size_ = size;
    }
    if (held) ::ReleaseMutex(creation.Get());
    return block;
}

}  // namespace kx
