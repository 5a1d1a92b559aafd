#pragma once
// The program's signal handlers: SIGINT and SIGTERM record a stop request
// (common/stop_request.hpp), which the time loop and the aquifer relaxation
// honour between steps, so the result files keep every whole line.
#include <csignal>

namespace tidmor {

// Installs the handlers for SIGINT and SIGTERM while it lives, clears any
// signal recorded earlier, and puts the previous handlers back at the end.
class InterruptHandlers {
public:
    InterruptHandlers();
    ~InterruptHandlers();
    InterruptHandlers(const InterruptHandlers&) = delete;
    InterruptHandlers& operator=(const InterruptHandlers&) = delete;

private:
    struct sigaction previous_sigint_ {}, previous_sigterm_ {};
};

}  // namespace tidmor
