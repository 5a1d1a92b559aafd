// Placeholder until the routine is built.
#include "output/output.hpp"

namespace tidmor {
void OUTPUT_INI(Model&) {}
void OUTPUT(Model&) {}
}  // namespace tidmor
