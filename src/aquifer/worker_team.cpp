#include "aquifer/worker_team.hpp"

#include "common/elementary_accurate.hpp"

namespace tidmor {

WorkerTeam::WorkerTeam(int threads) : requested_(threads < 1 ? 1 : threads) {
    workers_.reserve(static_cast<std::size_t>(requested_ - 1));
    for (int part = 1; part < requested_; ++part) {
        try {
            workers_.emplace_back([this, part] { work(part); });
        } catch (const std::system_error& refused) {
            shortfall_ = refused.what();
            started_ = size();
            // The system is at its limit of processes or memory, and the run
            // itself still needs memory (its first solves, the result
            // buffers): the last worker started goes as well, giving its
            // stack back.
            if (!workers_.empty()) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    retire_from_ = static_cast<int>(workers_.size());
                }
                start_.notify_all();
                workers_.back().join();
                workers_.pop_back();
            }
            break;
        }
    }
}

WorkerTeam::~WorkerTeam() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    start_.notify_all();
    for (auto& w : workers_) w.join();
}

void WorkerTeam::dispatch(int parts, void* job, Call call) {
    if (parts > size()) parts = size();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = job;
        call_ = call;
        parts_ = parts;
        pending_ = parts - 1;
        ++generation_;
    }
    if (parts > 1) start_.notify_all();
    // The other parts use the job until they are done: part 0's exception
    // waits for them.
    std::exception_ptr own_failure;
    try {
        call(job, 0);
    } catch (...) {
        own_failure = std::current_exception();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    std::exception_ptr failure = own_failure ? own_failure : failure_;
    failure_ = nullptr;
    if (failure) std::rethrow_exception(failure);
}

void WorkerTeam::work(int part) {
    std::uint64_t seen = 0;
    for (;;) {
        void* job;
        Call call;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            start_.wait(lock, [&] { return stop_ || part >= retire_from_ || generation_ != seen; });
            if (stop_ || part >= retire_from_) {
                // The kernels this thread evaluated may have used MPFR.
                accurate::release_thread_caches();
                return;
            }
            seen = generation_;
            if (part >= parts_) continue;
            job = job_;
            call = call_;
        }
        std::exception_ptr failure;
        try {
            call(job, part);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (failure && !failure_) failure_ = failure;
        if (--pending_ == 0) done_.notify_one();
    }
}

}  // namespace tidmor
