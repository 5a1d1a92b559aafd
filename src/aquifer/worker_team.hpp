#pragma once
// The worker threads of one run's aquifer step.
//
// A fixed team, started once and owned by the run: run(parts, job) calls
// job(part) for part = 0 .. parts-1, part 0 on the calling thread and each
// other part on its own worker, and returns when all are done. The callers
// split their work into fixed, disjoint ranges (rows, columns), so every
// value is computed by the same operations whichever thread takes it.
//
// Idle workers sleep on a condition variable rather than spin: the model
// often shares its cores with other work, and a spinning team on a busy
// machine loses a whole scheduler slice at every join (measured with
// OpenMP's default spinning: a two-thread run up to ten times slower than
// one thread on a loaded two-core machine).
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace tidmor {

class WorkerTeam {
public:
    // A team of `threads` (the caller and threads-1 workers). A worker the
    // system refuses to start (a limit on processes or memory) leaves a
    // smaller team, one worker fewer still, to leave the run memory:
    // size() is what runs, shortfall() says why.
    explicit WorkerTeam(int threads);
    ~WorkerTeam();
    WorkerTeam(const WorkerTeam&) = delete;
    WorkerTeam& operator=(const WorkerTeam&) = delete;

    int size() const { return static_cast<int>(workers_.size()) + 1; }
    // The threads asked for, and the system's reason when fewer started ("" when all did).
    int requested() const { return requested_; }
    const std::string& shortfall() const { return shortfall_; }
    // The threads that could be started (the caller included): requested()
    // when all were, else one more than size() when a worker was let go.
    int started() const { return shortfall_.empty() ? requested_ : started_; }

    // job(part) for part = 0 .. parts-1 (parts <= size()), concurrently.
    // An exception thrown by a part is thrown again here once every part
    // has finished (one of them, when several throw).
    template <typename Job>
    void run(int parts, const Job& job) {
        dispatch(parts, const_cast<void*>(static_cast<const void*>(&job)),
                 [](void* j, int part) { (*static_cast<const Job*>(j))(part); });
    }

private:
    using Call = void (*)(void*, int);
    void dispatch(int parts, void* job, Call call);
    void work(int part);

    int requested_ = 1;
    std::string shortfall_;
    int started_ = 1;
    int retire_from_ = std::numeric_limits<int>::max();  // workers of this part and above end
    std::exception_ptr failure_;  // the first exception of a part in this call
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    std::uint64_t generation_ = 0;
    int pending_ = 0;
    int parts_ = 0;
    bool stop_ = false;
    void* job_ = nullptr;
    Call call_ = nullptr;
};

// The half-open range [first, last) of part `part` of `parts` over n items:
// contiguous blocks, sizes differing by at most one.
inline void part_range(int n, int part, int parts, int& first, int& last) {
    first = static_cast<int>(static_cast<long long>(n) * part / parts);
    last = static_cast<int>(static_cast<long long>(n) * (part + 1) / parts);
}

}  // namespace tidmor
