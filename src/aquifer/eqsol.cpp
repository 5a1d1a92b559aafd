#include "aquifer/eqsol.hpp"

#include <cmath>
#include <cstddef>
#include <string>

#include "common/run_failure.hpp"
#include "common/units.hpp"

namespace tidmor {

namespace {

Array1<std::int32_t, BOUNDARY_NODES> PIVOT_COL;

// Multipliers of the current elimination step, one per row, taken before
// any row is changed.
double FACTOR[Matrix1000::LEADING_DIMENSION];

[[noreturn]] void singular_system(Model& m, int row, int n) {
    std::ostream& console = *m.units.console;
    write_console(console, "IT DOES NOT LOOK LIKE HAVING A UNIQUE SOLUTION.");
    write_console(console, "THE NUMBER OF THE EQUATION IS LESS THAN THE");
    write_console(console, "NUMBER OF THE UNKNOWN.");
    write_console(console, "CHECK THE MATRIX FOR SATURATED-FLOW!!!");
    console.flush();
    numerical_failure("singular aquifer system: zero pivot in row " + std::to_string(row) + " of " +
                      std::to_string(n));
}

}  // namespace

const Array1<std::int32_t, BOUNDARY_NODES>& eqsol_pivot_columns() { return PIVOT_COL; }

// The elimination of row i from every other row k, A(k,j) - f_k * A(i,j), is
// carried out column by column so that each pass runs down one contiguous
// column: every element still receives the same single operation with the
// same operands as in the row-by-row order, so the results are bit-identical.
void EQSOL(Model& m) {
    const int n = m.EQUATIONS.N_EQ;
    if (n <= 0) return;
    if (n > MAX_EQUATIONS)
        numerical_failure("aquifer system of " + std::to_string(n) + " equations exceeds the " +
                          std::to_string(MAX_EQUATIONS) + " the solver holds");

    constexpr std::size_t LD = Matrix1000::LEADING_DIMENSION;
    double* a = m.EQUATIONS.A_EQ.v.data();
    const auto at = [a](int i, int j) -> double& {
        return a[static_cast<std::size_t>(j - 1) * LD + static_cast<std::size_t>(i - 1)];
    };

    for (int i = 1; i <= n; ++i) {
        int p = 1;
        double v = at(i, 1);
        for (int j = 2; j <= n; ++j) {
            if (std::fabs(at(i, j)) > std::fabs(v)) {
                p = j;
                v = at(i, j);
            }
        }
        PIVOT_COL[i] = p;
        if (v == 0.0 || std::isnan(v)) singular_system(m, i, n);

        for (int j = 1; j <= n + 1; ++j) at(i, j) = at(i, j) / v;

        double* pivot_column = &at(1, p);
        for (int k = 0; k < n; ++k) FACTOR[k] = pivot_column[k];

        const std::size_t row = static_cast<std::size_t>(i - 1);
        for (int j = 1; j <= n + 1; ++j) {
            double* column = &at(1, j);
            if (j == p) {
                for (std::size_t k = 0; k < row; ++k) column[k] = 0.0;
                for (std::size_t k = row + 1; k < static_cast<std::size_t>(n); ++k) column[k] = 0.0;
                continue;
            }
            const double pivot_row_value = column[row];
            for (std::size_t k = 0; k < row; ++k) column[k] = column[k] - FACTOR[k] * pivot_row_value;
            for (std::size_t k = row + 1; k < static_cast<std::size_t>(n); ++k)
                column[k] = column[k] - FACTOR[k] * pivot_row_value;
        }
    }

    for (int i = 1; i <= n; ++i) m.EQUATIONS.X_EQ[PIVOT_COL[i]] = at(i, n + 1);
}

}  // namespace tidmor
