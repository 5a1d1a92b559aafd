#include "run/interrupt.hpp"

#include "common/stop_request.hpp"

namespace tidmor {

namespace {

extern "C" void record_signal(int signal_number) { request_interrupt(signal_number); }

}  // namespace

InterruptHandlers::InterruptHandlers() {
    request_interrupt(0);
    struct sigaction action {};
    action.sa_handler = record_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previous_sigint_);
    sigaction(SIGTERM, &action, &previous_sigterm_);
}

InterruptHandlers::~InterruptHandlers() {
    sigaction(SIGINT, &previous_sigint_, nullptr);
    sigaction(SIGTERM, &previous_sigterm_, nullptr);
}

}  // namespace tidmor
