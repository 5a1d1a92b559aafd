// log's first step, two lanes of SSE2 (every x86-64 has it). No fused
// multiply-add: each line is the scalar step's operation on two lanes.
#if defined(__x86_64__)
#include <immintrin.h>

#include <cstdint>

#include "common/elementary_log_lanes.hpp"
#include "common/elementary_tables.hpp"

namespace tidmor::fast {

namespace {

unsigned log_first_step(const double* xs, double* ys) {
    namespace t = elementary_tables;
    const __m128d x = _mm_loadu_pd(xs);
    // Positive normal doubles away from 1 (every comparison false for NaN).
    const __m128d normal = _mm_and_pd(_mm_cmpge_pd(x, _mm_set1_pd(0x1p-1022)),
                                         _mm_cmple_pd(x, _mm_set1_pd(0x1.fffffffffffffp1023)));
    const __m128d near_one = _mm_and_pd(_mm_cmpgt_pd(x, _mm_set1_pd(LOG_LANES_NEAR_ONE_LOW)),
                                           _mm_cmplt_pd(x, _mm_set1_pd(LOG_LANES_NEAR_ONE_HIGH)));
    const __m128d covered = _mm_andnot_pd(near_one, normal);

    const __m128i bits = _mm_castpd_si128(x);
    const __m128d ed = _mm_sub_pd(
        _mm_castsi128_pd(_mm_or_si128(_mm_srli_epi64(bits, 52), _mm_set1_epi64x(0x4330000000000000ll))),
        _mm_set1_pd(LOG_LANES_EXPONENT_BIAS));
    const __m128i m_bits = _mm_or_si128(_mm_and_si128(bits, _mm_set1_epi64x(0x000FFFFFFFFFFFFFll)),
                                           _mm_set1_epi64x(0x3FF0000000000000ll));
    const __m128d m = _mm_castsi128_pd(m_bits);
    const __m128d m_hi = _mm_castsi128_pd(_mm_andnot_si128(_mm_set1_epi64x(0x1FF), m_bits));
    const __m128d m_lo = _mm_sub_pd(m, m_hi);
    // Entry (bits >> 45) & 127 of each lane.
    const __m128i index = _mm_and_si128(_mm_srli_epi64(bits, 45), _mm_set1_epi64x(127));
    alignas(16) std::int64_t entry[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(entry), index);
    const t::LogStepEntry& e0 = t::LOG_STEP_TABLE[entry[0]];
    const t::LogStepEntry& e1 = t::LOG_STEP_TABLE[entry[1]];
    const __m128d c9 = _mm_set_pd(e1.c9, e0.c9);
    const __m128d minus_log_hi = _mm_set_pd(e1.minus_log_hi, e0.minus_log_hi);
    const __m128d minus_log_lo = _mm_set_pd(e1.minus_log_lo, e0.minus_log_lo);

    const __m128d one = _mm_set1_pd(1.0);
    // r = (m_hi c9 - 1) + m_lo c9
    const __m128d r = _mm_add_pd(_mm_sub_pd(_mm_mul_pd(m_hi, c9), one), _mm_mul_pd(m_lo, c9));
    // high = two_sum(e LN2_1 + minus_log_hi, r)
    const __m128d a = _mm_add_pd(_mm_mul_pd(ed, _mm_set1_pd(t::LN2_1)), minus_log_hi);
    const __m128d s = _mm_add_pd(a, r);
    const __m128d bb = _mm_sub_pd(s, a);
    const __m128d s_err = _mm_add_pd(_mm_sub_pd(a, _mm_sub_pd(s, bb)), _mm_sub_pd(r, bb));
    // q = log(1 + r) - r
    const __m128d r2 = _mm_mul_pd(r, r);
    const __m128d r4 = _mm_mul_pd(r2, r2);
    const __m128d pa = _mm_sub_pd(_mm_set1_pd(1.0 / 3.0), _mm_mul_pd(r, _mm_set1_pd(1.0 / 4.0)));
    const __m128d pb = _mm_sub_pd(_mm_set1_pd(1.0 / 5.0), _mm_mul_pd(r, _mm_set1_pd(1.0 / 6.0)));
    const __m128d pc = _mm_sub_pd(_mm_set1_pd(1.0 / 7.0), _mm_mul_pd(r, _mm_set1_pd(1.0 / 8.0)));
    const __m128d p = _mm_add_pd(_mm_add_pd(pa, _mm_mul_pd(r2, pb)),
                                    _mm_mul_pd(r4, _mm_add_pd(pc, _mm_mul_pd(r2, _mm_set1_pd(1.0 / 9.0)))));
    const __m128d q = _mm_mul_pd(r2, _mm_add_pd(_mm_set1_pd(-0.5), _mm_mul_pd(r, p)));
    // low = high.lo + (q + (minus_log_lo + e LN2_2))
    const __m128d low = _mm_add_pd(
        s_err, _mm_add_pd(q, _mm_add_pd(minus_log_lo, _mm_mul_pd(ed, _mm_set1_pd(t::LN2_2)))));
    // fast_two_sum(high.hi, low), then the rounding test
    const __m128d v_hi = _mm_add_pd(s, low);
    const __m128d v_lo = _mm_sub_pd(low, _mm_sub_pd(v_hi, s));
    const __m128d err = _mm_set1_pd(LOG_LANES_ERROR);
    const __m128d below = _mm_add_pd(v_hi, _mm_sub_pd(v_lo, err));
    const __m128d above = _mm_add_pd(v_hi, _mm_add_pd(v_lo, err));
    const __m128d decided = _mm_and_pd(covered, _mm_cmpeq_pd(below, above));
    _mm_storeu_pd(ys, below);
    return static_cast<unsigned>(_mm_movemask_pd(decided));
}

}  // namespace

int log_batch_sse2(const double* x, double* y, int count) { return log_in_lanes<2, log_first_step>(x, y, count); }

}  // namespace tidmor::fast
#endif
