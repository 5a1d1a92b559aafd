// The kernel integrals of four elements at once in AVX2 (this file alone is
// compiled for AVX2, without fused multiply-add; it runs only where the
// machine has it).
#if defined(__x86_64__)
#include <immintrin.h>

#include "aquifer/kernel_lanes.hpp"

namespace tidmor {

namespace {

struct Avx2 {
    static constexpr int WIDTH = 4;
    static __m256d load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, __m256d v) { _mm256_storeu_pd(p, v); }
    static __m256d gather(const double* p, const std::int32_t* at) {
        // The masked form with every lane on: the plain one starts from an
        // undefined register, which the compiler warns of.
        return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), p, _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)),
                                        _mm256_castsi256_pd(_mm256_set1_epi64x(-1)), 8);
    }
    static __m256d broadcast(double v) { return _mm256_set1_pd(v); }
    static __m256d add(__m256d a, __m256d b) { return _mm256_add_pd(a, b); }
    static __m256d subtract(__m256d a, __m256d b) { return _mm256_sub_pd(a, b); }
    static __m256d multiply(__m256d a, __m256d b) { return _mm256_mul_pd(a, b); }
    static __m256d divide(__m256d a, __m256d b) { return _mm256_div_pd(a, b); }
    static __m256d square_root(__m256d a) { return _mm256_sqrt_pd(a); }
};

}  // namespace

void integrate_kernels_avx2(VectorPath path, const KernelElements& el, double xi, double zi,
                            const std::int32_t* elements, int count, const KernelRow& row) {
    integrate_kernels_in_lanes<Avx2>(path, el, xi, zi, elements, count, row);
}

}  // namespace tidmor
#endif
