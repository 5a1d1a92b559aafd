// Placeholder until the routine is built.
#include "morphology/beach.hpp"

namespace tidmor {
void BEACH(Model&) {}
}  // namespace tidmor
