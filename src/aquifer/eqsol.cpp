// Placeholder until the routine is built.
#include "aquifer/eqsol.hpp"

namespace tidmor {
void EQSOL(Model&) {}
}  // namespace tidmor
