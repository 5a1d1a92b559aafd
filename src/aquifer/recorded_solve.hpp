#pragma once
// The pieces of a recorded boundary solve, shared by the time step's solve
// (solve_boundary_system) and the solves ahead on a thread of their own
// (AheadSolver), so that both record a geometry by the same operations.
#include "aquifer/boundary_system_cache.hpp"
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// MATRIX, TRANS (well on), the assembly and EQSOL on the present boundary,
// then the nodal values; with a record (sized for N_BND) the elimination is
// recorded as it goes.
void full_solve(Model& m, Units& units, RecordedSystem* record);

// Whether the cache covers this boundary of n nodes: head-given (1, 4) and
// derivative-given (2) nodes only, for which the matrix is fixed by the
// geometry and the code-2 set.
bool cacheable_system(const Model& m, int n);

// The geometry of the present boundary of n nodes, as the cache knows it.
void make_key(const Model& m, int n, BoundarySystemKey& key);

// After a full solve with a record: the columns of G or H the right-hand
// side of a later solve reads, and the well's values at the nodes.
void record_geometry(const Model& m, int n, RecordedSystem& record);

}  // namespace tidmor
