#pragma once
// Initial state of the aquifer model.
#include <string>

#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

// Rejects (reject_input, naming the value, the limit and the input file)
// aquifer input that the node arrays or the method cannot hold; called
// after INPUT_DATA and before any result file is created, when I_INFIL = 1.
// The counts are formed as AQUIFER_INI forms them (aquifer_ini_mesh.hpp);
// a well (Q_WELL > 0) must lie inside the generated polygon, at least
// L_ELEM/4 from its elements (well_clearance.hpp); without a seepage face,
// an initial shoreline beyond the beach face must lie at least 2 L_ELEM from
// x = 0, as the first aquifer step re-meshes the face up to it every 2
// L_ELEM. Returns the warning for a well less than one L_ELEM inside, or an
// empty string.
std::string check_aquifer_mesh(const Model& m, const std::string& input_file);

// Generates the aquifer boundary, writes it (OUTPUT_INI), relaxes the water
// table to rest by sweeps of DT_AQ = 360 s with one console line per sweep
// (the movement ratio), and stores the converged boundary as the reference
// mesh (FINAL_INI, FINAL_INIC) with head-given water table and exit point.
//
// The sweeps end when the ratio to the first sweep's movement is 0.1 or
// less, when the mean movement is at most 1e-12 m (a first sweep that moves
// nothing prints 0), and stop the run past 100 000 sweeps, on a movement
// that is not finite, when a node removal would leave fewer than two face
// nodes, when the boundary breaks down (aquifer_state_check.hpp), when the
// relaxation diverges (below), and on SIGINT or SIGTERM.
void AQUIFER_INI(Model& m, Units& units);

// A relaxation diverges when a sweep moves the water table (mean movement,
// m) by more than the aquifer's size, or by more than 1000 times the
// smallest movement of the earlier sweeps (none when `smallest` is 0).
bool relaxation_diverges(double movement, double smallest, double size);

}  // namespace tidmor
