#pragma once
// Memory refused on purpose: while a RefusedAllocations lives, operator new
// on this thread throws std::bad_alloc for every request of at least the
// given size, as it does when the system has no memory left (ulimit -v, a
// batch system's memory limit). The test executable replaces the global
// operator new and delete for this (refused_allocations.cpp).
#include <cstddef>

namespace tidmor::testing {

class RefusedAllocations {
public:
    explicit RefusedAllocations(std::size_t bytes);
    ~RefusedAllocations();
    RefusedAllocations(const RefusedAllocations&) = delete;
    RefusedAllocations& operator=(const RefusedAllocations&) = delete;

private:
    std::size_t previous_;
};

}  // namespace tidmor::testing
