#pragma once
// The model's state in the portable form of a checkpoint (common/byte_codec.hpp).
//
// Every block is kept, field by field in the order of model/model.hpp, under
// its name, except what each step builds afresh before reading it:
//   COE_MATRIX (G_COEF, H_COEF) and EQUATIONS.A_EQ: a full aquifer solve
//     fills rows and columns 1 .. N_BND (+1) before it reads them, and a
//     reused boundary system reads none of them;
//   GAUSS: constants;
//   the work space and the aquifer solver's stores: values of one call, and
//     caches that fill again to the same bits.
// An array is kept up to its last entry whose bits are not all zero (the
// rest is zero, as in a new model), so a checkpoint grows with the grid in
// use, not with the arrays' extents.
#include <string>
#include <string_view>

#include "model/model.hpp"

namespace tidmor {

std::string encode_model_state(const Model& m);

// Sets every kept field of `m` from `state`; throws std::runtime_error
// naming the block when the state does not fit this program's blocks.
void decode_model_state(std::string_view state, Model& m);

}  // namespace tidmor
