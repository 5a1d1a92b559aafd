#pragma once
// A model as Python holds it: the console and warnings it writes into, and
// the lock that keeps two Python threads from using it at once. Calls that
// step the model release the GIL, so other Python threads (and other
// models) run meanwhile; the lock is taken only after the GIL is let go,
// and the GIL is never waited for while the lock is held by a stepping call.
#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <sstream>
#include <utility>

#include "api/simulation.hpp"
#include "failures.hpp"

namespace tidmor::python {

struct HeldModel {
    std::ostringstream console;  // the console lines, when kept
    std::ostringstream errors;   // the warnings, as the program writes them on stderr
    std::mutex busy;
};

// Frees the calling thread's caches of the accurate elementary functions
// when the thread ends, so that a Python thread that stepped a model leaves
// nothing behind.
void release_caches_at_thread_exit();

// Calls `call` with the model's lock. A failure of the model is raised
// with the warnings the run gave before it.
template <typename Call>
decltype(auto) locked_call(HeldModel& held, Call&& call) {
    try {
        return std::forward<Call>(call)();
    } catch (const FailureAfterWarnings&) {
        throw;
    } catch (const RunFailure& failure) {
        throw FailureAfterWarnings(failure, warnings_in(held.errors.str()));
    }
}

// A call that may take long (reading the input, the start-up, steps): the
// GIL released, then the lock taken.
template <typename Call>
decltype(auto) without_gil(HeldModel& held, Call&& call) {
    release_caches_at_thread_exit();
    pybind11::gil_scoped_release release;
    std::lock_guard lock(held.busy);
    return locked_call(held, std::forward<Call>(call));
}

// A short call (reading a value): the lock taken with the GIL held, unless
// another thread has it, for which it waits without the GIL.
template <typename Call>
decltype(auto) with_gil(HeldModel& held, Call&& call) {
    std::unique_lock lock(held.busy, std::try_to_lock);
    if (!lock.owns_lock()) {
        pybind11::gil_scoped_release release;
        lock.lock();
    }
    return locked_call(held, std::forward<Call>(call));
}

// Whole time steps while `go_on(simulation)` holds, each under the lock
// with the GIL released. About ten times a second the GIL is taken between
// two steps to run Python's signal handlers, so Ctrl-C raises
// KeyboardInterrupt there and the model can go on later. Returns the steps
// taken.
std::int64_t steps_while(HeldModel& held, Simulation& simulation,
                         const std::function<bool(const Simulation&)>& go_on);

// Simulation::update_until(t) as steps_while: whole steps while the time is below t.
std::int64_t steps_until(HeldModel& held, Simulation& simulation, double t);

}  // namespace tidmor::python
