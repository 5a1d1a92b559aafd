#pragma once
// Whether the aquifer outline is a region the boundary elements can solve.
//
// The outline is rebuilt from the swash and the profile at every time step
// and moved by every relaxation sweep. Three things make it impossible,
// and nothing computed from it then means anything:
//
//   a node outside 0 <= x <= X_LAND  (the run-up past the landward side)
//   two elements that cross or touch (the outline folded over itself)
//   a head or normal derivative too large for its field of "outg.dat"
//
// The crossing test costs O(N^2) and depends only on the node positions:
// it runs on every relaxation sweep and on every geometry a time step
// meets for the first time; a geometry met again was tested then. The
// other two are O(N) and run after every solve. Nothing here allocates
// unless it finds a fault, as the reuse of boundary systems counts on.
#include <string>

#include "model/model.hpp"

namespace tidmor {

// Empty when the outline is sound; otherwise the first fault: the node or
// elements, their position and the likely cause. `crossings`: also test
// the elements for crossings. `width`: the field width of "outg.dat" the
// boundary would be written with (13 at start-up, 12 in a snapshot).
std::string aquifer_geometry_fault(const Model& m, bool crossings, int width);

// Stops the run (status 2) on a fault found; `when` says at which point of
// the run ("aquifer initialisation, sweep 3"), formed only then.
[[noreturn]] void geometry_failure(const std::string& fault, const std::string& when);

// A bed eroded below the aquifer bottom while the outline stays simple is
// possible, if odd: the first beach-face node more than 1 mm below z = 0
// (the seaward end sinks by micrometres in ordinary runs), or 0.
int face_node_below_bottom(const Model& m);
// The warning for it, once per run: where, when, and the usual cause.
std::string bed_below_bottom_warning(const Model& m, int node);

// Whether the segments a-b and c-d cross or touch.
bool segments_meet(double ax, double az, double bx, double bz, double cx, double cz, double dx, double dz);

}  // namespace tidmor
