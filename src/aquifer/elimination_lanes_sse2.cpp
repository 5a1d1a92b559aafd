// The elimination step in two lanes of SSE2 (every x86-64 has it).
#if defined(__x86_64__)
#include <emmintrin.h>

#include "aquifer/elimination_lanes.hpp"

namespace tidmor {

namespace {

struct Sse2 {
    static constexpr std::size_t WIDTH = 2;
    static __m128d load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, __m128d v) { _mm_storeu_pd(p, v); }
    static __m128d broadcast(double v) { return _mm_set1_pd(v); }
    static __m128d multiply(__m128d a, __m128d b) { return _mm_mul_pd(a, b); }
    static __m128d subtract(__m128d a, __m128d b) { return _mm_sub_pd(a, b); }
};

}  // namespace

void eliminate_step_sse2(const EliminationStep& step, std::size_t first, std::size_t last) {
    eliminate_columns_in_lanes<Sse2>(step, first, last);
}

void sum_columns_sse2(const ColumnSum& s) { sum_columns_in_lanes<Sse2>(s); }

void replay_steps_sse2(const double* pivot, const double* factors, std::size_t rows, double* b) {
    replay_steps_in_lanes<Sse2>(pivot, factors, rows, b);
}

}  // namespace tidmor
#endif
