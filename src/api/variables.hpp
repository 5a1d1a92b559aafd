#pragma once
// Where each variable of the in-process interface lives in the Model.
#include <span>
#include <string_view>

#include "api/simulation.hpp"

namespace tidmor {

// The values of a variable (found by find_variable) as they stand now:
// N_GRID, N_BND, N_FREE or one value, from node 1 on. Empty for a double
// variable asked as integers and the other way round.
std::span<double> real_values(Model& m, const Variable& v);
std::span<std::int32_t> integer_values(Model& m, const Variable& v);

}  // namespace tidmor
