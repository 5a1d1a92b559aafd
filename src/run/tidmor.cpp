#include "run/tidmor.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include <csignal>

#include "api/checkpoint.hpp"
#include "api/simulation.hpp"
#include "common/message_text.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"
#include "common/stop_request.hpp"
#include "run/command_line.hpp"
#include "run/interrupt.hpp"
#include "run/progress.hpp"
#include "run/unexpected_failure.hpp"

namespace tidmor {

namespace {

const char* const RESULTS_KEPT = "the result files hold every line written until then";

}  // namespace

int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options) {
    AquiferSolveCounts counts;
    return TIDMOR(console, errors, options, counts);
}

int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options, AquiferSolveCounts& counts) {
    const InterruptHandlers interrupt_handlers(options.checkpoints_on());
    std::optional<Simulation> simulation;
    const auto count_solves = [&simulation, &counts] {
        if (!simulation) return;
        const AquiferSolver& s = simulation->model().aquifer_solver;
        counts = {s.hits, s.misses, s.plain, s.ahead, s.cache.entries(), s.cache.bytes(), s.cache.peak_bytes()};
    };
    std::ostream* console_now = &console;
    // With the progress line on, console lines pass through a buffer that
    // clears the line first; the bytes on the console stay the same.
    std::optional<Progress> progress;
    std::optional<ConsoleBesideProgress> console_buffer;
    std::optional<std::ostream> console_beside;
    // Warnings during the run clear the progress line first in the same way.
    std::optional<ConsoleBesideProgress> errors_buffer;
    std::optional<std::ostream> errors_beside;
    // After `tidmor DIR` every message names the case folder.
    const std::string case_label =
        options.case_folder.empty() ? "" : "case folder " + quote_text(options.case_folder) + ": ";
    const auto report = [&](const RunFailure& failure) {
        count_solves();
        if (progress) progress->erase();
        console_now->flush();
        errors << "tidmor: " << case_label << failure.what() << '\n';
        return static_cast<int>(failure.status());
    };
    try {
        SimulationOptions run;
        static_cast<AquiferSolverSettings&>(run) = options;
        run.console = &console;
        run.errors = &errors;
        run.case_label = case_label;
        // The case in the working directory, which is the named case folder
        // once the program has entered it: "." then, so that messages speak
        // of the case folder.
        simulation.emplace(options.case_folder.empty() ? std::filesystem::path() : std::filesystem::path("."), run);
        Simulation& sim = *simulation;

        if (options.progress) {
            progress.emplace(errors, sim.end_time(), sim.input().waves.T_WAVE);
            console.flush();
            console_buffer.emplace(console.rdbuf(), *progress);
            console_beside.emplace(&*console_buffer);
            console_now = &*console_beside;
            sim.set_console(console_now);
            errors_buffer.emplace(errors.rdbuf(), *progress);
            errors_beside.emplace(&*errors_buffer);
            sim.set_errors(&*errors_beside);
            sim.set_relaxation_observer(&*progress);
        }
        // A signal during start-up ends the run before the earlier results are replaced.
        if (pending_interrupt() != 0) stop_interrupted("during start-up; no result file has been changed");
        const std::string program = version_line();
        if (options.restart) {
            sim.resume(program);
            if (progress) progress->restarted(sim.time(), sim.periods_closed());
        } else {
            sim.initialize();
        }

        // Checkpoints are written between steps, where the state is whole.
        const bool checkpoints = options.checkpoints_on();
        do {
            if (pending_interrupt() != 0) {
                std::string kept = RESULTS_KEPT;
                if (checkpoints) {
                    sim.save_checkpoint(program);
                    kept += std::string("; the run's state is in the checkpoint ") + quote_text(CHECKPOINT_FILE) +
                            ": go on with tidmor --restart";
                }
                stop_interrupted("at model time " + time_text(sim.time()) + " s (after step " +
                                 value_text(sim.model().N_CAL.N_STEP) + "); " + kept);
            }
            const bool period_closed = sim.update();
            if (progress) progress->time_step(sim.time(), period_closed);
            if (checkpoints) {
                const bool asked = take_checkpoint_request();
                const bool periodic = period_closed && options.checkpoint_every > 0 &&
                                      sim.periods_closed() % options.checkpoint_every == 0;
                if (asked || periodic) sim.save_checkpoint(program);
            }
            if (options.stop_after_step != 0 && sim.steps() == static_cast<std::int64_t>(options.stop_after_step))
                request_interrupt(SIGTERM);
        } while (sim.time() < sim.end_time());

        // The closing lines go straight to the console, the progress line cleared.
        if (progress) {
            progress->erase();
            sim.set_console(&console);
        }
        sim.finalize();
        count_solves();
        // A finished run has nothing to go on from: its checkpoint would
        // only let a later --restart redo the end of the run.
        if (options.checkpoints_on()) {
            std::error_code ignored;
            std::filesystem::remove(CHECKPOINT_FILE, ignored);
        }
    } catch (const RunFailure& failure) {
        return report(failure);
    } catch (const std::exception& error) {
        const bool touched = simulation && simulation->results_touched();
        const std::string where = touched ? "at model time " + time_text(simulation->time()) + " s (after step " +
                                                value_text(simulation->model().N_CAL.N_STEP) + "); " + RESULTS_KEPT
                                          : "during start-up; no result file has been changed";
        return report(unexpected_failure(error, where));
    }
    return EXIT_NORMAL;
}

}  // namespace tidmor
