// Placeholder until the routine is built.
#include "aquifer/aquifer_ini.hpp"

namespace tidmor {
void AQUIFER_INI(Model&) {}
}  // namespace tidmor
namespace tidmor { void check_aquifer_mesh(const Model&, const std::string&) {} }
