#pragma once
// Double-double arithmetic: a value carried as an unevaluated sum hi + lo of
// two doubles with |lo| <= ulp(hi)/2, about 106 significant bits.
//
// Only IEEE basic operations, so every machine gives the same bits: exact
// sums by Knuth's two_sum, exact products by Dekker's algorithm on
// Veltkamp-split halves (no fused multiply-add, which not every target has
// and which the build keeps the compiler from introducing).
//
// Error bounds used by the elementary functions, with u = 2^-53 the unit
// roundoff (no underflow, no overflow):
//   two_sum, fast_two_sum, two_prod        exact
//   add(a, b) for same-sign or well-separated operands    <= 2 u^2 |a + b|
//   add(a, b) in general           <= 2 u^2 (|a| + |b|)   (absolute)
//   mul(a, b)                      <= 4 u^2 |a b|
//   mul(a, d) with a double d      <= 3 u^2 |a d|
// (add: the exact two_sum of the high parts, one rounding of the low parts'
// sum, one exact renormalisation; mul: the exact product of the high parts
// plus three rounded cross terms, each below u |a b| in size.)

namespace tidmor::dd {

struct DD {
    double hi;
    double lo;
};

// s + e = a + b exactly (any a, b).
inline DD two_sum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    const double e = (a - (s - bb)) + (b - bb);
    return {s, e};
}

// s + e = a + b exactly when |a| >= |b| or a = 0.
inline DD fast_two_sum(double a, double b) {
    const double s = a + b;
    const double e = b - (s - a);
    return {s, e};
}

// Veltkamp's split of a into two 26-bit halves, a = hi + lo exactly.
// Safe for |a| < 2^996 (the multiplication by 2^27 + 1 must not overflow).
inline DD split(double a) {
    constexpr double SPLITTER = 134217729.0;  // 2^27 + 1
    const double c = SPLITTER * a;
    const double hi = c - (c - a);
    return {hi, a - hi};
}

// p + e = a * b exactly (Dekker), barring overflow and underflow.
inline DD two_prod(double a, double b) {
    const double p = a * b;
    const DD as = split(a);
    const DD bs = split(b);
    const double e = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
    return {p, e};
}

inline DD add(DD a, DD b) {
    const DD s = two_sum(a.hi, b.hi);
    const DD t = two_sum(a.lo, b.lo);
    DD r = fast_two_sum(s.hi, s.lo + t.hi);
    return fast_two_sum(r.hi, r.lo + t.lo);
}

inline DD add(DD a, double b) {
    const DD s = two_sum(a.hi, b);
    return fast_two_sum(s.hi, s.lo + a.lo);
}

inline DD neg(DD a) { return {-a.hi, -a.lo}; }

inline DD mul(DD a, DD b) {
    const DD p = two_prod(a.hi, b.hi);
    return fast_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

inline DD mul(DD a, double b) {
    const DD p = two_prod(a.hi, b);
    return fast_two_sum(p.hi, p.lo + a.lo * b);
}

// a / b, from the double quotient and one Newton correction with the exact
// remainder: relative error <= 8 u^2 for b != 0.
inline DD div(DD a, DD b) {
    const double q1 = a.hi / b.hi;
    const DD r = add(a, neg(mul(b, q1)));
    const double q2 = r.hi / b.hi;
    const DD r2 = add(r, neg(mul(b, q2)));
    const double q3 = r2.hi / b.hi;
    return add(fast_two_sum(q1, q2), q3);
}

}  // namespace tidmor::dd
