// Fast paths of exp and log (see elementary_fast.hpp).
#include <bit>
#include <cstdint>
#include <limits>

#include "common/elementary_fast.hpp"
#include "common/elementary_tables.hpp"

namespace tidmor::fast {
namespace {

using dd::DD;
namespace t = elementary_tables;

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
// Adding and subtracting 1.5 * 2^52 rounds a double of magnitude below
// 2^51 to the nearest integer (ties to even), in round-to-nearest mode.
constexpr double ROUND_SHIFT = 0x1.8p52;

// 2^m for -1022 <= m <= 1023, built from its bits.
double power_of_two(int m) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(m + 1023) << 52);
}

// log(1 + r) for |r| <= 2^-7 (r exact or double-double), as
// r (1 - r/2 + r^2/3 - r^3/4 + r^4/5 + r^5 D), D = -1/6 + r/7 - ... - r^6/12
// evaluated in double. Error, relative to log(1 + r):
//   truncation after r^12: |r|^12 / 13 / (1 - |r|) < 2^-87.6;
//   D in double (6 Horner steps, |D| < 0.17, relative error < 14 u):
//     |r|^5 * 0.17 * 14 u < 2^-86.5;
//   the double-double steps: < 8 u^2 < 2^-103;
// in all below 2^-85.9 (and far smaller when |r| <= 2^-8).
DD log1p_series(DD r) {
    const double h = r.hi;
    const double d = -1.0 / 6.0 +
        h * (1.0 / 7.0 + h * (-1.0 / 8.0 + h * (1.0 / 9.0 + h * (-1.0 / 10.0 + h * (1.0 / 11.0 - h / 12.0)))));
    DD q = dd::add(t::ONE_FIFTH, dd::mul(r, d));
    q = dd::add(dd::mul(q, r), -0.25);
    q = dd::add(dd::mul(q, r), t::ONE_THIRD);
    q = dd::add(dd::mul(q, r), -0.5);
    q = dd::add(dd::mul(q, r), 1.0);
    return dd::mul(r, q);
}

// The double-double step of log: relative error below 2^-85 (derived at
// log below); the rounding test is given twice that, 2^-84.
constexpr double LOG_ERROR = 0x1p-84;

// log(1 + r) - r for |r| <= 2^-7 in double arithmetic:
// r^2 (-1/2 + r P), P = 1/3 - r/4 + ... + r^6/9 (the series to r^9), P
// by Estrin's scheme, (A + r^2 B) + r^4 (C + r^2 D), for a short chain of
// dependent operations. Relative error below 4 u (the rounded square, the
// rounded sum with -1/2, the last product; P's few-u error enters scaled
// by |r| <= 2^-7), truncation below |r|^10 / 10 < 2^-59 r^2.
double log1p_minus_r(double r) {
    const double r2 = r * r;
    const double r4 = r2 * r2;
    const double a = 1.0 / 3.0 - r * (1.0 / 4.0);
    const double b = 1.0 / 5.0 - r * (1.0 / 6.0);
    const double c = 1.0 / 7.0 - r * (1.0 / 8.0);
    const double p = (a + r2 * b) + r4 * (c + r2 * (1.0 / 9.0));
    return r2 * (-0.5 + r * p);
}

// The first, double-only step of log; false when it cannot decide.
//   Near 1 (|x - 1| < 2^-7): log x = r + q, r = x - 1 exact, q from
//   log1p_minus_r, |q| <= r^2/2 (1 + 2^-6); absolute error below
//   4 u r^2/2 + 2^-59 r^2 < 2^-51.9 r^2: the rounding test is given 2^-51 r^2.
//   Elsewhere: log x = e ln 2 - ln c + log(1 + r), with c = C/256 of at most
//   9 bits (LOG_STEP_TABLE), so that r = m c - 1 is exact in double: m is
//   split into m_hi (44 bits: m_hi c exact, and m_hi c - 1 exact by
//   Sterbenz's lemma) and m_lo (9 bits: m_lo c exact), and their sum r is
//   a multiple of 2^-60 below 2^-7, a double. e LN2_1 + MINUS_LOG_HI is
//   exact (both on the grid of 2^-42, below 2^10), its exact two_sum with r
//   is the high part; the low part gathers the rounding error of that sum,
//   q = log(1 + r) - r, MINUS_LOG_LO and e LN2_2. Absolute error: q's
//   4 u 2^-15 < 2^-66.4 and truncation 2^-73.3; two roundings of sums below
//   2^-15, 2^-68 each; e LN2_2, LN2_3 and the table's rest below 2^-86.
//   In all below 2^-65.6; the rounding test is given 2^-64 (it decides
//   all but about 2 * 2^-64 / ulp(log x) of the arguments: 2^-11 where
//   |log x| >= 1).
bool log_first_step(double x, int e, std::uint64_t bits, double& y) {
    if (x > 1.0 - 0x1p-7 && x < 1.0 + 0x1p-7) {
        const double r = x - 1.0;
        return round_if_decided(dd::fast_two_sum(r, log1p_minus_r(r)), 0x1p-51 * r * r, y);
    }
    const std::uint64_t m_bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
    const double m = std::bit_cast<double>(m_bits);
    const double m_hi = std::bit_cast<double>(m_bits & ~std::uint64_t{0x1FF});
    const double m_lo = m - m_hi;
    const t::LogStepEntry& entry = t::LOG_STEP_TABLE[(bits >> 45) & 127];
    const double r = (m_hi * entry.c9 - 1.0) + m_lo * entry.c9;
    const double ed = e;
    const DD high = dd::two_sum(ed * t::LN2_1 + entry.minus_log_hi, r);
    const double low = high.lo + (log1p_minus_r(r) + (entry.minus_log_lo + ed * t::LN2_2));
    return round_if_decided(dd::fast_two_sum(high.hi, low), 0x1p-64, y);
}

