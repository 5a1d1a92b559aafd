// Placeholder until the routine is built.
#include "input/control_file.hpp"
namespace tidmor { std::string read_control_file(const std::string&) { return {}; } }
