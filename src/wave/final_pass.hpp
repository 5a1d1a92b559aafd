#pragma once
#include "model/model.hpp"

namespace tidmor {

// Closes the step over the wet nodes 1..N_SHORE, in increasing order: the
// new level becomes the old one (U_OLD, H_OLD), the dimensional copies U_DIM
// (m/s) and H_DIM (m) are written, N_DOWN drops to the first node i below
// it whose landward neighbour held less than RUNDOWN_DEPTH in H_DIM before
// this pass, and the largest characteristic speed |u| + sqrt(h) is
// returned. Stops the run at the first wet node whose new values are not
// finite.
double final_pass(Model& m);

// DT = COURANT * DX_ND / s_max, the step of the next call. Stops the run if
// s_max is not positive.
void next_time_step(Model& m, double s_max);

}  // namespace tidmor
