#include "aquifer/aquifer_solver.hpp"

#include <new>
#include <thread>

#include "aquifer/ahead_solver.hpp"
#include "common/address_space.hpp"

namespace tidmor {

AquiferSolver::AquiferSolver() { configure(AquiferSolverSettings{}); }
AquiferSolver::~AquiferSolver() = default;

void AquiferSolver::configure(const AquiferSolverSettings& options) {
    ahead_.reset();
    threads = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
    if (threads < 1) threads = 1;
    if (team_ && team_->size() != threads) team_.reset();
    reuse = options.reuse;
    vector_path = resolved(options.vector_path);
    if (!vector_path_runs_here(vector_path)) vector_path = VectorPath::SCALAR;
    cache.clear();
    cache.set_capacity(options.cache_bytes);
    factor.assign(Matrix1000::LEADING_DIMENSION, 0.0);
    active_columns.reserve(Matrix1000::LEADING_DIMENSION + 1);
    rhs.assign(Matrix1000::LEADING_DIMENSION, 0.0);
    rhs_weight.assign(Matrix1000::LEADING_DIMENSION, 0.0);
    hits = misses = plain = ahead = 0;
    kernels = KernelIntegrals{};
    if (threads > 1 && reuse) {
        try {
            ahead_ = std::make_unique<AheadSolver>(vector_path);
        } catch (const std::bad_alloc&) {
            // Every geometry is solved by its step.
        }
    }
}

void AquiferSolver::profile_updated(const Model& m) {
    // A system that refused the team some of its threads has none to spare,
    // nor the memory of the thread's model.
    if (!ahead_ || (team_ && !team_->shortfall().empty())) return;
    try {
        ahead_->solve_ahead(m, cache.key_hashes());
    } catch (const std::bad_alloc&) {
        // Nothing is solved ahead this time.
    }
}

WorkerTeam& AquiferSolver::team() {
    if (!team_) team_ = std::make_unique<WorkerTeam>(threads);
    return *team_;
}

int AquiferSolver::team_size() {
    if (threads <= 1) return 1;
    const int size = team().size();
    return ahead_ && ahead_->busy() && size > 1 ? size - 1 : size;
}

std::string AquiferSolver::start_team() {
    if (threads <= 1) return "";
    const WorkerTeam& started = team();
    if (started.size() == started.requested()) {
        // The thread of the solves ahead makes its model during the start-up.
        if (ahead_) ahead_->start();
        return "";
    }
    // A started worker is let go again, to leave the run memory.
    const bool one_let_go = started.started() > started.size();
    return "only " + std::to_string(started.started()) + " of the " + std::to_string(started.requested()) +
           " threads asked for the aquifer step could be started (" + started.shortfall() + "): it runs on " +
           std::to_string(started.size()) + (one_let_go ? ", leaving the memory of one to the run" : "") +
           ", with the same results";
}

void AquiferSolver::fit_cache_to_address_space() {
    const std::size_t half_left = address_space_left() / 2;
    if (half_left < cache.capacity()) cache.set_capacity(half_left);
}

}  // namespace tidmor
