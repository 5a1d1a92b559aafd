// The kernel integrals of two elements at once in NEON (every aarch64 has
// it); multiplies and adds stay separate roundings (no vfmaq).
#if defined(__aarch64__)
#include <arm_neon.h>

#include "aquifer/kernel_lanes.hpp"

namespace tidmor {

namespace {

struct Neon {
    static constexpr int WIDTH = 2;
    static float64x2_t load(const double* p) { return vld1q_f64(p); }
    static void store(double* p, float64x2_t v) { vst1q_f64(p, v); }
    static float64x2_t gather(const double* p, const std::int32_t* at) {
        return vcombine_f64(vld1_f64(p + at[0]), vld1_f64(p + at[1]));
    }
    static float64x2_t broadcast(double v) { return vdupq_n_f64(v); }
    static float64x2_t add(float64x2_t a, float64x2_t b) { return vaddq_f64(a, b); }
    static float64x2_t subtract(float64x2_t a, float64x2_t b) { return vsubq_f64(a, b); }
    static float64x2_t multiply(float64x2_t a, float64x2_t b) { return vmulq_f64(a, b); }
    static float64x2_t divide(float64x2_t a, float64x2_t b) { return vdivq_f64(a, b); }
    static float64x2_t square_root(float64x2_t a) { return vsqrtq_f64(a); }
};

}  // namespace

void integrate_kernels_neon(VectorPath path, const KernelElements& el, double xi, double zi,
                            const std::int32_t* elements, int count, const KernelRow& row) {
    integrate_kernels_in_lanes<Neon>(path, el, xi, zi, elements, count, row);
}

}  // namespace tidmor
#endif
