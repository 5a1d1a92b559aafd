#include "common/stop_request.hpp"

#include <atomic>
#include <csignal>

#include "common/run_failure.hpp"

namespace tidmor {

namespace {

std::atomic<int> recorded_signal{0};
std::atomic<bool> checkpoint_asked{false};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

static_assert(EXIT_SIGHUP == 128 + SIGHUP && EXIT_SIGINT == 128 + SIGINT && EXIT_SIGTERM == 128 + SIGTERM &&
                  EXIT_SIGXCPU == 128 + SIGXCPU,
              "the exit status of a stop is 128 + the signal number");

struct StopSignal {
    ExitStatus status;
    const char* name;
};

StopSignal stop_signal(int signal_number) {
    switch (signal_number) {
    case SIGHUP:
        return {EXIT_SIGHUP, "SIGHUP"};
    case SIGINT:
        return {EXIT_SIGINT, "SIGINT"};
    case SIGXCPU:
        return {EXIT_SIGXCPU, "SIGXCPU"};
    default:
        return {EXIT_SIGTERM, "SIGTERM"};
    }
}

}  // namespace

void request_interrupt(int signal_number) noexcept { recorded_signal.store(signal_number, std::memory_order_relaxed); }

void request_checkpoint() noexcept { checkpoint_asked.store(true, std::memory_order_relaxed); }

bool take_checkpoint_request() noexcept { return checkpoint_asked.exchange(false, std::memory_order_relaxed); }

int pending_interrupt() noexcept { return recorded_signal.load(std::memory_order_relaxed); }

void stop_interrupted(const std::string& where) {
    const StopSignal stop = stop_signal(pending_interrupt());
    throw RunFailure(stop.status, std::string("run interrupted by ") + stop.name + " " + where);
}

}  // namespace tidmor
