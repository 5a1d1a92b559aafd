// tidmor: cross-shore beach model. Reads "SIM.FILE" in the working directory;
// takes no arguments.
#include <iostream>

#include "run/tidmor.hpp"

int main() { return tidmor::TIDMOR(std::cout, std::cerr); }
