#pragma once
// Interior update of the shallow-water scheme, one time step.
//
//   node      1     2     3    ...   N-1    N          N = N_SHORE
//   half        1+½   2+½   ...   N-1+½                 half node i+½ between i and i+1
//   written         x     x    ...    x                 nodes 2 .. N-1
//
// Reads the old time level U_OLD, H_OLD (nodes 1..N), SLOPE_ND, INFIL_ND,
// INFIL_RATE, INFIL_ABS_RATE, F_FRIC_ND, DAMP1, DAMP2, DT and DX_ND; writes
// the new level U_ND, H_ND at nodes 2..N-1 only (the boundaries supply nodes
// 1 and N). Nodes are 1-based. Needs N >= 3.
#include "model/model.hpp"

namespace tidmor {

void advance_interior(Model& m);

}  // namespace tidmor
