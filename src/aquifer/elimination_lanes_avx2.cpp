// The elimination step in four lanes of AVX2 (this file alone is compiled
// for AVX2, without fused multiply-add; it runs only where the machine has it).
#if defined(__x86_64__)
#include <immintrin.h>

#include "aquifer/elimination_lanes.hpp"

namespace tidmor {

namespace {

struct Avx2 {
    static constexpr std::size_t WIDTH = 4;
    static __m256d load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, __m256d v) { _mm256_storeu_pd(p, v); }
    static __m256d broadcast(double v) { return _mm256_set1_pd(v); }
    static __m256d multiply(__m256d a, __m256d b) { return _mm256_mul_pd(a, b); }
    static __m256d subtract(__m256d a, __m256d b) { return _mm256_sub_pd(a, b); }
};

}  // namespace

void eliminate_step_avx2(const EliminationStep& step, std::size_t first, std::size_t last) {
    eliminate_columns_in_lanes<Avx2>(step, first, last);
}

void sum_columns_avx2(const ColumnSum& s) { sum_columns_in_lanes<Avx2>(s); }

void replay_steps_avx2(const double* pivot, const double* factors, std::size_t rows, double* b) {
    replay_steps_in_lanes<Avx2>(pivot, factors, rows, b);
}

}  // namespace tidmor
#endif
