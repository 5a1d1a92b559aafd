// Fast paths of atan and acos (see elementary_fast.hpp).
#include <cmath>
#include <limits>

#include "common/elementary_fast.hpp"
#include "common/elementary_tables.hpp"

namespace tidmor::fast {
namespace {

using dd::DD;
namespace t = elementary_tables;

constexpr double ROUND_SHIFT = 0x1.8p52;  // see elementary_exp_log.cpp

// Relative error of atan and acos from atan_unit and the steps around it
// (derived at each function: below 2^-85.9), doubled for the rounding test.
constexpr double ATAN_ERROR = 0x1p-84;

double magnitude(double v) { return v < 0 ? -v : v; }

// atan v for 0 <= v <= 1 + 2^-50 (a double-double): with c = i/64 the
// nearest table point,
//   atan v = atan c + atan u,  u = (v - c) / (1 + v c),  |u| <= 2^-7,
// atan c from the table (MPFR, 106 bits), atan u by its series to u^11.
// v.hi - c is exact (Sterbenz's lemma). Error, relative: u from one
// double-double product, sum and division, < 14 u^2; truncation
// u^12/13 < 2^-87.7; the double part of the series (terms from u^7 on)
// < 2^-95; the double-double steps < 10 u^2; so atan u within 2^-87.6.
// atan c + atan u may cancel to a third of |atan c| + |atan u| (atan c >=
// atan(1/64), |atan u| <= 1/128): below 3 * 2^-87.6 + 6 u^2 < 2^-85.9.
DD atan_unit(DD v) {
    const double id = (v.hi * 64.0 + ROUND_SHIFT) - ROUND_SHIFT;
    DD u = v;
    if (id != 0.0) {
        const double c = id / 64.0;
        u = dd::div(dd::two_sum(v.hi - c, v.lo), dd::add(dd::mul(v, c), 1.0));
    }
    const DD z = dd::mul(u, u);
    const double zh = z.hi;
    DD q = dd::add(dd::mul(z, -1.0 / 7.0 + zh * (1.0 / 9.0 - zh * (1.0 / 11.0))), t::ONE_FIFTH);
    q = dd::add(dd::mul(q, z), dd::neg(t::ONE_THIRD));
    q = dd::add(dd::mul(q, z), 1.0);
    const DD a = dd::mul(u, q);
    return id == 0.0 ? a : dd::add(t::ATAN_64[static_cast<int>(id)], a);
}

}  // namespace

// atan x, correctly rounded for every double x, round to nearest.
// Method: atan_unit(|x|) for |x| <= 1; pi/2 - atan_unit(1/|x|) above (1/|x|
// a double-double quotient, relative error 8 u^2, which atan passes on at
// most unchanged; the result >= pi/4 exceeds the subtracted term, so no
// cancellation); the sign of x restored last. Error of the fast path below
// 2^-85.9 relative; the rounding test is given 2^-84. |x| < 2^-30 gives x
// (atan x is within x^3/3 < 2^-61.6 |x| of x, under half an ulp; keeps the
// sign of zero); |x| > 2^60 and the infinities give +-RN(pi/2) (atan x is
// within 1/|x| < 2^-60 below pi/2, which lies 2^-53.9 above RN(pi/2), under
// half an ulp 2^-53); NaN gives NaN. The accurate path takes only the
// arguments the test cannot decide (about 2^-30).
bool atan(double x, double& y) {
    const double ax = magnitude(x);
    if (!(ax <= 0x1p60) || ax < 0x1p-30) {
        y = ax < 0x1p-30 || x != x ? x : std::copysign(t::PIO2_DD.hi, x);
        return true;
    }
    const DD v = ax <= 1.0 ? atan_unit(DD{ax, 0.0})
                           : dd::add(t::PIO2_DD, dd::neg(atan_unit(dd::div(DD{1.0, 0.0}, DD{ax, 0.0}))));
    if (!round_if_decided(v, ATAN_ERROR * v.hi, y)) return false;
    y = std::copysign(y, x);
    return true;
}

// acos x, correctly rounded for every double x, round to nearest.
// Method: s = sqrt(1 - x^2) in double-double (1 - x^2 exact or within
// 6 u^2: Dekker's square, exact when x^2 >= 1/2 by Sterbenz's lemma; one
// Newton step from the correctly rounded double square root, within 6 u^2
// in all), then, with atan_unit,
//   |x| <= s:  acos x = pi/2 - sign(x) atan(|x|/s)   (result in [pi/4, 3pi/4])
//   x > s:     acos x = atan(s/x)
//   -x > s:    acos x = pi - atan(s/|x|)            (result >= 3pi/4)
// The quotient adds 8 u^2; atan's relative error passes on at most
// unchanged, the outer sums do not cancel: below 2^-85.9 relative, the
// rounding test is given 2^-84. acos 1 = 0 and acos(-1) = RN(pi) exactly;
// |x| > 1 and NaN give NaN. The accurate path takes only the arguments the
// test cannot decide (about 2^-30).
bool acos(double x, double& y) {
    if (!(x > -1.0 && x < 1.0)) {
        y = x == 1.0 ? 0.0 : (x == -1.0 ? t::PI_DD.hi : std::numeric_limits<double>::quiet_NaN());
        return true;
    }
    const double ax = magnitude(x);
    const DD square = dd::two_prod(ax, ax);
    const DD a = dd::add(dd::two_sum(1.0, -square.hi), -square.lo);  // 1 - x^2 > 0
    const double s0 = std::sqrt(a.hi);
    const DD s0_squared = dd::two_prod(s0, s0);
    const DD s = dd::fast_two_sum(s0, (((a.hi - s0_squared.hi) - s0_squared.lo) + a.lo) / (2.0 * s0));
    DD v;
    if (ax <= s.hi) {
        const DD w = atan_unit(dd::div(DD{ax, 0.0}, s));
        v = dd::add(t::PIO2_DD, x < 0 ? w : dd::neg(w));
    } else {
        const DD w = atan_unit(dd::div(s, DD{ax, 0.0}));
        v = x > 0 ? w : dd::add(t::PI_DD, dd::neg(w));
    }
    return round_if_decided(v, ATAN_ERROR * v.hi, y);
}

}  // namespace tidmor::fast
