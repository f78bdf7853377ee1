// A growable buffer of plain values whose new elements are left uninitialised: the codec fills
// what it grows at once, so zeroing it first would only cost a second pass over the memory.
#pragma once

#include <memory>
#include <vector>

namespace xunda {

template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <typename U>
    UninitializedAllocator(const UninitializedAllocator<U>&) {}
    // Value-initialisation (what resize asks for) becomes default-initialisation.
    template <typename U>
    void construct(U* p) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

template <typename T>
using UninitializedBuffer = std::vector<T, UninitializedAllocator<T>>;

}  // namespace xunda
