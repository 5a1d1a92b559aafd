// Placeholder until the routine is built.
#include "aquifer/boundary_elements.hpp"

namespace tidmor {
void MATRIX(Model&) {}
void ANGLE(Model&) {}
void TRANS(Model&) {}
void assemble_boundary_system(Model&) {}
void recover_boundary_values(Model&) {}
void add_back_well(Model&) {}
}  // namespace tidmor
