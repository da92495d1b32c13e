// A named block of shared memory backed by the page file, mapped whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win32/handles.h"

namespace kx {

class SharedBlock {
public:
    SharedBlock() = default;
    // Creates the block, or opens it when it exists, while holding the named
    // mutex "fmm" + name (each "\" replaced by "_"). Both are created for
    // our user alone; one that another account created is not used. Check
    // Valid().
    static SharedBlock Open(const std::wstring& name, size_t size);

    bool Valid() const { return static_cast<bool>(view_); }
    uint8_t* Data() const { return static_cast<uint8_t*>(view_.Get()); }
    size_t Size() const { return size_; }

private:
    UniqueHandle mapping_;
    UniqueView view_;
    size_t size_ = 0;
};

// "fmm" followed by the name with each "\" replaced by "_".
std::wstring CreationMutexName(const std::wstring& blockName);

}  // namespace kx
