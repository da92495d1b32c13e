// A cap on the memory a store's slots may take. The program runs without
// one; a test gives a store a small cap to see what happens when memory runs
// out in the middle of an insert or a load.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>

namespace kx {

struct MemoryLimit {
    size_t bytesLeft = 0;
};

// The standard allocator, failing with std::bad_alloc as the heap would once
// its limit (when it has one) is spent.
template <class T>
struct LimitedAllocator {
    using value_type = T;
    using propagate_on_container_swap = std::true_type;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_copy_assignment = std::true_type;

    MemoryLimit* limit = nullptr;

    LimitedAllocator() = default;
    explicit LimitedAllocator(MemoryLimit* l) : limit(l) {}
    template <class U>
    LimitedAllocator(const LimitedAllocator<U>& o) : limit(o.limit) {}

    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (limit) {
            if (bytes > limit->bytesLeft) throw std::bad_alloc();
            limit->bytesLeft -= bytes;
        }
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, size_t n) {
        if (limit) limit->bytesLeft += n * sizeof(T);
        std::allocator<T>().deallocate(p, n);
    }
    template <class U>
    bool operator==(const LimitedAllocator<U>& o) const { return limit == o.limit; }
};

}  // namespace kx
