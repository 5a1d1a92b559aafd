#pragma once
// A vector whose resize() leaves new doubles unset instead of zeroing them:
// for large work arrays that are written whole before they are read (a
// recorded elimination's multipliers, N^2 of them), where the zeroing was
// a pass over memory for nothing.
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace tidmor {

template <class T>
struct DefaultInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() noexcept = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

template <class T>
using UninitializedVector = std::vector<T, DefaultInitAllocator<T>>;

}  // namespace tidmor
