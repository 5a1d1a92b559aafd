// The elimination step in two lanes of NEON (every aarch64 has it). vmulq
// and vsubq are separate roundings; vfmsq, the fused form, is not used.
#if defined(__aarch64__)
#include <arm_neon.h>

#include "aquifer/elimination_lanes.hpp"

namespace tidmor {

namespace {

struct Neon {
    static constexpr std::size_t WIDTH = 2;
    static float64x2_t load(const double* p) { return vld1q_f64(p); }
    static void store(double* p, float64x2_t v) { vst1q_f64(p, v); }
    static float64x2_t broadcast(double v) { return vdupq_n_f64(v); }
    static float64x2_t multiply(float64x2_t a, float64x2_t b) { return vmulq_f64(a, b); }
    static float64x2_t subtract(float64x2_t a, float64x2_t b) { return vsubq_f64(a, b); }
};

}  // namespace

void eliminate_step_neon(const EliminationStep& step, std::size_t first, std::size_t last) {
    eliminate_columns_in_lanes<Neon>(step, first, last);
}

void sum_columns_neon(const ColumnSum& s) { sum_columns_in_lanes<Neon>(s); }

void replay_steps_neon(const double* pivot, const double* factors, std::size_t rows, double* b) {
    replay_steps_in_lanes<Neon>(pivot, factors, rows, b);
}

}  // namespace tidmor
#endif