// The first, double-only step of exp, for -708 <= x <= 709 with kd, j
// and m of the reduction below; false when it cannot decide. r = x - kd
// ln2/64 is carried as rh + rl: r1 = x - kd LN2_64_1 exact, the product
// kd LN2_64_2 rounded (|kd| < 2^16: error below 2^-83), their difference
// split exactly by two_sum; the omitted kd LN2_64_3 is below 2^-83. With
// T = 2^(j/64) = Th + Tl and exp(r) = 1 + rh + q, q = rl + rh^2 (1/2 + rh/6
// + ... + rh^5/5040) (truncation below |r|^8/8! < 2^-75),
//   T exp(r) = Th + Th rh + (Th q + Tl rh + Tl) + O(2^-68),
// Th rh exact by Dekker's product, Th + its high part by fast_two_sum
// (Th >= 1 > |Th rh|). Absolute errors, the value being in [0.99, 2.02]:
// the dropped rl rh and Tl q, 2^-68 and 2^-69; q's rounding, 2^-67; five
// roundings in the low part, each below u 2^-14.8; in all below 2^-64.6.
// The rounding test is given 2^-63, absolute (it decides all but about
// 2^-9 of the arguments); the scaling by 2^m is exact in the normal range.
bool exp_first_step(double x, double kd, int j, int m, double& y) {
    const double r1 = x - kd * t::LN2_64_1;  // exact
    const DD r = dd::two_sum(r1, -(kd * t::LN2_64_2));
    const double rh = r.hi;
    const double tail = rh * rh *
        (0.5 + rh * (1.0 / 6.0 + rh * (1.0 / 24.0 + rh * (1.0 / 120.0 + rh * (1.0 / 720.0 + rh * (1.0 / 5040.0))))));
    const double q = r.lo + tail;
    const DD& table = t::EXP2_64[j];
    const DD p = dd::two_prod(table.hi, rh);
    const DD high = dd::fast_two_sum(table.hi, p.hi);
    const double low = high.lo + (p.lo + ((table.hi * q + table.lo * rh) + table.lo));
    double rounded;
    if (!round_if_decided(dd::fast_two_sum(high.hi, low), 0x1p-63, rounded)) return false;
    y = rounded * power_of_two(m);
    return true;
}

}  // namespace

// log x, correctly rounded for every double x, round to nearest.
// Method: x = 2^e m, 1 <= m < 2. A first step in double arithmetic
// (log_first_step) decides most arguments; the rest go to a double-double
// step: near x = 1 (|x - 1| < 2^-7) log(1 + r) of r = x - 1 (exact by
// Sterbenz's lemma); elsewhere
//   log x = e ln 2 - ln c_i + log(1 + r),  r = m c_i - 1 exact as a
// double-double (Dekker's product, |r| <= 2^-8), c_i ~ 1/m from a 128-entry
// table of the 7 leading fraction bits, ln c_i from MPFR to 106 bits.
// Error of the double-double step, relative: near 1, the series' bound
// 2^-85.9; elsewhere |log x| >= 2^-7 and the absolute errors are the
// series' 2^-85.9 * 2^-8, the table's 2^-106 * 0.7, and three
// double-double sums of terms below 0.7 |e| + 1.4, together below
// 2^-86.9 |log x| — in all below 2^-85. Zero, negatives, infinity and NaN
// are answered at once; the accurate path takes over only when both
// rounding tests fail (about 2^-30 of the arguments).
bool log(double x, double& y) {
    if (!(x > 0.0) || x == INF) {
        y = x == 0.0 ? -INF : (x == INF ? INF : NOT_A_NUMBER);
        return true;
    }
    std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    int e = static_cast<int>(bits >> 52) - 1023;
    if ((bits >> 52) == 0) {  // subnormal: scale into the normal range first
        bits = std::bit_cast<std::uint64_t>(x * 0x1p54);
        e = static_cast<int>(bits >> 52) - 1023 - 54;
    }
    if (log_first_step(x, e, bits, y)) return true;
    if (x > 1.0 - 0x1p-7 && x < 1.0 + 0x1p-7) {
        const DD v = log1p_series(DD{x - 1.0, 0.0});
        return round_if_decided(v, LOG_ERROR * (v.hi < 0 ? -v.hi : v.hi), y);
    }
    const double m = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
    const t::LogEntry& entry = t::LOG_TABLE[(bits >> 45) & 127];
    const DD p = dd::two_prod(m, entry.c);
    const DD r = dd::two_sum(p.hi - 1.0, p.lo);  // p.hi - 1 exact: p.hi in [1/2, 2]
    const double ed = e;
    // e ln 2: the first part exact (42-bit constant, |e| <= 1075), the
    // second exact by Dekker's product, the third rounded (below 2^-92).
    DD v = dd::add(dd::two_prod(ed, t::LN2_2), ed * t::LN2_3);
    v = dd::add(v, ed * t::LN2_1);
    v = dd::add(v, entry.minus_log);
    v = dd::add(v, log1p_series(r));
    return round_if_decided(v, LOG_ERROR * (v.hi < 0 ? -v.hi : v.hi), y);
}

