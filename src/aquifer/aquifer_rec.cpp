// Placeholder until the routine is built.
#include "aquifer/aquifer_rec.hpp"

namespace tidmor {
void AQUIFER_REC(Model&) {}
}  // namespace tidmor
