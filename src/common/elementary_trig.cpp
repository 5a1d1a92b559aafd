// Fast paths of cos and tan (see elementary_fast.hpp).
#include <limits>

#include "common/elementary_fast.hpp"
#include "common/elementary_tables.hpp"

namespace tidmor::fast {
namespace {

using dd::DD;
namespace t = elementary_tables;

constexpr double ROUND_SHIFT = 0x1.8p52;  // see elementary_exp_log.cpp

// The fast paths reduce |x| < 2^22 (Cody and Waite, below); larger
// arguments go to the accurate path, which reduces them exactly.
constexpr double REDUCTION_LIMIT = 0x1p22;
// Absolute error of the reduced argument r, with margin (derived at
// reduce): the true bound is 2^-104.
constexpr double REDUCTION_ERROR = 0x1p-100;
// Relative error of sin r and cos r from sin_cos (derived there: 2^-93),
// doubled for the rounding test.
constexpr double SIN_COS_ERROR = 0x1p-92;
// Relative error of their quotient: twice the above plus the division's
// 8 u^2, doubled for the rounding test.
constexpr double QUOTIENT_ERROR = 0x1p-90;

double nearest_integer(double v) { return (v + ROUND_SHIFT) - ROUND_SHIFT; }
double magnitude(double v) { return v < 0 ? -v : v; }

struct Reduced {
    DD r;       // x - k pi/2, |r| <= pi/4 + 2^-29
    int k;      // the multiple of pi/2, |k| < 2^22
};

// Cody and Waite's reduction with pi/2 = P1 + P2 + P3 + P4 + O(2^-146), P1
// to P3 of 30 bits, so k Pi is exact for |k| < 2^23: x - k P1 is exact
// (Sterbenz's lemma, k != 0), the sum with -k P2 is an exact two_sum, the
// sums with -k P3 and with -k P4 (exact by Dekker's product) are
// double-double sums of terms below 0.8, each in error below
// 2 u^2 * 0.8 < 2^-105.3; with k (pi/2 - P1 - ... - P4) < 2^-124 the error
// of r is below 2^-104.
Reduced reduce(double x) {
    const double kd = nearest_integer(x * t::TWO_OVER_PI);
    if (kd == 0.0) return {DD{x, 0.0}, 0};
    DD r = dd::two_sum(x - kd * t::PIO2_1, -(kd * t::PIO2_2));
    r = dd::add(r, -(kd * t::PIO2_3));
    r = dd::add(r, dd::neg(dd::two_prod(kd, t::PIO2_4)));
    return {r, static_cast<int>(kd)};
}

struct SinCos {
    DD sin;
    DD cos;
};

// sin r and cos r for |r| <= pi/4 + 2^-29: r = a + d with a = j/64 the
// nearest table point (|j| <= 50, d exact: Sterbenz's lemma), then
//   sin r = sin a cos d + cos a sin d,  cos r = cos a cos d - sin a sin d,
// sin a, cos a from the table (MPFR, 106 bits), sin d to d^9 and cos d to
// d^10 by their series, |d| <= 2^-7. Error, relative: truncation d^10/11!
// < 2^-95 (sin) and d^12/12! < 2^-112 (cos); the double parts of the
// series (terms from d^7 on) < 2^-100; double-double steps < 10 u^2 each;
// in sin r the two terms may cancel to a third of their sum (|sin a| >=
// sin(1/64) against |sin d| <= 1/128), cos r does not cancel. In all below
// 2^-93 for both.
SinCos sin_cos(DD r) {
    const double jd = nearest_integer(r.hi * 64.0);
    const DD d = dd::two_sum(r.hi - jd / 64.0, r.lo);
    const DD z = dd::mul(d, d);
    const double zh = z.hi;
    DD s = dd::add(dd::mul(z, -1.0 / 5040.0 + zh * (1.0 / 362880.0)), t::ONE_120TH);
    s = dd::add(dd::mul(s, z), dd::neg(t::ONE_SIXTH));
    s = dd::mul(d, dd::add(dd::mul(s, z), 1.0));
    DD c = dd::add(dd::mul(z, -1.0 / 720.0 + zh * (1.0 / 40320.0 - zh * (1.0 / 3628800.0))), t::ONE_24TH);
    c = dd::add(dd::mul(c, z), -0.5);
    c = dd::add(dd::mul(c, z), 1.0);
    if (jd == 0.0) return {s, c};
    const int j = static_cast<int>(jd);
    const t::SinCos& point = t::SINCOS_64[j < 0 ? -j : j];
    const DD sin_a = j < 0 ? dd::neg(point.sin) : point.sin;
    return {dd::add(dd::mul(sin_a, c), dd::mul(point.cos, s)),
            dd::add(dd::mul(point.cos, c), dd::neg(dd::mul(sin_a, s)))};
}

}  // namespace

// cos x, correctly rounded for every double x, round to nearest.
// Method: x = k pi/2 + r (reduce), then +-sin r or +-cos r by the quadrant
// k mod 4 (sin_cos). Error of the fast path: relative 2^-93 from sin_cos,
// plus the reduction's absolute 2^-104 (|d cos / dx| <= 1); the rounding
// test is given 2^-92 |cos x| + 2^-100. |x| < 2^-27 gives 1 (cos x is
// within x^2/2 < 2^-55 of 1, under half the spacing 2^-53 below 1);
// infinities and NaN give NaN. The accurate path takes |x| >= 2^22 and
// the arguments the test cannot decide (about 2^-35 of those in range;
// more when x is within 2^-40 of a multiple of pi/2, where cos x is tiny).
bool cos(double x, double& y) {
    const double ax = magnitude(x);
    if (!(ax < REDUCTION_LIMIT)) {
        if (x != x || ax == std::numeric_limits<double>::infinity()) {
            y = std::numeric_limits<double>::quiet_NaN();
            return true;
        }
        return false;
    }
    if (ax < 0x1p-27) {
        y = 1.0;
        return true;
    }
    const Reduced red = reduce(x);
    const SinCos sc = sin_cos(red.r);
    DD v;
    switch (red.k & 3) {
        case 0: v = sc.cos; break;
        case 1: v = dd::neg(sc.sin); break;
        case 2: v = dd::neg(sc.cos); break;
        default: v = sc.sin; break;
    }
    const double err = SIN_COS_ERROR * magnitude(v.hi) + (red.k == 0 ? 0.0 : REDUCTION_ERROR);
    return round_if_decided(v, err, y);
}

// tan x, correctly rounded for every double x, round to nearest.
// Method: x = k pi/2 + r (reduce); tan x = sin r / cos r for even k and
// -cos r / sin r for odd k (sin_cos, double-double division). Error of
// the fast path: relative 2 * 2^-93 + 8 u^2 < 2^-91.9, plus the
// reduction's absolute 2^-104 times the derivative 1 + tan^2 x; the
// rounding test is given 2^-90 |tan x| + 2^-100 (1 + tan^2 x). |x| < 2^-30
// gives x (tan x exceeds x by x^3/3 < 2^-61.6 |x|, under half an ulp;
// keeps the sign of zero); infinities and NaN give NaN. The accurate path
// takes |x| >= 2^22 and the arguments the test cannot decide (about 2^-33
// of those in range; more next to the poles).
bool tan(double x, double& y) {
    const double ax = magnitude(x);
    if (!(ax < REDUCTION_LIMIT)) {
        if (x != x || ax == std::numeric_limits<double>::infinity()) {
            y = std::numeric_limits<double>::quiet_NaN();
            return true;
        }
        return false;
    }
    if (ax < 0x1p-30) {
        y = x;
        return true;
    }
    const Reduced red = reduce(x);
    const SinCos sc = sin_cos(red.r);
    const DD v = (red.k & 1) == 0 ? dd::div(sc.sin, sc.cos) : dd::neg(dd::div(sc.cos, sc.sin));
    const double slope = 1.0 + v.hi * v.hi;
    const double err = QUOTIENT_ERROR * magnitude(v.hi) + (red.k == 0 ? 0.0 : REDUCTION_ERROR * slope);
    return round_if_decided(v, err, y);
}

}  // namespace tidmor::fast