bool log_first(double x, double& y) {
    if (!(x >= 0x1p-1022) || x == INF) return false;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    return log_first_step(x, static_cast<int>(bits >> 52) - 1023, bits, y);
}

bool exp_first(double x, double& y) {
    if (!(x >= -708.0 && x <= 709.0)) return false;
    const double kd = (x * t::INV_LN2_64 + ROUND_SHIFT) - ROUND_SHIFT;
    const int k = static_cast<int>(kd);
    const int j = k & 63;
    return exp_first_step(x, kd, j, (k - j) / 64, y);
}

// exp x, correctly rounded for every double x, round to nearest.
// Method: x = k ln2/64 + r with k the nearest integer to 64 x / ln 2,
// k = 64 m + j, 0 <= j < 64, |r| <= ln2/128 (1 + 2^-36) < 2^-7.4;
//   exp x = 2^m * 2^(j/64) * exp(r),
// 2^(j/64) from a 64-entry table (MPFR, 106 bits), exp(r) by its series to
// r^8. r = x - k (L1 + L2 + L3) with L1 of 37 bits, so k L1 is exact
// (|k| < 2^16) and x - k L1 exact by Sterbenz's lemma; k L2 exact by
// Dekker's product; the error of r is below 2^-108.
// A first step in double arithmetic (exp_first_step) decides most
// arguments; the rest take the double-double step. Its error, relative: truncation r^9/9! (1.01) < 2^-85.1;
// r^4 (1/24 + r/120 + ...) in double, 8 u relative: < 2^-84.2; the
// double-double steps and the table: < 8 u^2; in all below 2^-83.5, and
// the rounding test is given 2^-82. The rounding is decided before the
// exact scaling by 2^m, so the fast path covers -708 <= x <= 709, where
// the result is a normal double. Beyond: x > 709.79 is +inf, x < -745.14
// is +0, NaN and infinities are answered here; the narrow bands next to
// the overflow and underflow thresholds go to the accurate path, as do the
// rare arguments whose rounding the test cannot decide (about 2^-28).
bool exp(double x, double& y) {
    if (!(x >= -708.0 && x <= 709.0)) {
        if (x != x) {
            y = x;
            return true;
        }
        if (x > 709.79 || x < -745.14) {
            y = x > 0 ? INF : 0.0;
            return true;
        }
        return false;
    }
    const double kd = (x * t::INV_LN2_64 + ROUND_SHIFT) - ROUND_SHIFT;
    const int k = static_cast<int>(kd);
    const int j = k & 63;
    const int m = (k - j) / 64;
    if (exp_first_step(x, kd, j, m, y)) return true;
    const double r1 = x - kd * t::LN2_64_1;  // exact
    const DD k2 = dd::two_prod(kd, t::LN2_64_2);
    DD r = dd::add(DD{r1, 0.0}, dd::neg(k2));
    r = dd::add(r, -(kd * t::LN2_64_3));

    const double h = r.hi;
    const double d = 1.0 / 24.0 + h * (1.0 / 120.0 + h * (1.0 / 720.0 + h * (1.0 / 5040.0 + h * (1.0 / 40320.0))));
    DD p = dd::add(t::ONE_SIXTH, dd::mul(r, d));
    p = dd::add(dd::mul(p, r), 0.5);
    p = dd::add(dd::mul(p, r), 1.0);
    p = dd::add(dd::mul(p, r), 1.0);
    const DD v = dd::mul(t::EXP2_64[j], p);
    double rounded;
    if (!round_if_decided(v, 0x1p-82 * v.hi, rounded)) return false;
    y = rounded * power_of_two(m);
    return true;
}

}  // namespace tidmor::fast
