#include "wave/wave_failure.hpp"

#include <iomanip>
#include <sstream>

#include "common/run_failure.hpp"

namespace tidmor {

void wave_failure(const Model& m, const std::string& what, int node) {
    std::ostringstream text;
    text << what << " at node " << node << " (TIME = " << std::setprecision(17) << m.TIME_RELATED.TIME
         << " s, step " << std::fixed << std::setprecision(0) << m.N_CAL.N_STEP << ")";
    numerical_failure(text.str());
}

}  // namespace tidmor
