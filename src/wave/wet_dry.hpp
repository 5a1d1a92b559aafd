#pragma once
// Wet/dry handling after the boundaries of a wave step. Both scans dry
// everything landward of the first offending node at once: U_ND, H_ND,
// U_OLD and H_OLD become 0 there and N_SHORE moves to the last node kept.
#include "model/model.hpp"

namespace tidmor {

// First node k of 1..N_SHORE with H_ND[k] < H_CUT: nodes k..N_SHORE dry and
// N_SHORE = k - 1.
void cut_off_scan(Model& m);

// The depth must fall strictly toward the shoreline over the last six wet
// nodes: the first p of N-5..N with H_ND[p] <= H_ND[p+1] keeps nodes 1..p.
// Stops the run if fewer than six nodes are wet (the check would start
// seaward of node 1).
void tail_check(Model& m);

// Stops the run unless at least TAIL_NODES nodes are wet; stage says when.
void require_wet_nodes(const Model& m, const char* stage);

// Stops the run unless N_GRID fits the grid arrays and N_SHORE <= N_GRID - 2:
// the sediment transport reads two nodes landward of the shoreline and the
// tail check one.
void require_inside_grid(const Model& m);

}  // namespace tidmor
