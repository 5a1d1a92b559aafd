#pragma once
// Snapshot intervals that are legal but most likely not what was meant.
//
// Snapshots are written at the steps of the last four wave periods whose
// number is a whole multiple of N_OUT. An N_OUT for which step 1 already
// qualifies (1, 0.5, 0.25, ...) makes every step a snapshot step: a block
// of "outw.dat" and "outg.dat" at each of the thousand or so steps. An
// N_OUT larger than the steps of those periods writes no snapshot at all,
// which only the run itself can tell, as the step length follows the waves.
#include <cstdint>
#include <string>

#include "model/model.hpp"

namespace tidmor {

// Before the run: the warning for an N_OUT that makes every step a
// snapshot step, or an empty string.
std::string every_step_snapshot_warning(const Model& m);

// Watches the steps of the last four wave periods.
class SnapshotWatch {
public:
    // What has been seen so far; a restarted run takes it up from its
    // checkpoint, so that the warning is the straight run's.
    struct Tally {
        std::int64_t window_steps = 0;
        double window_start = 0;  // TIME of the first step in the window (s)
        bool snapshot_seen = false;
    };

    // After each time step.
    void step(const Model& m);
    // At the end of the run (TIME >= T_MAX): the warning when none of those
    // steps was a snapshot step, or an empty string.
    std::string end_warning(const Model& m) const;

    const Tally& tally() const { return tally_; }
    void resume(const Tally& tally) { tally_ = tally; }

private:
    Tally tally_;
};

}  // namespace tidmor
