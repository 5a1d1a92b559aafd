// log's first step, two lanes of NEON (every aarch64 has it). No fused
// multiply-add (no vfma/vmla, and the build forbids contraction): each line
// is the scalar step's operation on two lanes.
#if defined(__aarch64__)
#include <arm_neon.h>

#include <cstdint>

#include "common/elementary_log_lanes.hpp"
#include "common/elementary_tables.hpp"

namespace tidmor::fast {

namespace {

unsigned log_first_step(const double* xs, double* ys) {
    namespace t = elementary_tables;
    const float64x2_t x = vld1q_f64(xs);
    // Positive normal doubles away from 1 (every comparison false for NaN).
    const uint64x2_t normal = vandq_u64(vcgeq_f64(x, vdupq_n_f64(0x1p-1022)),
                                        vcleq_f64(x, vdupq_n_f64(0x1.fffffffffffffp1023)));
    const uint64x2_t near_one = vandq_u64(vcgtq_f64(x, vdupq_n_f64(LOG_LANES_NEAR_ONE_LOW)),
                                          vcltq_f64(x, vdupq_n_f64(LOG_LANES_NEAR_ONE_HIGH)));
    const uint64x2_t covered = vbicq_u64(normal, near_one);

    const uint64x2_t bits = vreinterpretq_u64_f64(x);
    const float64x2_t ed = vsubq_f64(
        vreinterpretq_f64_u64(vorrq_u64(vshrq_n_u64(bits, 52), vdupq_n_u64(0x4330000000000000ull))),
        vdupq_n_f64(LOG_LANES_EXPONENT_BIAS));
    const uint64x2_t m_bits =
        vorrq_u64(vandq_u64(bits, vdupq_n_u64(0x000FFFFFFFFFFFFFull)), vdupq_n_u64(0x3FF0000000000000ull));
    const float64x2_t m = vreinterpretq_f64_u64(m_bits);
    const float64x2_t m_hi = vreinterpretq_f64_u64(vbicq_u64(m_bits, vdupq_n_u64(0x1FF)));
    const float64x2_t m_lo = vsubq_f64(m, m_hi);
    // Entry (bits >> 45) & 127 of each lane.
    const uint64x2_t index = vandq_u64(vshrq_n_u64(bits, 45), vdupq_n_u64(127));
    const t::LogStepEntry& e0 = t::LOG_STEP_TABLE[vgetq_lane_u64(index, 0)];
    const t::LogStepEntry& e1 = t::LOG_STEP_TABLE[vgetq_lane_u64(index, 1)];
    const float64x2_t c9 = vcombine_f64(vdup_n_f64(e0.c9), vdup_n_f64(e1.c9));
    const float64x2_t minus_log_hi = vcombine_f64(vdup_n_f64(e0.minus_log_hi), vdup_n_f64(e1.minus_log_hi));
    const float64x2_t minus_log_lo = vcombine_f64(vdup_n_f64(e0.minus_log_lo), vdup_n_f64(e1.minus_log_lo));

    const float64x2_t one = vdupq_n_f64(1.0);
    // r = (m_hi c9 - 1) + m_lo c9
    const float64x2_t r = vaddq_f64(vsubq_f64(vmulq_f64(m_hi, c9), one), vmulq_f64(m_lo, c9));
    // high = two_sum(e LN2_1 + minus_log_hi, r)
    const float64x2_t a = vaddq_f64(vmulq_f64(ed, vdupq_n_f64(t::LN2_1)), minus_log_hi);
    const float64x2_t s = vaddq_f64(a, r);
    const float64x2_t bb = vsubq_f64(s, a);
    const float64x2_t s_err = vaddq_f64(vsubq_f64(a, vsubq_f64(s, bb)), vsubq_f64(r, bb));
    // q = log(1 + r) - r
    const float64x2_t r2 = vmulq_f64(r, r);
    const float64x2_t r4 = vmulq_f64(r2, r2);
    const float64x2_t pa = vsubq_f64(vdupq_n_f64(1.0 / 3.0), vmulq_f64(r, vdupq_n_f64(1.0 / 4.0)));
    const float64x2_t pb = vsubq_f64(vdupq_n_f64(1.0 / 5.0), vmulq_f64(r, vdupq_n_f64(1.0 / 6.0)));
    const float64x2_t pc = vsubq_f64(vdupq_n_f64(1.0 / 7.0), vmulq_f64(r, vdupq_n_f64(1.0 / 8.0)));
    const float64x2_t p = vaddq_f64(vaddq_f64(pa, vmulq_f64(r2, pb)),
                                    vmulq_f64(r4, vaddq_f64(pc, vmulq_f64(r2, vdupq_n_f64(1.0 / 9.0)))));
    const float64x2_t q = vmulq_f64(r2, vaddq_f64(vdupq_n_f64(-0.5), vmulq_f64(r, p)));
    // low = high.lo + (q + (minus_log_lo + e LN2_2))
    const float64x2_t low =
        vaddq_f64(s_err, vaddq_f64(q, vaddq_f64(minus_log_lo, vmulq_f64(ed, vdupq_n_f64(t::LN2_2)))));
    // fast_two_sum(high.hi, low), then the rounding test
    const float64x2_t v_hi = vaddq_f64(s, low);
    const float64x2_t v_lo = vsubq_f64(low, vsubq_f64(v_hi, s));
    const float64x2_t err = vdupq_n_f64(LOG_LANES_ERROR);
    const float64x2_t below = vaddq_f64(v_hi, vsubq_f64(v_lo, err));
    const float64x2_t above = vaddq_f64(v_hi, vaddq_f64(v_lo, err));
    const uint64x2_t decided = vandq_u64(covered, vceqq_f64(below, above));
    vst1q_f64(ys, below);
    return static_cast<unsigned>(vgetq_lane_u64(decided, 0) & 1) | static_cast<unsigned>(vgetq_lane_u64(decided, 1) & 2);
}

}  // namespace

int log_batch_neon(const double* x, double* y, int count) { return log_in_lanes<2, log_first_step>(x, y, count); }

}  // namespace tidmor::fast
#endif
