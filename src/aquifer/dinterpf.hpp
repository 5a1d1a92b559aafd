#pragma once
// Piecewise-linear lookup in a table of ascending abscissae XS(1..n) with
// ordinates YS(1..n) (1-based; the table is not checked for order).
//
//   x <= XS(1)            first segment (1, 2), continued seaward;
//                         x = XS(1) gives YS(1) exactly
//   XS(i-1) < x <= XS(i)  segment (i-1, i): an interior abscissa belongs to
//                         the segment that ends there
//   x > XS(n)             last segment (n-1, n), continued beyond the table
//
// On the chosen segment (xa, ya)-(xb, yb) the value is ya + (x - xa)*s with
// the slope s = (yb - ya)/(xb - xa) formed first. A one-point table gives
// YS(1) for every x. An empty table (n < 1) or one longer than the arrays
// stops the run: there is nothing to read there.
#include <string>

#include "common/fixed_array.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

// Where the last lookup in one table stopped. A run of lookups at
// non-decreasing x (the boundary nodes along the face, the grid nodes)
// resumes the search there instead of at the table's start: every entry k
// before that stop had !(XS(k) >= x_last), so with x >= x_last it also has
// !(XS(k) >= x), and the search stops on the same entry as a search from
// the start would, ordered table or not. Any other x (smaller, not a
// number, another table length) searches from the start. One cursor per
// table and length; the segment and its arithmetic are those of DINTERPF.
struct TableCursor {
    double x = 0.0;
    int stop = 0;  // 0: no lookup yet
    int n = 0;
};

template <int N>
double DINTERPF(double x, const Array1<double, N>& XS, const Array1<double, N>& YS, int n, TableCursor& cursor) {
    if (n < 1 || n > N)
        numerical_failure("table lookup with " + std::to_string(n) + " points (arrays hold " + std::to_string(N) +
                          ")");
    if (n == 1) return YS[1];
    int i = cursor.stop != 0 && cursor.n == n && cursor.x <= x ? cursor.stop : 1;
    while (i <= n && !(XS[i] >= x)) ++i;
    cursor.x = x;
    cursor.stop = i;
    cursor.n = n;
    if (i > n) i = n;
    const int a = i == 1 ? 1 : i - 1;
    const int b = i == 1 ? 2 : i;
    const double s = (YS[b] - YS[a]) / (XS[b] - XS[a]);
    return YS[a] + (x - XS[a]) * s;
}

template <int N>
double DINTERPF(double x, const Array1<double, N>& XS, const Array1<double, N>& YS, int n) {
    TableCursor from_start;
    return DINTERPF(x, XS, YS, n, from_start);
}

}  // namespace tidmor
