#pragma once
// Ending a run on SIGINT (Ctrl-C) or SIGTERM (kill, a batch system's time
// limit) without losing what was written.
//
// The handler only records the signal in a lock-free atomic, which is all a
// handler may safely do. The time loop checks it once per step and the
// aquifer relaxation once per sweep; stop_interrupted then throws a
// RunFailure, so the result files are closed by the ordinary failure path
// and hold every line written so far, each one whole. The exit status is
// 128 + the signal number (130, 143), as a shell reports a killed program.
#include <string>

namespace tidmor {

// Installs the handlers for SIGINT and SIGTERM while it lives, clears any
// signal recorded earlier, and puts the previous handlers back at the end.
class InterruptHandlers {
public:
    InterruptHandlers();
    ~InterruptHandlers();
    InterruptHandlers(const InterruptHandlers&) = delete;
    InterruptHandlers& operator=(const InterruptHandlers&) = delete;
};

// Records a signal as the handler does (0 clears it).
void request_interrupt(int signal_number) noexcept;

// The signal recorded since the handlers were installed, or 0.
int pending_interrupt() noexcept;

// Ends the run for the recorded signal; `where` says what the run was
// doing and what the result files hold, e.g. "at model time 12.5 s (after
// step 300); the result files hold every line written until then".
[[noreturn]] void stop_interrupted(const std::string& where);

}  // namespace tidmor
