#pragma once
// How this run solves its aquifer boundary systems: the worker threads, the
// reuse of systems already solved, and the solver's work space. It belongs
// to one Model, so two models in one process share nothing. None of it
// changes a result: every path gives the same bits.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "aquifer/boundary_system_cache.hpp"
#include "aquifer/gauss_legendre15.hpp"
#include "aquifer/worker_team.hpp"
#include "common/fixed_array.hpp"
#include "model/aquifer_solver_settings.hpp"

namespace tidmor {

class AheadSolver;
struct Model;

struct AquiferSolver {
    AquiferSolver();
    ~AquiferSolver();
    AquiferSolver(const AquiferSolver&) = delete;
    AquiferSolver& operator=(const AquiferSolver&) = delete;

    // Threads (0 = one per core), reuse and the cache bound from the run's
    // options; drops what the cache held.
    void configure(const AquiferSolverSettings& options);

    int threads = 1;    // worker threads, at least 1

    // The team of `threads` threads, started at first use; fewer when the
    // system refuses some (the team says why).
    WorkerTeam& team();
    // The threads that take part in a parallel loop: `threads`, or the
    // team's size once it is started; one fewer while a system is being
    // solved ahead, whose thread then has that core.
    int team_size();
    // Starts the team now (more than one thread asked for) and returns a
    // warning line when some threads could not be started; "" otherwise.
    std::string start_team();
    // Under an address-space limit, bounds the recorded systems to half of
    // the address space still free, so that they never take the memory the
    // rest of the run needs (the result files, the console); to be called
    // once the team is started.
    void fit_cache_to_address_space();
    bool reuse = true;  // reuse cached boundary systems

    // The solves ahead of the time steps (more than one thread and reuse
    // on), or nullptr.
    AheadSolver* ahead_solver() { return ahead_.get(); }
    const AheadSolver* ahead_solver() const { return ahead_.get(); }
    // After a profile update of m: the geometries the next wave period will
    // likely meet are solved ahead.
    void profile_updated(const Model& m);
    VectorPath vector_path = VectorPath::SCALAR;  // the kernels' instruction set, runs here
    BoundarySystemCache cache;

    // Work space of one solve.
    Array1<std::int32_t, Matrix1000::LEADING_DIMENSION> pivot_col;  // pivot column of each row
    std::vector<double> factor;  // multipliers of one elimination step, one per row
    std::vector<std::int32_t> active_columns;  // the columns an elimination step still updates
    std::vector<double> rhs;     // right-hand side pushed through a recorded elimination
    std::vector<double> rhs_weight;  // the weight of each column in that right-hand side
    // The Gauss points of each element, (e-1)*GAUSS_POINTS + k-1; held with
    // the model, as the other fixed-size arrays of one solve.
    std::array<double, Matrix1000::LEADING_DIMENSION * GAUSS_POINTS> gauss_x, gauss_z;
    BoundarySystemKey probe;     // geometry of the current step
    RecordedSystem record;       // the elimination being recorded on a miss

    // The four 15-point integrals of every (node, element) pair of the last
    // MATRIX call with reuse on, and the nodes they were taken for. A pair
    // of this call whose node and element ends have the same coordinate
    // bits as a pair of the last call takes its integrals from there,
    // whatever the node numbers: the integration reads nothing else.
    struct KernelIntegrals {
        int n = 0;
        std::vector<double> x, z;              // nodes 1..n
        std::vector<double> h1, h2, g1, g2;    // (i, e) at (i-1)*n + e-1
        // Work space of one call: the integrals being taken (swapped with
        // the kept ones at the end), and for each node j and element e of
        // this call the last call's node and element at the same bits (0:
        // none).
        std::vector<double> next_h1, next_h2, next_g1, next_g2;
        std::vector<std::int32_t> last_node, last_element;
        std::vector<std::int32_t> order;       // last call's nodes by coordinate bits
        std::uint64_t pairs_kept = 0;          // pairs of the last call that took kept integrals
    } kernels;

    // Solves by path since the last configure.
    std::uint64_t hits = 0;    // geometry found: right-hand side and replay only
    std::uint64_t misses = 0;  // full solve, recorded
    std::uint64_t plain = 0;   // full solve outside the cache (reuse off, or codes it does not cover)
    std::uint64_t ahead = 0;   // first use of a geometry solved ahead: right-hand side and replay only

private:
    std::unique_ptr<WorkerTeam> team_;
    std::unique_ptr<AheadSolver> ahead_;
};

}  // namespace tidmor
