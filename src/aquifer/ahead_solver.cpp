#include "aquifer/ahead_solver.hpp"

#include <algorithm>
#include <cstddef>
#include <new>
#include <ostream>
#include <system_error>
#include <utility>

#include "aquifer/aquifer_rec.hpp"
#include "aquifer/recorded_solve.hpp"
#include "common/discard_buffer.hpp"
#include "common/elementary_accurate.hpp"

namespace tidmor {

AheadSolver::~AheadSolver() {
    if (!started_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    work_.notify_one();
    thread_.join();
}

namespace {

// How far ahead of the step the thread takes nodes in the first period: far
// enough for the leapfrog (the step's own next node, the thread's, and the
// step's next again while the thread finishes), near enough that a swash
// turning back wastes little.
constexpr int REACH = 4;

}  // namespace

void AheadSolver::shoreline_met(int n_shore) {
    if (n_shore < 1) return;
    const auto at = static_cast<std::size_t>(n_shore);
    try {
        if (at >= met_.size()) met_.resize(at + 1, 0);
        met_[at] = 1;
    } catch (const std::bad_alloc&) {
        // Fewer geometries are guessed.
    }
    if (n_shore == last_met_) return;
    if (last_met_ != 0) last_heading_ = n_shore > last_met_ ? 1 : -1;
    last_met_ = n_shore;
    if (!started_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        at_ = n_shore;
        heading_ = last_heading_;
    }
    work_.notify_one();
}

void AheadSolver::solve_ahead(const Model& m, std::vector<std::uint64_t> cached) {
    std::vector<std::uint8_t> met;
    met.swap(met_);
    std::sort(cached.begin(), cached.end());
    std::unique_ptr<Blocks> blocks;
    std::vector<std::uint8_t> closed;
    try {
        blocks = std::make_unique<Blocks>();
        // Every shoreline index of the grid, and those met beyond it (their
        // rebuild fails, on the thread as on the step).
        const std::size_t indices = std::max<std::size_t>(static_cast<std::size_t>(m.SED_INT.N_GRID) + 1, met.size());
        met.resize(indices, 0);
        closed.assign(indices, 0);
    } catch (const std::bad_alloc&) {
        return;
    }
    blocks->FINAL_INI = m.FINAL_INI;
    blocks->FINAL_INIC = m.FINAL_INIC;
    blocks->SED_INT = m.SED_INT;
    blocks->CROSS_DIS = m.CROSS_DIS;
    blocks->Z_BED = m.BEACH_PROFILE.Z_BED;
    blocks->L_ELEMENT = m.L_ELEMENT;
    blocks->CAPILLARY = m.CAPILLARY;
    blocks->SED_TRANS = m.SED_TRANS;
    blocks->CONSTS = m.CONSTS;
    blocks->WAVE_CONSD = m.WAVE_CONSD;
    blocks->X_WELL = m.WELL.X_WELL;
    blocks->Z_WELL = m.WELL.Z_WELL;
    blocks->Q_WELL = m.WELL.Q_WELL;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_) return;
        pending_ = std::move(blocks);
        ++generation_;
        met_before_.swap(met);
        guessing_ = std::find(met_before_.begin(), met_before_.end(), std::uint8_t{1}) == met_before_.end();
        closed_.swap(closed);
        cached_.swap(cached);
        taken_.clear();
        at_ = last_met_;
        heading_ = last_heading_;
    }
    start();
    work_.notify_one();
}

void AheadSolver::start() {
    if (started_) return;
    try {
        thread_ = std::thread([this] { work(); });
        started_ = true;
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(mutex_);
        failed_ = true;
    }
}

void AheadSolver::collect(BoundarySystemCache& cache) {
    std::vector<RecordedSystem> ready;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ready_.empty()) return;
        ready.swap(ready_);
    }
    // A record the cache has no room for is dropped: the step solves it.
    for (RecordedSystem& record : ready) {
        record.solved_ahead = true;
        cache.insert(std::move(record));
    }
}

bool AheadSolver::wait_for(const BoundarySystemKey& key) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (in_hand_ && in_hand_->same_bits(key)) {
        // Until this geometry is done, not the next one the thread takes.
        const std::uint64_t ended = ended_;
        finished_.wait(lock, [&] { return ended_ != ended; });
        return true;
    }
    if (at_ >= 1 && static_cast<std::size_t>(at_) < closed_.size()) closed_[static_cast<std::size_t>(at_)] = 1;
    // Only a thread at work may have taken it already.
    if (!busy()) return false;
    try {
        taken_.push_back(key);
    } catch (const std::bad_alloc&) {
        // The thread may then solve it as well, to no use.
    }
    return false;
}

void AheadSolver::wait_until_idle() {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return failed_ || !started_ || (!busy() && next_index() == 0); });
}

std::uint64_t AheadSolver::solved() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return solved_;
}

