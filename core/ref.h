// Intrusive reference counting for shortcut entries and stores.
//
// An entry that the hook thread is expanding must outlive a concurrent
// Clear() or Remove() on the UI thread, so every holder keeps a counted
// reference. Ref<T> is the RAII handle that owns one such reference.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

namespace kx {

// Base for reference-counted objects. The creator's reference is the first.
class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    void AddRef() const { refCount_.fetch_add(1, std::memory_order_relaxed); }
    // Returns true when this dropped the last reference (the object is gone).
    bool ReleaseRef() const {
        if (refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete this;
            return true;
        }
        return false;
    }
    uint32_t RefCount() const { return refCount_.load(std::memory_order_acquire); }

protected:
    virtual ~RefCounted() = default;

private:
    mutable std::atomic<uint32_t> refCount_{1};
};

// Owns one reference to a RefCounted object.
template <class T>
class Ref {
public:
    Ref() = default;
    // Adopts the caller's reference (no AddRef): Ref<T>::Adopt(new T).
    static Ref Adopt(T* p) { Ref r; r.p_ = p; return r; }
    // Takes a new reference to an object someone else holds.
    static Ref Share(T* p) { if (p) p->AddRef(); Ref r; r.p_ = p; return r; }

    Ref(const Ref& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    Ref& operator=(Ref o) noexcept { std::swap(p_, o.p_); return *this; }
    ~Ref() { reset(); }

    void reset() { if (T* p = std::exchange(p_, nullptr)) p->ReleaseRef(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

template <class T, class... Args>
Ref<T> MakeRef(Args&&... args) { return Ref<T>::Adopt(new T(std::forward<Args>(args)...)); }

}  // namespace kx
