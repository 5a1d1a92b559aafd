// One time step of the surf and swash zone, nodes 1-based:
//   old level  U_OLD, H_OLD   nodes 1..N at entry (N = N_SHORE), zeros beyond
//   new level  U_ND,  H_ND    interior 2..N-1 from the scheme, node 1 and the
//                             shoreline from BOUND, then the wet/dry scans
// and at the end the new level is copied to the old one, with the
// dimensional copies U_DIM, H_DIM, over the wet nodes left.
#include "wave/wave_model.hpp"

#include "wave/bound.hpp"
#include "wave/final_pass.hpp"
#include "wave/lax_wendroff.hpp"
#include "wave/slope_ramp.hpp"
#include "wave/swash_statistics.hpp"
#include "wave/wet_dry.hpp"

namespace tidmor {

void WAVE_MODEL(Model& m) {
    // The stencils of BOUND and the tail check reach five nodes seaward of
    // the shoreline and two landward of it.
    require_wet_nodes(m, "at the start of the wave step");
    require_inside_grid(m);

    slope_ramp(m);
    advance_interior(m);
    BOUND(m);
    cut_off_scan(m);
    tail_check(m);
    require_wet_nodes(m, "after the tail check");
    require_inside_grid(m);
    swash_statistics(m);
    next_time_step(m, final_pass(m));
}

}  // namespace tidmor
