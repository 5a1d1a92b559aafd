// Placeholder until the routine is built.
#include "morphology/sediment_transport.hpp"

namespace tidmor {
void SEDIMENT_TRANSPORT(Model&) {}
}  // namespace tidmor
