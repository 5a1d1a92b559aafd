#pragma once
// The first step of log (elementary_exp_log.cpp, away from 1) written for
// vector lanes: the same operations, lane by lane, in the same order. Each
// call takes the lanes of one register from x and writes y; bit l of the
// result is set when lane l is decided (y[l] is then the correctly rounded
// log), clear when the lane is to go through cr_log (y[l] is then
// meaningless): arguments that are not positive normal doubles, those
// within 2^-7 of 1 (left to the near-1 formula), and undecided roundings.
// Declared on every machine, defined only where the instruction set exists.

namespace tidmor::fast {

inline constexpr double LOG_LANES_NEAR_ONE_LOW = 1.0 - 0x1p-7;
inline constexpr double LOG_LANES_NEAR_ONE_HIGH = 1.0 + 0x1p-7;
inline constexpr double LOG_LANES_ERROR = 0x1p-64;
// Adding to 2^52 + E as a double and taking 2^52 + 1023 gives E - 1023 exactly.
inline constexpr double LOG_LANES_EXPONENT_BIAS = 0x1p52 + 1023.0;

unsigned log_first_step_sse2(const double* x, double* y);  // 2 lanes
unsigned log_first_step_avx2(const double* x, double* y);  // 4 lanes
unsigned log_first_step_neon(const double* x, double* y);  // 2 lanes

}  // namespace tidmor::fast
