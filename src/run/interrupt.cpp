#include "run/interrupt.hpp"

#include <cstddef>
#include <iterator>

#include "common/stop_request.hpp"

namespace tidmor {

namespace {

extern "C" void record_signal(int signal_number) { request_interrupt(signal_number); }

extern "C" void record_checkpoint_request(int) { request_checkpoint(); }

}  // namespace

InterruptHandlers::InterruptHandlers(bool checkpoints) : checkpoints_(checkpoints) {
    request_interrupt(0);
    static_cast<void>(take_checkpoint_request());
    if (checkpoints_) {
        struct sigaction ask {};
        ask.sa_handler = record_checkpoint_request;
        sigemptyset(&ask.sa_mask);
        // Restarted: a checkpoint request is no reason to break off a write.
        ask.sa_flags = SA_RESTART;
        sigaction(SIGUSR1, &ask, &previous_checkpoint_);
    }
    struct sigaction record {};
    record.sa_handler = record_signal;
    sigemptyset(&record.sa_mask);
    record.sa_flags = 0;  // no SA_RESTART: a blocked call returns EINTR
    for (std::size_t k = 0; k < std::size(STOP_SIGNALS); ++k) {
        sigaction(STOP_SIGNALS[k], nullptr, &previous_stop_[k]);
        const bool ignored = (previous_stop_[k].sa_flags & SA_SIGINFO) == 0 && previous_stop_[k].sa_handler == SIG_IGN;
        if (!ignored) sigaction(STOP_SIGNALS[k], &record, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (std::size_t k = 0; k < std::size(IGNORED_SIGNALS); ++k)
        sigaction(IGNORED_SIGNALS[k], &ignore, &previous_ignored_[k]);
}

InterruptHandlers::~InterruptHandlers() {
    if (checkpoints_) sigaction(SIGUSR1, &previous_checkpoint_, nullptr);
    for (std::size_t k = 0; k < std::size(STOP_SIGNALS); ++k) sigaction(STOP_SIGNALS[k], &previous_stop_[k], nullptr);
    for (std::size_t k = 0; k < std::size(IGNORED_SIGNALS); ++k)
        sigaction(IGNORED_SIGNALS[k], &previous_ignored_[k], nullptr);
}

}  // namespace tidmor
