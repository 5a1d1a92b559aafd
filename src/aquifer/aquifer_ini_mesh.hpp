#pragma once
// The aquifer boundary generated from the plane-beach input.
//
//   frame   x landward from the seaward end of the wave grid, z up from the
//           impermeable bottom (the seabed at x = 0); beach face z = TAN_BETA x,
//           still water z = D_SEA, landward side x = X_LAND with the water
//           table at H_LAND
//   nodes   clockwise: up the face from (0, 0), landward along the water
//           table, down the landward side, seaward along the bottom
//   groups  NA submerged face nodes (L apart), in case A a seepage node and
//           the exit point, NF water-table nodes (2L apart), NL landward
//           nodes (DZ apart, the top one at H_LAND), NB bottom nodes (2L apart)
//   case A  H_LAND > D_SEA: the water table meets the face above the sea
//   case B  otherwise: the water table falls straight from the still-water
//           shoreline towards H_LAND
#include <string>

#include "model/model.hpp"

namespace tidmor {

struct AquiferMeshLayout {
    bool seepage_face = false;  // case A
    int NA = 0, NF = 0, NL = 0, NB = 0;
    double DZ = 0;
    int N_BND = 0, N_FACE = 0, N_FREE = 0;
};

// Forms the group counts from the input. Returns an empty string, or what
// the node arrays or the method cannot hold: L_ELEM not above the node
// removal distance 0.1 m, a quotient whose truncation overflows an integer,
// a negative group (the domain too short), fewer than two face nodes, more
// than 999 nodes.
std::string aquifer_mesh_layout(const Model& m, AquiferMeshLayout& layout);

// Writes the generated nodes (codes, positions, heads, zero derivatives)
// and the counts of a layout accepted by aquifer_mesh_layout.
void generate_aquifer_mesh(const Model& m, const AquiferMeshLayout& layout, blocks::NODE_PROPERTIES& nodes,
                           blocks::CONFIG_BOUND& counts);

}  // namespace tidmor
