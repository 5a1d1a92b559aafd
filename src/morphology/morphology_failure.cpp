#include "morphology/morphology_failure.hpp"

#include "common/number_format.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

void non_finite_failure(const std::string& quantity, int node, double value, double time) {
    numerical_failure(quantity + " at node " + std::to_string(node) + " is not finite (" + value_text(value) +
                      ") at TIME = " + time_text(time) + " s");
}

}  // namespace tidmor
