#pragma once
// How far a pumping well lies inside the aquifer outline.
//
// The well's head is a logarithm singular at the well. The boundary
// elements sample it with 15 Gauss points each; an element closer to the
// well than it is long sees a sharply curved head along it, which the
// quadrature and the linear shape functions resolve the worse the nearer
// the well. Measured on the generated outline, before any result file is
// touched:
//
//   outside, on the outline, or closer than L_ELEM/4   refused (status 1)
//   from L_ELEM/4 to one L_ELEM                        runs, one warning
//   one L_ELEM or more                                 runs
//
// The results of an accepted well are those of the plain algorithm; the
// clearance only decides whether it runs and what it is told.
#include <string>

#include "model/model.hpp"

namespace tidmor {

struct WellClearance {
    bool inside = false;   // strictly inside the outline (not on it)
    double distance = 0;   // to the nearest element (m)
    int element = 0;       // that element: from node `element` to the next
};

// The well (X_WELL, Z_WELL) against the outline of nodes 1..N_BND.
WellClearance well_clearance(const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts,
                             double x_well, double z_well);

// The part of the outline element e lies on: "beach face", "water table",
// "landward side" (both nodes at X_LAND) or "bottom" (both at z = 0).
std::string outline_part(const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts, double x_land,
                         int e);

// The refusal of a well (Q_WELL > 0) outside, on, or closer than a quarter
// of L_ELEM to the outline, naming the well, the nearest part and what to
// change; empty when the well may run.
std::string well_refusal(const Model& m, const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts,
                         const WellClearance& well);

// The warning for a well from a quarter to one L_ELEM inside, saying how
// short L_ELEM would have to be; empty otherwise.
std::string well_warning(const Model& m, const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts,
                         const WellClearance& well);

// True when (x, z) lies inside the polygon of nodes 1..n and not on it.
bool strictly_inside(const blocks::NODE_PROPERTIES& nodes, int n, double x, double z);

// Distance from (x, z) to the nearest element of the closed polygon of nodes 1..n.
double distance_to_boundary(const blocks::NODE_PROPERTIES& nodes, int n, double x, double z);

}  // namespace tidmor
