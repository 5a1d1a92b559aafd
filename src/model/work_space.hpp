#pragma once
// Work arrays of the model's routines: values of one call, kept with the
// model (not at file scope) so that two models in one process share nothing,
// and allocated once with it, not in the time loop.
#include "common/fixed_array.hpp"
#include "model/extents.hpp"

namespace tidmor {

// The Lax-Wendroff step's quantities; nothing of them outlives the call.
struct LaxWendroffWork {
    // at nodes
    GridArray F1, F2, G1, G2, A21, A22;
    GridArray R, T1, T2;
    // at half nodes, entry i for i+½
    GridArray A21_BAR, A22_BAR, P1, P2;
    GridArray Q11, Q12, Q21, Q22;
};

struct WorkSpace {
    LaxWendroffWork lax_wendroff;
    // Water-table elevations at the start of the current relaxation sweep (m).
    BoundaryArray Z_SAVE;
};

}  // namespace tidmor
