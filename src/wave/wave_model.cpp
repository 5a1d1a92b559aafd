// Placeholder until the routine is built.
#include "wave/wave_model.hpp"

namespace tidmor {
void WAVE_MODEL(Model&) {}
}  // namespace tidmor
