#pragma once
// Boundary systems solved ahead, on a thread of their own, while the time
// steps go on.
//
// Between profile updates the rebuilt aquifer boundary is a function of
// the shoreline index alone (the positions come from the reference mesh,
// the shoreline node and L_ELEM, the elevations from the bed, the codes
// from which side of the shoreline a face node lies; the water depth only
// sets heads, which the recorded system does not hold). The swash of one
// wave period runs over nearly the same shoreline nodes as that of the
// period before, so after each profile update the geometries of the
// shoreline indices met in the period just ended are rebuilt on a copy of
// the blocks they are made from and solved with a record, here, while the
// time steps of the new period go on. The time step takes a finished
// record from the cache like any other; a geometry not ready is solved by
// the step itself, as without this thread.
//
// Nothing here changes a bit: a record is stored under the exact bits of
// the geometry it was solved for and is the outcome of the same operations
// whichever model solves it, so a wrong guess only wastes work. A solve
// ahead that fails (a singular system, memory refused, a rebuild that does
// not fit) is dropped, and the step that meets the geometry fails or warns
// as it would have.
//
// Which geometry the thread takes follows the step. The shoreline runs up
// and down the beach a node or two at a time, so the next geometries the
// step meets are those of the shoreline nodes ahead of it in the direction
// it moves. The first of these still open is left to the step (it meets it
// before the thread could finish it); the thread takes the next, then the
// next open beyond the step's own, and so on: the step and the thread
// leapfrog along the swash. It takes only nodes the last period met (a
// node beyond them is seldom met: guessed, most would be wasted work that
// keeps the core from the step's own loops), but in the first period, with
// nothing met before it, the few nodes ahead of the step. With nothing
// left ahead it takes the nodes met in the last period on the other side,
// nearest first. Consecutive shoreline nodes share most of
// their boundary, which the kernel integrals kept between two MATRIX calls
// of the thread's own model make use of.
//
// Only the main thread calls the public functions.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "aquifer/boundary_system_cache.hpp"
#include "common/units.hpp"
#include "model/model.hpp"

namespace tidmor {

class AheadSolver {
public:
    explicit AheadSolver(VectorPath vector_path) : vector_path_(vector_path) {}
    ~AheadSolver();
    AheadSolver(const AheadSolver&) = delete;
    AheadSolver& operator=(const AheadSolver&) = delete;

    // Starts the thread, which makes its model (24 MB, zeroed) while the
    // run starts up; solve_ahead() starts it too.
    void start();

    // A time step met this shoreline index with a cacheable boundary.
    void shoreline_met(int n_shore);

    // For the profile m has now (at the start of a run and after each
    // profile update): drops what was chosen for the last one and solves
    // geometries of the shoreline indices ahead of the steps, those met
    // since the last call first, leaving out those whose key hashes are in
    // `cached` (the cache holds them, or a geometry of the same hash).
    void solve_ahead(const Model& m, std::vector<std::uint64_t> cached);

    // Moves the systems solved so far into the cache (each marked as solved
    // ahead, its first use still to come).
    void collect(BoundarySystemCache& cache);

    // For a geometry the cache does not hold: when the thread is solving
    // exactly this one, waits for it and returns true (collect() then
    // brings it). Otherwise the thread is told to leave it to the step and
    // false is returned.
    bool wait_for(const BoundarySystemKey& key);

    // Whether the thread is solving now (the step's own parallel loops then
    // leave it its core).
    bool busy() const { return busy_.load(std::memory_order_relaxed); }

    // Waits until the thread has nothing left to take for the step's
    // present shoreline index and heading.
    void wait_until_idle();

    // Geometries solved ahead so far (used or not).
    std::uint64_t solved() const;

private:
    // What AQUIFER_REC, the solve and the key read of the model.
    struct Blocks {
        blocks::FINAL_INI FINAL_INI;
        blocks::FINAL_INIC FINAL_INIC;
        blocks::SED_INT SED_INT;
        blocks::CROSS_DIS CROSS_DIS;
        GridArray Z_BED;
        blocks::L_ELEMENT L_ELEMENT;
        blocks::CAPILLARY CAPILLARY;
        blocks::SED_TRANS SED_TRANS;
        blocks::CONSTS CONSTS;
        blocks::WAVE_CONSD WAVE_CONSD;
        double X_WELL = 0, Z_WELL = 0, Q_WELL = 0;
    };

    void work();
    // One geometry on the thread's own model; false when it fails or is not
    // to be solved.
    bool solve_one(Model& own, Units& units, int n_shore, RecordedSystem& record);
    bool left_to_step(const BoundarySystemKey& key, std::uint64_t hash) const;  // mutex held
    // The shoreline index the thread takes next, or 0 for none (mutex held).
    int next_index() const;

    const VectorPath vector_path_;

    // The main thread's record of the period running: the shoreline
    // indices met, and the last index met.
    std::vector<std::uint8_t> met_;
    int last_met_ = 0;
    int last_heading_ = 1;

    std::thread thread_;
    bool started_ = false;

    mutable std::mutex mutex_;
    bool failed_ = false;  // the thread or its model could not be had: no more solves ahead
    std::condition_variable work_, finished_;
    bool stop_ = false;
    std::unique_ptr<Blocks> pending_;       // blocks of the latest profile
    std::uint64_t generation_ = 0;          // profiles asked for
    int at_ = 0;                            // the step's shoreline index
    int heading_ = 1;                       // +1 up the beach, -1 down, as it last moved
    std::vector<std::uint8_t> met_before_;  // indices the last period met
    bool guessing_ = true;                  // none: the nodes ahead of the step are guessed
    std::vector<std::uint8_t> closed_;      // indices taken by the thread or the step, this profile
    std::vector<std::uint64_t> cached_;     // key hashes left out, sorted
    std::vector<BoundarySystemKey> taken_;  // geometries the step solves itself
    const BoundarySystemKey* in_hand_ = nullptr;  // the geometry being solved
    std::uint64_t ended_ = 0;               // shoreline indices taken and done with
    std::vector<RecordedSystem> ready_;     // solved, not yet collected
    std::uint64_t solved_ = 0;
    std::atomic<bool> busy_{false};  // a shoreline index taken from the queue and not done (set under the mutex)
};

}  // namespace tidmor
