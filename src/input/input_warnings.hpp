#pragma once
// Input that is legal but probably not what was meant. Each finding is one
// line for stderr; the run goes on unchanged.
#include <string>
#include <vector>

#include "model/model.hpp"

namespace tidmor {

// After INPUT_DATA: a negative Q_WELL with the aquifer on (no well is pumped);
// with the profile update on, a T_MAX too short for any profile record and
// a transport efficiency EFF_ON or EFF_OFF above 1.
std::vector<std::string> input_warnings(const Model& m);

}  // namespace tidmor
