#include "run/tidmor.hpp"

#include <fstream>
#include <optional>
#include <string>

#include "aquifer/aquifer_ini.hpp"
#include "aquifer/dinfil_model.hpp"
#include "aquifer/aquifer_state_check.hpp"
#include "common/stop_request.hpp"
#include "run/interrupt.hpp"
#include "common/message_text.hpp"
#include "common/number_format.hpp"
#include "run/progress.hpp"
#include "run/unexpected_failure.hpp"
#include "common/run_failure.hpp"
#include "input/control_file.hpp"
#include "input/input_data.hpp"
#include "input/input_file.hpp"
#include "input/input_warnings.hpp"
#include "morphology/beach.hpp"
#include "morphology/sediment_transport.hpp"
#include "output/output.hpp"
#include "output/result_files.hpp"
#include "wave/wave_model.hpp"

namespace tidmor {

namespace {

bool period_closes(const Model& m) { return m.SED_TRANS.T_CYCLE >= m.WAVE_CONSD.T_WAVE; }

const char* const RESULTS_KEPT = "the result files hold every line written until then";

// A warning is one line on stderr; the run goes on, its results unchanged.
void warn(std::ostream& errors, const std::string& text) { errors << "tidmor: warning: " << text << '\n'; }

}  // namespace

std::string progress_line(const Model& m) {
    const int ns = m.WAVE_CONSI.N_SHORE;
    const double dz_b = m.CONSTS.TAN_BETA * m.CROSS_DIS.X_NODE[ns] - m.BEACH_PROFILE.Z_BED[ns];
    return "Elapsed time:" + format_single(static_cast<float>(m.TIME_RELATED.TIME)) + "N_shoreline:" +
           format_integer(ns) + "  dZ_b:" + format_single(static_cast<float>(dz_b));
}

bool time_step(Model& m, Units& units) {
    auto& t = m.TIME_RELATED;
    t.DT_S = m.WAVE_CONSD.T_WAVE * t.DT;
    const double time_before = t.TIME;
    t.TIME = t.TIME + t.DT_S;
    // A step too short to change the clock would repeat forever.
    if (!(t.TIME > time_before))
        numerical_failure("the time step of " + value_text(t.DT_S) + " s no longer advances the clock at " +
                          value_text(time_before) + " s (step " + value_text(m.N_CAL.N_STEP + 1) + ")");
    m.SED_TRANS.T_CYCLE = m.SED_TRANS.T_CYCLE + t.DT_S;
    m.N_CAL.N_STEP = m.N_CAL.N_STEP + 1;

    if (m.INDEX_INFIL.I_INFIL == 1) {
        DINFIL_MODEL(m, units);
        if (!aquifer_breakdown(m).empty())
            check_aquifer_state(m, "step " + value_text(m.N_CAL.N_STEP) + ", TIME = " + value_text(t.TIME) + " s");
    }
    WAVE_MODEL(m);
    SEDIMENT_TRANSPORT(m);
    if (m.INDEX_INFIL.I_MORPH == 1 && period_closes(m)) BEACH(m);
    const bool period_closed = period_closes(m);
    if (period_closed) {
        write_console(*units.console, progress_line(m));
        flush_console(*units.console);
    }
    OUTPUT(m, units);
    return period_closed;
}

int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options) {
    AquiferSolveCounts counts;
    return TIDMOR(console, errors, options, counts);
}

int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options, AquiferSolveCounts& counts) {
    const InterruptHandlers interrupt_handlers;
    auto model = make_model();
    Model& m = *model;
    m.aquifer_solver.configure(options);
    const auto count_solves = [&m, &counts] {
        const AquiferSolver& s = m.aquifer_solver;
        counts = {s.hits, s.misses, s.plain, s.cache.entries(), s.cache.bytes(), s.cache.peak_bytes()};
    };
    Units units;
    units.console = &console;
    ResultFiles results;
    // With the progress line on, console lines pass through a buffer that
    // clears the line first; the bytes on the console stay the same.
    std::optional<Progress> progress;
    std::optional<ConsoleBesideProgress> console_buffer;
    std::optional<std::ostream> console_beside;
    const auto report = [&](const RunFailure& failure) {
        count_solves();
        if (progress) progress->erase();
        units.console->flush();
        errors << "tidmor: " << failure.what() << '\n';
        return static_cast<int>(failure.status());
    };
    try {
        std::string name_warning;
        const std::string input_name = read_control_file(CONTROL_FILE, &name_warning);
        if (!name_warning.empty()) warn(errors, name_warning);
        std::ifstream unit5 = open_input_data_file(input_name);
        INPUT_DATA(m, unit5, input_name);
        if (m.INDEX_INFIL.I_INFIL == 1) check_aquifer_mesh(m, input_name);
        for (const std::string& warning : input_warnings(m)) warn(errors, warning);
        if (m.INDEX_INFIL.I_INFIL == 1)
            if (const std::string shortfall = m.aquifer_solver.start_team(); !shortfall.empty()) warn(errors, shortfall);

        if (options.progress) {
            progress.emplace(errors, m.TIME_RELATED.T_MAX, m.WAVE_CONSD.T_WAVE);
            console.flush();
            console_buffer.emplace(console.rdbuf(), *progress);
            console_beside.emplace(&*console_buffer);
            units.console = &*console_beside;
            units.relaxation_observer = &*progress;
        }
        // A signal during start-up ends the run before the earlier results are replaced.
        if (pending_interrupt() != 0) stop_interrupted("during start-up; no result file has been changed");
        results.connect(units, {{"control file", CONTROL_FILE}, {"input data file", input_name}});
        if (m.INDEX_INFIL.I_INFIL == 1) AQUIFER_INI(m, units);
        OUTPUT_INI(m, units);
        m.TIME_RELATED.TIME = 0;
        m.SED_TRANS.T_CYCLE = 0;
        m.N_CAL.N_STEP = 0;

        do {
            if (pending_interrupt() != 0)
                stop_interrupted("at model time " + value_text(m.TIME_RELATED.TIME) + " s (after step " +
                                 value_text(m.N_CAL.N_STEP) + "); " + RESULTS_KEPT);
            const bool period_closed = time_step(m, units);
            if (progress) progress->time_step(m.TIME_RELATED.TIME, period_closed);
        } while (m.TIME_RELATED.TIME < m.TIME_RELATED.T_MAX);

        unit5.close();
        results.disconnect(units);
        count_solves();
        if (progress) progress->erase();
        write_console(console, "SIMULATION HAS BEEN FINISHED!");
        write_console(console, "I AM SURE, YOU WANT TO SEE THE RESULTS NOW.");
        flush_console(console);
    } catch (const RunFailure& failure) {
        return report(failure);
    } catch (const std::exception& error) {
        const std::string where = results.touched() ? "at model time " + value_text(m.TIME_RELATED.TIME) +
                                                          " s (after step " + value_text(m.N_CAL.N_STEP) + "); " +
                                                          RESULTS_KEPT
                                                    : "during start-up; no result file has been changed";
        return report(unexpected_failure(error, where));
    }
    return EXIT_NORMAL;
}

}  // namespace tidmor
