#include "run/tidmor.hpp"

#include <fstream>
#include <optional>
#include <string>

#include "aquifer/aquifer_ini.hpp"
#include "aquifer/dinfil_model.hpp"
#include "common/number_format.hpp"
#include "common/progress.hpp"
#include "common/run_failure.hpp"
#include "input/control_file.hpp"
#include "input/input_data.hpp"
#include "morphology/beach.hpp"
#include "morphology/sediment_transport.hpp"
#include "output/output.hpp"
#include "wave/wave_model.hpp"

namespace tidmor {

namespace {

bool period_closes(const Model& m) { return m.SED_TRANS.T_CYCLE >= m.WAVE_CONSD.T_WAVE; }

// The result files, created (truncated) only once the input has been read
// and accepted, so that a rejected run leaves earlier results untouched.
struct ResultFiles {
    std::ofstream outw, outb, outg, outs;

    void connect(Units& units) {
        open(outw, units.outw);
        open(outb, units.outb);
        open(outg, units.outg);
        open(outs, units.outs);
    }

    void disconnect(Units& units) {
        close(outw, units.outw);
        close(outb, units.outb);
        close(outg, units.outg);
        close(outs, units.outs);
    }

private:
    static void open(std::ofstream& file, OutputUnit& unit) {
        file.open(unit.file, std::ios::out | std::ios::trunc);
        if (!file)
            throw RunFailure(EXIT_INPUT_OR_FILE, "cannot create unit " + std::to_string(unit.number) + " (\"" +
                                                     unit.file + "\")");
        unit.stream = &file;
    }
    static void close(std::ofstream& file, OutputUnit& unit) {
        file.close();
        unit.stream = nullptr;
        if (file.fail())
            throw RunFailure(EXIT_INPUT_OR_FILE, "write failed on unit " + std::to_string(unit.number) + " (\"" +
                                                     unit.file + "\") when closing it");
    }
};

}  // namespace

std::string progress_line(const Model& m) {
    const int ns = m.WAVE_CONSI.N_SHORE;
    const double dz_b = m.CONSTS.TAN_BETA * m.CROSS_DIS.X_NODE[ns] - m.BEACH_PROFILE.Z_BED[ns];
    return "Elapsed time:" + format_single(static_cast<float>(m.TIME_RELATED.TIME)) + "N_shoreline:" +
           format_integer(ns) + "  dZ_b:" + format_single(static_cast<float>(dz_b));
}

void time_step(Model& m) {
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

    if (m.INDEX_INFIL.I_INFIL == 1) DINFIL_MODEL(m);
    WAVE_MODEL(m);
    SEDIMENT_TRANSPORT(m);
    if (m.INDEX_INFIL.I_MORPH == 1 && period_closes(m)) BEACH(m);
    if (period_closes(m)) {
        write_console(*m.units.console, progress_line(m));
        m.units.console->flush();
    }
    if (m.units.progress) m.units.progress->time_step(t.TIME, period_closes(m));
    OUTPUT(m);
}

int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options) {
    AquiferSolveCounts counts;
    return TIDMOR(console, errors, options, counts);
}

int TIDMOR(std::ostream& console, std::ostream& errors, const RunOptions& options, AquiferSolveCounts& counts) {
    auto model = make_model();
    Model& m = *model;
    m.aquifer_solver.configure(options);
    const auto count_solves = [&m, &counts] {
        const AquiferSolver& s = m.aquifer_solver;
        counts = {s.hits, s.misses, s.plain, s.cache.entries(), s.cache.bytes(), s.cache.peak_bytes()};
    };
    m.units.console = &console;
    ResultFiles results;
    // With the progress line on, console lines pass through a buffer that
    // clears the line first; the bytes on the console stay the same.
    std::optional<Progress> progress;
    std::optional<ConsoleBesideProgress> console_buffer;
    std::optional<std::ostream> console_beside;
    try {
        const std::string input_name = read_control_file(CONTROL_FILE);
        std::ifstream unit5(input_name);
        if (!unit5)
            throw RunFailure(EXIT_INPUT_OR_FILE, "cannot open unit 5, the input data file \"" + input_name +
                                                     "\" named in \"" + CONTROL_FILE + "\"");
        INPUT_DATA(m, unit5, input_name);
        if (m.INDEX_INFIL.I_INFIL == 1) check_aquifer_mesh(m, input_name);

        if (options.progress) {
            progress.emplace(errors, m.TIME_RELATED.T_MAX, m.WAVE_CONSD.T_WAVE);
            console.flush();
            console_buffer.emplace(console.rdbuf(), *progress);
            console_beside.emplace(&*console_buffer);
            m.units.console = &*console_beside;
            m.units.progress = &*progress;
        }
        results.connect(m.units);
        if (m.INDEX_INFIL.I_INFIL == 1) AQUIFER_INI(m);
        OUTPUT_INI(m);
        m.TIME_RELATED.TIME = 0;
        m.SED_TRANS.T_CYCLE = 0;
        m.N_CAL.N_STEP = 0;

        do {
            time_step(m);
        } while (m.TIME_RELATED.TIME < m.TIME_RELATED.T_MAX);

        unit5.close();
        results.disconnect(m.units);
    } catch (const RunFailure& failure) {
        count_solves();
        if (progress) progress->erase();
        m.units.console->flush();
        errors << "tidmor: " << failure.what() << '\n';
        return failure.status();
    }
    count_solves();
    if (progress) progress->erase();
    write_console(console, "SIMULATION HAS BEEN FINISHED!");
    write_console(console, "I AM SURE, YOU WANT TO SEE THE RESULTS NOW.");
    console.flush();
    return EXIT_NORMAL;
}

}  // namespace tidmor
