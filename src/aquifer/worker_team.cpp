#include "aquifer/worker_team.hpp"

#include "common/elementary_accurate.hpp"

namespace tidmor {

WorkerTeam::WorkerTeam(int threads) {
    for (int part = 1; part < threads; ++part) workers_.emplace_back([this, part] { work(part); });
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
    call(job, 0);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
}

void WorkerTeam::work(int part) {
    std::uint64_t seen = 0;
    for (;;) {
        void* job;
        Call call;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            start_.wait(lock, [&] { return stop_ || generation_ != seen; });
            if (stop_) {
                // The kernels this thread evaluated may have used MPFR.
                accurate::release_thread_caches();
                return;
            }
            seen = generation_;
            if (part >= parts_) continue;
            job = job_;
            call = call_;
        }
        call(job, part);
        std::lock_guard<std::mutex> lock(mutex_);
        if (--pending_ == 0) done_.notify_one();
    }
}

}  // namespace tidmor
