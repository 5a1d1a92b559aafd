#pragma once
#include <string>

#include "run/model.hpp"

namespace tidmor {

// Rejects, before any file is written, aquifer input that the node arrays or
// the method cannot hold (called after INPUT_DATA when the aquifer is on).
void check_aquifer_mesh(const Model& m, const std::string& input_file);

// Generates the aquifer boundary, relaxes the water table to rest and stores
// the reference mesh.
void AQUIFER_INI(Model& m);

}  // namespace tidmor
