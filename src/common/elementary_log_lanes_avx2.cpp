// log's first step, four lanes of AVX2 (this file alone is compiled for
// AVX2; it is called only where the machine has it). No fused
// multiply-add: each line is the scalar step's operation on four lanes.
#if defined(__x86_64__)
#include <immintrin.h>

#include <cstdint>

#include "common/elementary_log_lanes.hpp"
#include "common/elementary_tables.hpp"

namespace tidmor::fast {

namespace {

unsigned log_first_step(const double* xs, double* ys) {
    namespace t = elementary_tables;
    const __m256d x = _mm256_loadu_pd(xs);
    // Positive normal doubles away from 1 (every comparison false for NaN).
    const __m256d normal = _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(0x1p-1022), _CMP_GE_OQ),
                                         _mm256_cmp_pd(x, _mm256_set1_pd(0x1.fffffffffffffp1023), _CMP_LE_OQ));
    const __m256d near_one = _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(LOG_LANES_NEAR_ONE_LOW), _CMP_GT_OQ),
                                           _mm256_cmp_pd(x, _mm256_set1_pd(LOG_LANES_NEAR_ONE_HIGH), _CMP_LT_OQ));
    const __m256d covered = _mm256_andnot_pd(near_one, normal);

    const __m256i bits = _mm256_castpd_si256(x);
    const __m256d ed = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(_mm256_srli_epi64(bits, 52), _mm256_set1_epi64x(0x4330000000000000ll))),
        _mm256_set1_pd(LOG_LANES_EXPONENT_BIAS));
    const __m256i m_bits = _mm256_or_si256(_mm256_and_si256(bits, _mm256_set1_epi64x(0x000FFFFFFFFFFFFFll)),
                                           _mm256_set1_epi64x(0x3FF0000000000000ll));
    const __m256d m = _mm256_castsi256_pd(m_bits);
    const __m256d m_hi = _mm256_castsi256_pd(_mm256_andnot_si256(_mm256_set1_epi64x(0x1FF), m_bits));
    const __m256d m_lo = _mm256_sub_pd(m, m_hi);
    // Entry (bits >> 45) & 127: three doubles each, 3 * index doubles in.
    const __m256i index = _mm256_and_si256(_mm256_srli_epi64(bits, 45), _mm256_set1_epi64x(127));
    const __m256i at = _mm256_add_epi64(_mm256_slli_epi64(index, 1), index);
    const double* table = &t::LOG_STEP_TABLE[0].c9;
    const __m256d c9 = _mm256_i64gather_pd(table, at, 8);
    const __m256d minus_log_hi = _mm256_i64gather_pd(table + 1, at, 8);
    const __m256d minus_log_lo = _mm256_i64gather_pd(table + 2, at, 8);

    const __m256d one = _mm256_set1_pd(1.0);
    // r = (m_hi c9 - 1) + m_lo c9
    const __m256d r = _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(m_hi, c9), one), _mm256_mul_pd(m_lo, c9));
    // high = two_sum(e LN2_1 + minus_log_hi, r)
    const __m256d a = _mm256_add_pd(_mm256_mul_pd(ed, _mm256_set1_pd(t::LN2_1)), minus_log_hi);
    const __m256d s = _mm256_add_pd(a, r);
    const __m256d bb = _mm256_sub_pd(s, a);
    const __m256d s_err = _mm256_add_pd(_mm256_sub_pd(a, _mm256_sub_pd(s, bb)), _mm256_sub_pd(r, bb));
    // q = log(1 + r) - r
    const __m256d r2 = _mm256_mul_pd(r, r);
    const __m256d r4 = _mm256_mul_pd(r2, r2);
    const __m256d pa = _mm256_sub_pd(_mm256_set1_pd(1.0 / 3.0), _mm256_mul_pd(r, _mm256_set1_pd(1.0 / 4.0)));
    const __m256d pb = _mm256_sub_pd(_mm256_set1_pd(1.0 / 5.0), _mm256_mul_pd(r, _mm256_set1_pd(1.0 / 6.0)));
    const __m256d pc = _mm256_sub_pd(_mm256_set1_pd(1.0 / 7.0), _mm256_mul_pd(r, _mm256_set1_pd(1.0 / 8.0)));
    const __m256d p = _mm256_add_pd(_mm256_add_pd(pa, _mm256_mul_pd(r2, pb)),
                                    _mm256_mul_pd(r4, _mm256_add_pd(pc, _mm256_mul_pd(r2, _mm256_set1_pd(1.0 / 9.0)))));
    const __m256d q = _mm256_mul_pd(r2, _mm256_add_pd(_mm256_set1_pd(-0.5), _mm256_mul_pd(r, p)));
    // low = high.lo + (q + (minus_log_lo + e LN2_2))
    const __m256d low = _mm256_add_pd(
        s_err, _mm256_add_pd(q, _mm256_add_pd(minus_log_lo, _mm256_mul_pd(ed, _mm256_set1_pd(t::LN2_2)))));
    // fast_two_sum(high.hi, low), then the rounding test
    const __m256d v_hi = _mm256_add_pd(s, low);
    const __m256d v_lo = _mm256_sub_pd(low, _mm256_sub_pd(v_hi, s));
    const __m256d err = _mm256_set1_pd(LOG_LANES_ERROR);
    const __m256d below = _mm256_add_pd(v_hi, _mm256_sub_pd(v_lo, err));
    const __m256d above = _mm256_add_pd(v_hi, _mm256_add_pd(v_lo, err));
    const __m256d decided = _mm256_and_pd(covered, _mm256_cmp_pd(below, above, _CMP_EQ_OQ));
    _mm256_storeu_pd(ys, below);
    return static_cast<unsigned>(_mm256_movemask_pd(decided));
}

}  // namespace

int log_batch_avx2(const double* x, double* y, int count) { return log_in_lanes<4, log_first_step>(x, y, count); }

}  // namespace tidmor::fast
#endif
