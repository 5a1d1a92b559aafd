#pragma once
// Extents of the model's fixed arrays.
#include <cstdint>

#include "common/fixed_array.hpp"

namespace tidmor {

inline constexpr int GRID_NODES = 4000;       // extent of every wave-grid array
inline constexpr int BOUNDARY_NODES = 1000;   // extent of every aquifer node array
inline constexpr int MAX_EQUATIONS = 999;     // right-hand side sits in column N_EQ + 1

using GridArray = Array1<double, GRID_NODES>;
using BoundaryArray = Array1<double, BOUNDARY_NODES>;
using BoundaryCodes = Array1<std::int32_t, BOUNDARY_NODES>;

}  // namespace tidmor
