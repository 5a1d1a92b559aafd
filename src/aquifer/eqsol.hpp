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
//
// With more than one worker thread (AquiferSolver of the model) large
// systems share the columns of each step among the threads; every value is
// computed by the same operations, so the results are the same bits.
#include <cstdint>

#include "common/fixed_array.hpp"
#include "common/units.hpp"
#include "common/vector_path.hpp"
#include "model/model.hpp"

namespace tidmor {

// With a record (sized for N_EQ by RecordedSystem::size_for), the
// elimination is recorded as it goes: the pivot column and pivot value of
// each row and each step's multipliers.
void EQSOL(Model& m, Units& units, RecordedSystem* record = nullptr);

// Pushes a new right-hand side b (0-based, N entries, overwritten) through
// a recorded elimination of N equations and scatters the solution into
// x_eq: the same bits as EQSOL on the recorded matrix with b in column N+1,
// in O(N^2), in the lanes of `path` (one the machine runs).
void replay_elimination(const RecordedSystem& record, int n, double* b, BoundaryArray& x_eq, VectorPath path);

// Pivot column chosen for each row by the last EQSOL call on this model
// (rows 1..N_EQ of that call). Scratch of the solver, exposed for tests.
const Array1<std::int32_t, BOUNDARY_NODES>& eqsol_pivot_columns(const Model& m);

}  // namespace tidmor
