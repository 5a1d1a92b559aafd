#pragma once
// tidmor --check [DIR]: a look at a case before a long study.
//
// Reads and checks the input as a run does (with its rejections and
// warnings), generates the aquifer boundary and relaxes its water table,
// and reports what decides whether the study is sound and what it costs:
//
//   the sweeps of the relaxation and their time
//   the lowest water table at rest, and where
//   the longest water-table element at rest against L_ELEM (the nodes slide
//     seaward as the water table settles, so the spacing grows landward)
//   the well's distance to the boundary, generated and at rest
//   the steps of a wave period and an estimate of its cost
//
// It writes no result file (earlier results stay as they are) and prints no
// sweep lines. Status 0 when the case can start; otherwise the status and
// message the run would end with.
#include <ostream>

#include "run/run_options.hpp"

namespace tidmor {

int START_UP_CHECK(std::ostream& console, std::ostream& errors, const RunOptions& options);

}  // namespace tidmor
