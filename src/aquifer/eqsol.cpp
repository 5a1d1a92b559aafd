#include "aquifer/eqsol.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "aquifer/elimination_lanes.hpp"
#include "aquifer/worker_team.hpp"
#include "common/run_failure.hpp"
#include "common/units.hpp"

namespace tidmor {

namespace {

// Below this size one elimination step (about N^2 operations) is too short
// to pay for waking the threads and waiting for them.
constexpr int PARALLEL_MIN_EQUATIONS = 400;

[[noreturn]] void singular_system(Units& units, int row, int n) {
    std::ostream& console = *units.console;
    write_console(console, "IT DOES NOT LOOK LIKE HAVING A UNIQUE SOLUTION.");
    write_console(console, "THE NUMBER OF THE EQUATION IS LESS THAN THE");
    write_console(console, "NUMBER OF THE UNKNOWN.");
    write_console(console, "CHECK THE MATRIX FOR SATURATED-FLOW!!!");
    console.flush();
    numerical_failure("singular aquifer system: zero pivot in row " + std::to_string(row) + " of " +
                      std::to_string(n));
}

constexpr std::size_t LD = Matrix1000::LEADING_DIMENSION;

// Row i's pivot: the first entry of largest magnitude along the row.
inline int pivot_column(const double* a, int n, int i, double& v) {
    const auto at = [a](int r, int c) { return a[static_cast<std::size_t>(c - 1) * LD + static_cast<std::size_t>(r - 1)]; };
    int p = 1;
    v = at(i, 1);
    for (int j = 2; j <= n; ++j) {
        if (std::fabs(at(i, j)) > std::fabs(v)) {
            p = j;
            v = at(i, j);
        }
    }
    return p;
}

// Divides row i by its pivot v and takes the multipliers of this step (the
// pivot column as it stands now, before any other row changes).
inline void scale_row_and_take_factors(double* a, int n, int i, int p, double v, double* factor) {
    for (int j = 1; j <= n + 1; ++j) {
        double& e = a[static_cast<std::size_t>(j - 1) * LD + static_cast<std::size_t>(i - 1)];
        e = e / v;
    }
    const double* column = a + static_cast<std::size_t>(p - 1) * LD;
    for (int k = 0; k < n; ++k) factor[k] = column[k];
}

}  // namespace

const Array1<std::int32_t, BOUNDARY_NODES>& eqsol_pivot_columns(const Model& m) {
    return m.aquifer_solver.pivot_col;
}

// The elimination of row i from every other row k, A(k,j) - f_k * A(i,j), is
// carried out column by column so that each pass runs down one contiguous
// column (in the lanes of the run's instruction set): every element still
// receives the same single operation with the same operands as in the
// row-by-row order, so the results are bit-identical.
// The columns of earlier pivots are left alone. Such a column holds 1 in
// its pivot's row and zeros elsewhere, and its row-i entry is a zero, so
// with finite multipliers the update would only turn zeros into zeros
// (perhaps of the other sign); no other column and no pivot search reads
// more of it than that its entries are zeros. This halves the work. Once
// a multiplier is not finite the update makes NaNs there, which the pivot
// searches of later rows read, so from that step on every column is
// updated, as written.
// The columns of one step are independent of each other, so in large
// systems they are shared among the run's worker threads in contiguous
// blocks: each column is still computed by the same operations in the same
// order, whichever thread does it. The pivot search, the row's scaling and
// the stop on a singular system stay on the calling thread.
void EQSOL(Model& m, Units& units, RecordedSystem* record) {
    const int n = m.EQUATIONS.N_EQ;
    if (n <= 0) return;
    if (n > MAX_EQUATIONS)
        numerical_failure("aquifer system of " + std::to_string(n) + " equations exceeds the " +
                          std::to_string(MAX_EQUATIONS) + " the solver holds");

    AquiferSolver& solver = m.aquifer_solver;
    auto& pivot_col = solver.pivot_col;
    double* a = m.EQUATIONS.A_EQ.v.data();
    // A recording keeps each step's multipliers where the step takes them.
    const auto factors_of_step = [&](int i) {
        return record ? record->factors.data() + static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n)
                      : solver.factor.data();
    };
    const auto take_pivot = [&](int i, int p, double v) {
        pivot_col[i] = p;
        if (record) {
            record->pivot_col[static_cast<std::size_t>(i - 1)] = p;
            record->pivot[static_cast<std::size_t>(i - 1)] = v;
        }
    };
    // The columns still to update (0-based, increasing): not yet a pivot's,
    // and the right-hand side.
    auto& active = solver.active_columns;
    active.resize(static_cast<std::size_t>(n) + 1);
    for (int j = 0; j <= n; ++j) active[static_cast<std::size_t>(j)] = j;
    bool leave_pivot_columns = true;

    const int parts = n >= PARALLEL_MIN_EQUATIONS ? solver.team_size() : 1;
    for (int i = 1; i <= n; ++i) {
        double v;
        const int p = pivot_column(a, n, i, v);
        take_pivot(i, p, v);
        if (v == 0.0 || std::isnan(v)) singular_system(units, i, n);
        double* factor = factors_of_step(i);
        scale_row_and_take_factors(a, n, i, p, v, factor);
        if (leave_pivot_columns)
            for (int k = 0; k < n; ++k)
                if (!std::isfinite(factor[k])) {
                    leave_pivot_columns = false;
                    break;
                }
        const EliminationStep step{a, LD, static_cast<std::size_t>(n), static_cast<std::size_t>(i - 1),
                                   static_cast<std::size_t>(p - 1), factor};
        const int columns_now = leave_pivot_columns ? static_cast<int>(active.size()) : n + 1;
        const auto columns = [&](int part) {  // a block of columns per thread
            int first, last;
            part_range(columns_now, part, parts, first, last);
            if (!leave_pivot_columns) {
                eliminate_step(solver.vector_path, step, static_cast<std::size_t>(first), static_cast<std::size_t>(last));
                return;
            }
            // Runs of consecutive columns, one call each.
            for (int c = first; c < last;) {
                const int start = active[static_cast<std::size_t>(c)];
                int end = start + 1;
                for (++c; c < last && active[static_cast<std::size_t>(c)] == end; ++c) ++end;
                eliminate_step(solver.vector_path, step, static_cast<std::size_t>(start), static_cast<std::size_t>(end));
            }
        };
        if (parts > 1)
            solver.team().run(parts, columns);
        else
            columns(0);
        if (leave_pivot_columns) active.erase(std::find(active.begin(), active.end(), p - 1));
    }

    for (int i = 1; i <= n; ++i) m.EQUATIONS.X_EQ[pivot_col[i]] = m.EQUATIONS.A_EQ(i, n + 1);
}

// Column N+1 receives, at step i, first the division of its row-i entry by
// the pivot, then b(k) - f_k * b(i) for every other row k in increasing
// order: the same operations on the same operands as in EQSOL.
void replay_elimination(const RecordedSystem& record, int n, double* b, BoundaryArray& x_eq, VectorPath path) {
    const std::size_t rows = static_cast<std::size_t>(n);
    replay_steps(path, record.pivot.data(), record.factors.data(), rows, b);
    for (std::size_t row = 0; row < rows; ++row) x_eq[record.pivot_col[row]] = b[row];
}

}  // namespace tidmor
