// Placeholder until the routine is built.
#include "input/input_data.hpp"
namespace tidmor { void INPUT_DATA(Model&, std::istream&, const std::string&) {} }