bool AheadSolver::left_to_step(const BoundarySystemKey& key, std::uint64_t hash) const {
    if (std::binary_search(cached_.begin(), cached_.end(), hash)) return true;
    for (const BoundarySystemKey& taken : taken_)
        if (taken.same_bits(key)) return true;
    for (const RecordedSystem& record : ready_)
        if (record.key.same_bits(key)) return true;
    return false;
}

int AheadSolver::next_index() const {
    if (!pending_ || at_ < 1) return 0;
    const int indices = static_cast<int>(closed_.size());
    const auto in_range = [indices](int q) { return q >= 1 && q < indices; };
    const auto met_before = [this](int q) { return met_before_[static_cast<std::size_t>(q)] != 0; };
    const auto open = [this](int q) { return closed_[static_cast<std::size_t>(q)] == 0; };
    // Ahead of the step: the first open node is the step's own next one,
    // the next wanted one the thread's; with no other, the step's own.
    int steps_next = 0;
    bool steps_next_wanted = false;
    for (int q = at_ + heading_, beyond = 1; in_range(q); q += heading_, ++beyond) {
        if (!open(q)) continue;
        const bool wanted = met_before(q) || (guessing_ && beyond <= REACH);
        if (steps_next == 0) {
            steps_next = q;
            steps_next_wanted = wanted;
        } else if (wanted) {
            return q;
        }
    }
    if (steps_next_wanted) return steps_next;
    // Behind it, the nodes met before, nearest first.
    for (int q = at_ - heading_; in_range(q); q -= heading_)
        if (open(q) && met_before(q)) return q;
    return 0;
}

bool AheadSolver::solve_one(Model& own, Units& units, int n_shore, RecordedSystem& record) {
    try {
        own.WAVE_CONSI.N_SHORE = n_shore;
        AQUIFER_REC(own, units);
        const int n = own.CONFIG_BOUND.N_BND;
        if (!cacheable_system(own, n)) return false;
        make_key(own, n, record.key);
        const std::uint64_t hash = record.key.hash();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (left_to_step(record.key, hash)) return false;
            in_hand_ = &record.key;
        }
        record.size_for(n);
        full_solve(own, units, &record);
        record_geometry(own, n, record);
        return true;
    } catch (...) {
        // Left for the step that meets it, which fails or warns as it would have.
        return false;
    }
}

void AheadSolver::work() {
    std::unique_ptr<Model> own;
    // The console of the thread's model: what a failing solve would print
    // there is printed by the step that meets the geometry.
    DiscardBuffer discarded;
    std::ostream console(&discarded);
    Units units;
    units.console = &console;
    std::uint64_t generation = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    try {
        lock.unlock();
        own = make_model();
        AquiferSolverSettings settings;
        settings.threads = 1;
        settings.reuse = true;
        settings.cache_bytes = 0;
        settings.vector_path = vector_path_;
        own->aquifer_solver.configure(settings);
        lock.lock();
    } catch (const std::bad_alloc&) {
        lock.lock();
        failed_ = true;
        finished_.notify_all();
        return;
    }
    for (;;) {
        int n_shore = 0;
        work_.wait(lock, [&] { return stop_ || (n_shore = next_index()) != 0; });
        if (stop_) break;
        if (generation != generation_) {
            const Blocks& b = *pending_;
            own->FINAL_INI = b.FINAL_INI;
            own->FINAL_INIC = b.FINAL_INIC;
            own->SED_INT = b.SED_INT;
            own->CROSS_DIS = b.CROSS_DIS;
            own->BEACH_PROFILE.Z_BED = b.Z_BED;
            own->L_ELEMENT = b.L_ELEMENT;
            own->CAPILLARY = b.CAPILLARY;
            own->SED_TRANS = b.SED_TRANS;
            own->CONSTS = b.CONSTS;
            own->WAVE_CONSD = b.WAVE_CONSD;
            own->WELL.X_WELL = b.X_WELL;
            own->WELL.Z_WELL = b.Z_WELL;
            own->WELL.Q_WELL = b.Q_WELL;
            generation = generation_;
        }
        closed_[static_cast<std::size_t>(n_shore)] = 1;
        busy_.store(true, std::memory_order_relaxed);
        lock.unlock();
        RecordedSystem record;
        const bool solved = solve_one(*own, units, n_shore, record);
        lock.lock();
        in_hand_ = nullptr;
        ++ended_;
        if (solved) {
            try {
                ready_.push_back(std::move(record));
                ++solved_;
            } catch (const std::bad_alloc&) {
                // Dropped: the step solves it.
            }
        }
        busy_.store(false, std::memory_order_relaxed);
        finished_.notify_all();
    }
    lock.unlock();
    // The kernels this thread evaluated may have used MPFR.
    accurate::release_thread_caches();
}

}  // namespace tidmor
