#pragma once
// Initial state of the aquifer model.
#include <string>

#include "run/model.hpp"

namespace tidmor {

// Rejects (reject_input, naming the value, the limit and the input file)
// aquifer input that the node arrays or the method cannot hold; called
// after INPUT_DATA and before any result file is created, when I_INFIL = 1.
// The counts are formed as AQUIFER_INI forms them (aquifer_ini_mesh.hpp);
// a well (Q_WELL > 0) must lie strictly inside the generated polygon.
void check_aquifer_mesh(const Model& m, const std::string& input_file);

// Generates the aquifer boundary, writes it (OUTPUT_INI), relaxes the water
// table to rest by sweeps of DT_AQ = 360 s with one console line per sweep
// (the movement ratio), and stores the converged boundary as the reference
// mesh (FINAL_INI, FINAL_INIC) with head-given water table and exit point.
//
// The sweeps end when the ratio to the first sweep's movement is 0.1 or
// less, when the mean movement is at most 1e-12 m (a first sweep that moves
// nothing prints 0), and stop the run past 100 000 sweeps, on a movement
// that is not finite, or when a node removal would leave fewer than two
// face nodes.
void AQUIFER_INI(Model& m);

}  // namespace tidmor
