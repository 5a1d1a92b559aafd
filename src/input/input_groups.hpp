#pragma once
#include <istream>
#include <string>

#include "model/model.hpp"

namespace tidmor {

// Reads the eight groups of the input data file into the model's blocks and
// rejects a value read that the model cannot run with: a wave height,
// period, beach slope, still-water depth, grid spacing or cut-off depth that
// is not positive, a snapshot interval that is not positive, and, with the
// aquifer model on, a conductivity that is not positive; a negative friction
// factor, transport efficiency or damping, and a friction angle whose
// tangent is not positive.
void read_input_groups(Model& m, std::istream& unit5, const std::string& file_name);

}  // namespace tidmor
