#include "output/snapshot_warnings.hpp"

#include <cmath>

#include "common/constants.hpp"
#include "common/number_format.hpp"
#include "output/output.hpp"

namespace tidmor {

namespace {

// The start of the snapshot window (s), as OUTPUT tests it.
double window_begins(const Model& m) { return m.TIME_RELATED.T_MAX - SNAPSHOT_PERIODS * m.WAVE_CONSD.T_WAVE; }

}  // namespace

std::string every_step_snapshot_warning(const Model& m) {
    const double r = 1.0 / m.N_CAL.N_OUT;
    if (!(std::fabs(std::trunc(r) - r) <= SNAPSHOT_TOLERANCE)) return "";
    // The first step's length is that of still water; the waves shorten it.
    const double per_period = std::floor(1.0 / m.TIME_RELATED.DT);
    const double six_a_period = std::fmax(2.0, std::floor(per_period / 6.0));
    return "N_OUT = " + value_text(m.N_CAL.N_OUT) +
           ": every step of the last four wave periods is a snapshot step, so \"outw.dat\" and \"outg.dat\" get a " +
           "block at each of them (at least " + value_text(SNAPSHOT_PERIODS * per_period) +
           " steps); an N_OUT of " + value_text(six_a_period) + " gives about six snapshots a period";
}

void SnapshotWatch::step(const Model& m) {
    if (!(m.TIME_RELATED.TIME > window_begins(m))) return;
    if (tally_.window_steps == 0) tally_.window_start = m.TIME_RELATED.TIME;
    ++tally_.window_steps;
    if (snapshot_due(m)) tally_.snapshot_seen = true;
}

std::string SnapshotWatch::end_warning(const Model& m) const {
    if (tally_.snapshot_seen || tally_.window_steps == 0) return "";
    return "N_OUT = " + value_text(m.N_CAL.N_OUT) + ": none of the " + std::to_string(tally_.window_steps) +
           " steps of the last four wave periods (from TIME = " + time_text(tally_.window_start) +
           " s, steps " + value_text(m.N_CAL.N_STEP - static_cast<double>(tally_.window_steps) + 1) + " to " +
           value_text(m.N_CAL.N_STEP) +
           ") was a snapshot step: \"outw.dat\" and \"outg.dat\" hold no snapshot; a smaller N_OUT, such as " +
           std::to_string(tally_.window_steps / 4 > 0 ? tally_.window_steps / 4 : 1) + ", writes some";
}

}  // namespace tidmor
