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
// The steps of the new period meet the shoreline nodes in about the order
// they were first met in the last one, so the thread takes them from the
// other end: the step and the thread work toward each other and seldom
// want the same geometry (a step that wants the one in hand waits for it;
// one the step has taken on is skipped by the thread). Consecutive
// shoreline nodes share most of their boundary, which the kernel integrals
// kept between two MATRIX calls of the thread's own model make use of.
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

    // A time step met this shoreline index with a cacheable boundary.
    void shoreline_met(int n_shore);

    // After a profile update of m: drops what is still to be solved and
    // solves the geometries of the shoreline indices met since the last
    // call, for the profile m has now, leaving out those whose key hashes
    // are in `cached` (the cache holds them, or a geometry of the same hash).
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

    // Waits until everything asked for is solved or dropped.
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

    const VectorPath vector_path_;

    // The main thread's record of the period running: shoreline indices in
    // the order first met.
    std::vector<int> met_order_;
    std::vector<std::uint8_t> met_;

    std::thread thread_;
    bool started_ = false;

    mutable std::mutex mutex_;
    bool failed_ = false;  // the thread or its model could not be had: no more solves ahead
    std::condition_variable work_, finished_;
    bool stop_ = false;
    std::unique_ptr<Blocks> pending_;       // blocks of the latest profile update
    std::uint64_t generation_ = 0;          // profile updates asked for
    std::vector<int> queue_;                // shoreline indices still to solve, last first
    std::vector<std::uint64_t> cached_;     // key hashes left out, sorted
    std::vector<BoundarySystemKey> taken_;  // geometries the step solves itself
    const BoundarySystemKey* in_hand_ = nullptr;  // the geometry being solved
    std::uint64_t ended_ = 0;               // shoreline indices taken and done with
    std::vector<RecordedSystem> ready_;     // solved, not yet collected
    std::uint64_t solved_ = 0;
    std::atomic<bool> busy_{false};  // a shoreline index taken from the queue and not done (set under the mutex)
};

}  // namespace tidmor
