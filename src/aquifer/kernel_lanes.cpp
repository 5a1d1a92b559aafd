#include "aquifer/kernel_lanes.hpp"

#include <cmath>

namespace tidmor {

namespace {

// One element at a time: the plain loop.
struct Scalar {
    static constexpr int WIDTH = 1;
    static double load(const double* p) { return *p; }
    static void store(double* p, double v) { *p = v; }
    static double gather(const double* p, const std::int32_t* at) { return p[at[0]]; }
    static double broadcast(double v) { return v; }
    static double add(double a, double b) { return a + b; }
    static double subtract(double a, double b) { return a - b; }
    static double multiply(double a, double b) { return a * b; }
    static double divide(double a, double b) { return a / b; }
    static double square_root(double a) { return std::sqrt(a); }
};

}  // namespace

void integrate_kernels(VectorPath path, const KernelElements& el, double xi, double zi,
                       const std::int32_t* elements, int count, const KernelRow& row) {
    switch (path) {
#if defined(__x86_64__)
        case VectorPath::SSE2: return integrate_kernels_sse2(path, el, xi, zi, elements, count, row);
        case VectorPath::AVX2: return integrate_kernels_avx2(path, el, xi, zi, elements, count, row);
#endif
#if defined(__aarch64__)
        case VectorPath::NEON: return integrate_kernels_neon(path, el, xi, zi, elements, count, row);
#endif
        default: return integrate_kernels_in_lanes<Scalar>(path, el, xi, zi, elements, count, row);
    }
}

}  // namespace tidmor
