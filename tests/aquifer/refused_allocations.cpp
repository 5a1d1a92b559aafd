#include "refused_allocations.hpp"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace tidmor::testing {

namespace {

// The smallest request refused on this thread; a replaced operator new has
// no other place to look it up.
std::size_t& refused_from() {
    thread_local std::size_t bytes = SIZE_MAX;
    return bytes;
}

void* allocate(std::size_t size) {
    if (size >= refused_from()) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

RefusedAllocations::RefusedAllocations(std::size_t bytes) : previous_(refused_from()) { refused_from() = bytes; }
RefusedAllocations::~RefusedAllocations() { refused_from() = previous_; }

}  // namespace tidmor::testing

// Every ordinary form, so that each allocation is paired with the matching
// release (the aligned forms stay the library's own, pair for pair).
void* operator new(std::size_t size) { return tidmor::testing::allocate(size); }
void* operator new[](std::size_t size) { return tidmor::testing::allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return tidmor::testing::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return tidmor::testing::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
