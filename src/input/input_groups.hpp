#pragma once
#include <istream>
#include <string>

#include "input/input_values.hpp"

namespace tidmor {

// Reads the eight groups of the input data file and rejects a value read
// that the model cannot run with: a wave height, period, beach slope,
// still-water depth, grid spacing or cut-off depth that is not positive, a
// snapshot interval that is not positive, and, with the aquifer model on, a
// conductivity that is not positive; a negative friction factor, transport
// efficiency or damping, and a friction angle whose tangent is not positive.
// Items a group leaves unchanged (an empty value, a slash) read as 0.
InputValues read_input_groups(std::istream& unit5, const std::string& file_name);

}  // namespace tidmor
