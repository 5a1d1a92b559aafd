#include "morphology/morphology_failure.hpp"

#include <iomanip>
#include <sstream>

#include "common/run_failure.hpp"

namespace tidmor {

void non_finite_failure(const std::string& quantity, int node, double value, double time) {
    std::ostringstream text;
    text << std::setprecision(17) << quantity << " at node " << node << " is not finite (" << value
         << ") at TIME = " << time << " s";
    numerical_failure(text.str());
}

}  // namespace tidmor
