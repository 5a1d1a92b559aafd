#pragma once
#include "run/model.hpp"

namespace tidmor {

// Solves the augmented system of block EQUATIONS by Gauss-Jordan elimination.
void EQSOL(Model& m);

}  // namespace tidmor
