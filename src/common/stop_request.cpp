#include "common/stop_request.hpp"

#include <atomic>
#include <csignal>

#include "common/run_failure.hpp"

namespace tidmor {

namespace {

std::atomic<int> recorded_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

}  // namespace

void request_interrupt(int signal_number) noexcept { recorded_signal.store(signal_number, std::memory_order_relaxed); }

int pending_interrupt() noexcept { return recorded_signal.load(std::memory_order_relaxed); }

void stop_interrupted(const std::string& where) {
    const bool sigint = pending_interrupt() == SIGINT;
    throw RunFailure(sigint ? EXIT_SIGINT : EXIT_SIGTERM,
                     std::string("run interrupted by ") + (sigint ? "SIGINT" : "SIGTERM") + " " + where);
}

}  // namespace tidmor
