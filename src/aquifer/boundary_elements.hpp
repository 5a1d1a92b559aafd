#pragma once
// Boundary-element model of the groundwater head h (Laplace's equation) on
// the closed aquifer polygon.
//
//   nodes     j = 1..N_BND, clockwise (x landward, z up): the region lies to
//             the right of the direction of travel
//   elements  e joins node e to node e+1; element N_BND closes the polygon
//             from node N_BND back to node 1; linear shape functions
//             (1 - xi)/2 and (1 + xi)/2, xi from -1 at node e to +1
//   matrices  G_COEF, H_COEF column-major, leading dimension 1000; row i is
//             collocation node i, column j node j; H h = G q with q the
//             derivative of h along the outward normal
//   codes     1, 4 head given; 2 normal derivative given; 3 water table
//             (head advanced by the kinematic condition with weight THETA_T)
//
// Fundamental solution ln(1/r)/(2 pi) with pi in single precision; the
// 15-point Gauss-Legendre rule of block GAUSS in its stored order; the
// log-singular integral on the two elements that meet at the collocation
// node is taken analytically; the diagonal of H is minus its row sum.
//
// One solve: MATRIX, ANGLE (initial relaxation only), TRANS (Q_WELL > 0
// only), clear A_EQ, assemble_boundary_system, EQSOL,
// recover_boundary_values, add_back_well.
//
// A polygon of more than 1000 nodes, or a system of more than 999, stops the
// run (numerical_failure). Degenerate geometry (zero-length elements, a node
// on the well) is not detected here: it yields infinite or not-a-number
// values that the solver or its callers stop on.
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// N_BND, checked against the extent of the node arrays (stops the run if
// it exceeds them).
int boundary_node_count(const Model& m);

// G_COEF and H_COEF, rows and columns 1..N_BND, for the current polygon.
// With reuse on (AquiferSolver), the integrals of each node-element pair
// are kept for the next call, which integrates again only the pairs whose
// node or element ends are not found among the last call's at the same
// coordinate bits (whatever their numbers); the rows are shared among the
// worker threads. Either way the same bits.
void MATRIX(Model& m);

// ANG_MOVE and FS_COEF of each water-table node N_FACE+1..N_FACE+N_FREE:
// the node moves along the ray from the origin (vertically when TAN_BETA >
// 100); FS_COEF = cos(ANG_MOVE) K_HYD DT_AQ / POROSITY / cos(ANG_MOVE +
// ANG_SLOPE). Needs the neighbours of the water table, nodes N_FACE >= 1 and
// N_FACE+N_FREE+1 <= N_BND, else stops the run.
void ANGLE(Model& m);

// PHI_WELL, DPHI_WELL of the point sink Q_WELL at (X_WELL, Z_WELL) at every
// node, subtracted from PHI_BND and Q_BND.
void TRANS(Model& m);

// Rows and columns 1..N_BND of A_EQ, right-hand side in column N_BND+1, from
// G, H and the node codes; sets N_EQ = N_BND. The caller clears A_EQ (rows
// 1..N_BND, columns 1..N_BND+1) beforehand and calls EQSOL afterwards.
void assemble_boundary_system(Model& m);

// The solution X_EQ into the unknown of each node: Q_BND for codes 1 and 4,
// PHI_BND for code 2, the new head and derivative of a water-table node.
void recover_boundary_values(Model& m);

// Q_BND += DPHI_WELL, PHI_BND += PHI_WELL at every node 1..N_BND.
void add_back_well(Model& m);

// The solve of a time step for the current nodes: PHI_BND and Q_BND of
// every node, with the well's share, as the one solve above gives them.
// A geometry already solved in this run (model's AquiferSolver, reuse on)
// skips MATRIX, TRANS and the elimination: only the right-hand side is
// assembled and pushed through the recorded elimination, with the same
// operations on the same values, so the results are the same bits. G_COEF,
// H_COEF and A_EQ are then left as an earlier solve left them. Codes other
// than 1, 2 and 4 (never met in a time step) always take the full solve.
void solve_boundary_system(Model& m, Units& units);

}  // namespace tidmor
