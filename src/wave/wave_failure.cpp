#include "wave/wave_failure.hpp"

#include "common/number_format.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

void wave_failure(const Model& m, const std::string& what, int node) {
    numerical_failure(what + " at node " + std::to_string(node) + " (TIME = " + time_text(m.TIME_RELATED.TIME) +
                      " s, step " + value_text(m.N_CAL.N_STEP) + ")");
}

}  // namespace tidmor
