#pragma once
// Correctly rounded elementary functions.
//
// Each function returns the double nearest to the exact mathematical value
// (round to nearest, ties to even) for every double argument. A correctly
// rounded result is unique, so the model gives the same bits on every
// IEEE-754 machine, whatever the compiler, the C library or the CPU's
// fused multiply-add. The C library's functions are not used: their last
// bit differs between variants chosen at run time.
//
// Special values follow IEEE 754: NaN in, NaN out; log(0) = -inf,
// log(x < 0) = NaN, log(+inf) = +inf; exp(-inf) = +0, exp(+inf) = +inf;
// cos, tan of +-inf are NaN; atan(+-inf) = +-pi/2 rounded; acos(|x| > 1) = NaN.
// Signed zeros are kept where the function is odd (tan, atan).
//
// All of them are safe to call from several threads at once.

namespace tidmor {

double cr_log(double x);
double cr_exp(double x);
double cr_cos(double x);
double cr_tan(double x);
double cr_atan(double x);
double cr_acos(double x);

}  // namespace tidmor
