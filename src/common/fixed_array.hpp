#pragma once
// Fixed-size arrays indexed from 1, as every node array of the model is.
//
//   Array1<double, 4000> a;   a[1] .. a[4000]
//   Matrix1000 g;             g(i, j), i, j = 1 .. 1000, stored column by
//                             column: entry (i, j) is value (j-1)*1000 + i.
//
// Storage is inline and zero-initialised with the owning object; nothing is
// allocated while a run is in progress. Indices are checked in debug builds
// and in builds with TIDMOR_CHECK_INDICES defined (the sanitized test build),
// where an index out of range aborts with its file and line; in release
// builds the callers keep them in range by the input and run-time checks.
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#if defined(TIDMOR_CHECK_INDICES) || !defined(NDEBUG)
#define TIDMOR_INDEX_CHECK(condition)                                                                   \
    do {                                                                                                \
        if (!(condition)) {                                                                             \
            std::fprintf(stderr, "%s:%d: index out of range: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                               \
        }                                                                                               \
    } while (false)
#else
#define TIDMOR_INDEX_CHECK(condition) ((void)0)
#endif

namespace tidmor {

template <typename T, int N>
struct Array1 {
    static constexpr int size = N;
    std::array<T, N> v{};

    T& operator[](int i) {
        TIDMOR_INDEX_CHECK(i >= 1 && i <= N);
        return v[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const {
        TIDMOR_INDEX_CHECK(i >= 1 && i <= N);
        return v[static_cast<std::size_t>(i - 1)];
    }
};

// Dense square array with the fixed leading dimension of the aquifer system.
struct Matrix1000 {
    static constexpr int LEADING_DIMENSION = 1000;
    std::array<double, static_cast<std::size_t>(LEADING_DIMENSION) * LEADING_DIMENSION> v{};

    double& operator()(int i, int j) {
        TIDMOR_INDEX_CHECK(i >= 1 && i <= LEADING_DIMENSION && j >= 1 && j <= LEADING_DIMENSION);
        return v[static_cast<std::size_t>(j - 1) * LEADING_DIMENSION + static_cast<std::size_t>(i - 1)];
    }
    double operator()(int i, int j) const {
        TIDMOR_INDEX_CHECK(i >= 1 && i <= LEADING_DIMENSION && j >= 1 && j <= LEADING_DIMENSION);
        return v[static_cast<std::size_t>(j - 1) * LEADING_DIMENSION + static_cast<std::size_t>(i - 1)];
    }
};

}  // namespace tidmor
