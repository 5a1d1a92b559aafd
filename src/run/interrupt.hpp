#pragma once
// The program's signal handlers.
//
// SIGINT (Ctrl-C), SIGTERM (kill, a batch system's time limit), SIGHUP (the
// terminal or ssh session closed) and SIGXCPU (a batch system's CPU-time
// limit) record a stop request (common/stop_request.hpp), which the time
// loop and the aquifer relaxation honour between steps, so the result files
// keep every whole line. The handlers do not restart an interrupted system
// call: a signal that arrives while the program waits in `open`, `read` or
// `write` (a console pipe nobody reads) ends that call, and the run stops.
// A stop signal the program was started with set to "ignore" (a background
// job of a script, `nohup`) stays ignored.
//
// With checkpoints on, SIGUSR1 asks for a checkpoint at the end of the
// current step and the run goes on; otherwise it keeps its default action.
//
// SIGPIPE and SIGXFSZ are ignored: a console nobody reads any more and a
// result file past the file-size limit then fail as writes (EPIPE, EFBIG),
// which end the run with a message like any failed write, instead of
// killing the program in the middle of a line.
#include <csignal>

namespace tidmor {

// Installs the handlers while it lives, clears any signal recorded earlier,
// and puts the previous dispositions back at the end.
class InterruptHandlers {
public:
    // `checkpoints`: SIGUSR1 asks for a checkpoint.
    explicit InterruptHandlers(bool checkpoints = false);
    ~InterruptHandlers();
    InterruptHandlers(const InterruptHandlers&) = delete;
    InterruptHandlers& operator=(const InterruptHandlers&) = delete;

private:
    static constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGXCPU};
    static constexpr int IGNORED_SIGNALS[] = {SIGPIPE, SIGXFSZ};
    struct sigaction previous_stop_[4]{};
    struct sigaction previous_ignored_[2]{};
    bool checkpoints_ = false;
    struct sigaction previous_checkpoint_ {};
};

}  // namespace tidmor
