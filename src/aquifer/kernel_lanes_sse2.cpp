// The kernel integrals of two elements at once in SSE2 (every x86-64 has it).
#if defined(__x86_64__)
#include <emmintrin.h>

#include "aquifer/kernel_lanes.hpp"

namespace tidmor {

namespace {

struct Sse2 {
    static constexpr int WIDTH = 2;
    static __m128d load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, __m128d v) { _mm_storeu_pd(p, v); }
    static __m128d gather(const double* p, const std::int32_t* at) { return _mm_set_pd(p[at[1]], p[at[0]]); }
    static __m128d broadcast(double v) { return _mm_set1_pd(v); }
    static __m128d add(__m128d a, __m128d b) { return _mm_add_pd(a, b); }
    static __m128d subtract(__m128d a, __m128d b) { return _mm_sub_pd(a, b); }
    static __m128d multiply(__m128d a, __m128d b) { return _mm_mul_pd(a, b); }
    static __m128d divide(__m128d a, __m128d b) { return _mm_div_pd(a, b); }
    static __m128d square_root(__m128d a) { return _mm_sqrt_pd(a); }
};

}  // namespace

void integrate_kernels_sse2(VectorPath path, const KernelElements& el, double xi, double zi,
                            const std::int32_t* elements, int count, const KernelRow& row) {
    integrate_kernels_in_lanes<Sse2>(path, el, xi, zi, elements, count, row);
}

}  // namespace tidmor
#endif
