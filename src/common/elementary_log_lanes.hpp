#pragma once
// The first step of log (elementary_exp_log.cpp, away from 1) written for
// vector lanes: the same operations, lane by lane, in the same order. Each
// step takes the lanes of one register from x and writes y; bit l of the
// result is set when lane l is decided (y[l] is then the correctly rounded
// log), clear when the lane is to go through cr_log (y[l] is then
// meaningless): arguments that are not positive normal doubles, those
// within 2^-7 of 1 (left to the near-1 formula), and undecided roundings.
// Declared on every machine, defined only where the instruction set exists.
#include "common/elementary.hpp"

namespace tidmor::fast {

inline constexpr double LOG_LANES_NEAR_ONE_LOW = 1.0 - 0x1p-7;
inline constexpr double LOG_LANES_NEAR_ONE_HIGH = 1.0 + 0x1p-7;
inline constexpr double LOG_LANES_ERROR = 0x1p-64;
// Adding to 2^52 + E as a double and taking 2^52 + 1023 gives E - 1023 exactly.
inline constexpr double LOG_LANES_EXPONENT_BIAS = 0x1p52 + 1023.0;

// The batch of cr_log_batch on one instruction set: the arguments in
// groups of LANES (the last one padded with 2.0, whose result is dropped),
// an undecided lane through cr_log; returns how many went through cr_log.
// Instantiated in the file of its instruction set, with that file's step.
template <int LANES, unsigned (*STEP)(const double*, double*)>
int log_in_lanes(const double* x, double* y, int count) {
    constexpr unsigned ALL = (1u << LANES) - 1u;
    int handed_over = 0;
    int i = 0;
    for (; i + LANES <= count; i += LANES) {
        double out[LANES];
        const unsigned decided = STEP(x + i, out);
        if (decided == ALL) {
            for (int l = 0; l < LANES; ++l) y[i + l] = out[l];
            continue;
        }
        for (int l = 0; l < LANES; ++l) {
            if (decided >> l & 1u) {
                y[i + l] = out[l];
            } else {
                y[i + l] = cr_log(x[i + l]);
                ++handed_over;
            }
        }
    }
    if (i < count) {
        double in[LANES], out[LANES];
        const int here = count - i;
        for (int l = 0; l < LANES; ++l) in[l] = l < here ? x[i + l] : 2.0;
        const unsigned decided = STEP(in, out);
        for (int l = 0; l < here; ++l) {
            if (decided >> l & 1u) {
                y[i + l] = out[l];
            } else {
                y[i + l] = cr_log(in[l]);
                ++handed_over;
            }
        }
    }
    return handed_over;
}

int log_batch_sse2(const double* x, double* y, int count);  // 2 lanes
int log_batch_avx2(const double* x, double* y, int count);  // 4 lanes
int log_batch_neon(const double* x, double* y, int count);  // 2 lanes

}  // namespace tidmor::fast
