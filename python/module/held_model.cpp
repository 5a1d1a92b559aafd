#include "held_model.hpp"

#include <chrono>
#include <limits>

#include "common/elementary_accurate.hpp"

namespace py = pybind11;

namespace tidmor::python {

namespace {

// Time between two looks at Python's pending signals during a long call.
constexpr std::chrono::milliseconds SIGNAL_INTERVAL{100};

}  // namespace

void release_caches_at_thread_exit() {
    struct ThreadCaches {
        ~ThreadCaches() { accurate::release_thread_caches(); }
    };
    thread_local ThreadCaches caches;
}

std::int64_t steps_while(HeldModel& held, Simulation& simulation,
                         const std::function<bool(const Simulation&)>& go_on) {
    release_caches_at_thread_exit();
    std::int64_t steps = 0;
    auto looked = std::chrono::steady_clock::now();
    py::gil_scoped_release release;
    for (;;) {
        {
            std::lock_guard lock(held.busy);
            if (!locked_call(held, [&] { return go_on(simulation); })) break;
            locked_call(held, [&] { return simulation.update(); });
        }
        ++steps;
        if (const auto now = std::chrono::steady_clock::now(); now - looked >= SIGNAL_INTERVAL) {
            looked = now;
            py::gil_scoped_acquire acquire;
            if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        }
    }
    return steps;
}

std::int64_t steps_until(HeldModel& held, Simulation& simulation, double t) {
    // Asked for no time at all, update_until only checks that the run is going.
    without_gil(held, [&] { simulation.update_until(-std::numeric_limits<double>::infinity()); });
    return steps_while(held, simulation, [t](const Simulation& run) { return run.time() < t; });
}

}  // namespace tidmor::python
