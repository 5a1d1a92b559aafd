#pragma once
// A request to end the run, recorded by a signal handler (SIGINT, Ctrl-C;
// SIGTERM, kill or a batch system's time limit; SIGHUP, a closed terminal;
// SIGXCPU, a CPU-time limit) and honoured between steps.
//
// The handler only records the signal in a lock-free atomic, which is all a
// handler may safely do. The time loop checks it once per step and the
// aquifer relaxation once per sweep; stop_interrupted then throws a
// RunFailure, so the result files are closed by the ordinary failure path
// and hold every line written so far, each one whole. The exit status is
// 128 + the signal number (129, 130, 143, 152), as a shell reports a killed program.
//
// SIGUSR1, with checkpoints on, asks for a checkpoint at the end of the
// current step and lets the run go on; its flag is kept the same way.
//
// The two flags are the only mutable values the process shares: a signal is
// meant for every model the process runs.
#include <string>

namespace tidmor {

// Records a signal as the handler does (0 clears it); safe in a signal handler.
void request_interrupt(int signal_number) noexcept;

// Records a request for a checkpoint (SIGUSR1); safe in a signal handler.
void request_checkpoint() noexcept;
// Whether a checkpoint was asked for since the last call; clears the request.
bool take_checkpoint_request() noexcept;

// The signal recorded since the handlers were installed, or 0.
int pending_interrupt() noexcept;

// Ends the run for the recorded signal; `where` says what the run was
// doing and what the result files hold, e.g. "at model time 12.5 s (after
// step 300); the result files hold every line written until then".
[[noreturn]] void stop_interrupted(const std::string& where);

}  // namespace tidmor
