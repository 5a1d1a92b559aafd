// Placeholder until the routine is built.
#include "aquifer/dinfil_model.hpp"

namespace tidmor {
void DINFIL_MODEL(Model&) {}
}  // namespace tidmor
