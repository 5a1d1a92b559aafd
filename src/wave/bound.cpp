// Placeholder until the routine is built.
#include "wave/bound.hpp"

namespace tidmor {
void BOUND(Model&) {}
}  // namespace tidmor
