#pragma once
#include "run/model.hpp"

namespace tidmor {

// G and H matrices of the current boundary polygon.
void MATRIX(Model& m);
// Path and free-surface factor of each water-table node.
void ANGLE(Model& m);
// Removes the pumping well's head and normal derivative from the nodal values.
void TRANS(Model& m);
// Fills A_EQ (rows and columns 1..N_BND, right-hand side in column N_BND+1)
// from G, H and the nodal boundary conditions; A_EQ must be cleared first.
void assemble_boundary_system(Model& m);
// Moves the solution X_EQ into the unknown head or derivative of each node.
void recover_boundary_values(Model& m);
// Adds the well's parts back to every node.
void add_back_well(Model& m);

}  // namespace tidmor
