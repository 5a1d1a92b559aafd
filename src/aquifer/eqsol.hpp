#pragma once
// Dense solver of the aquifer boundary system (block EQUATIONS).
//
//   A_EQ   augmented system, column-major, leading dimension 1000:
//          columns 1..N_EQ the coefficients, column N_EQ+1 the right-hand side
//   X_EQ   X_EQ(j) is the unknown that belongs to column j
//
// Gauss-Jordan elimination in place: rows taken in order 1..N_EQ, each row's
// pivot searched along the row (largest magnitude, ties keep the lowest
// column), the row divided by its pivot, the pivot column cleared from every
// other row (exact 0.0 stored there), the solution scattered through the
// pivot columns. No row exchanges, no scaling, no refinement: the rounding of
// the results depends on exactly this order.
//
// N_EQ <= 0 does nothing. N_EQ above 999 (no room for the right-hand side)
// stops the run. A zero or not-a-number pivot prints the four lines of the
// singular system on the console and stops the run (numerical_failure);
// A_EQ is then left partly reduced and X_EQ unchanged.
#include <cstdint>

#include "common/fixed_array.hpp"
#include "run/model.hpp"

namespace tidmor {

void EQSOL(Model& m);

// Pivot column chosen for each row by the last EQSOL call (rows 1..N_EQ of
// that call). Scratch of the solver, exposed for tests.
const Array1<std::int32_t, BOUNDARY_NODES>& eqsol_pivot_columns();

}  // namespace tidmor
