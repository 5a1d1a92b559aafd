#include "run/start_up_check.hpp"

#include <chrono>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "api/simulation.hpp"
#include "aquifer/aquifer_ini_mesh.hpp"
#include "aquifer/well_clearance.hpp"
#include "common/message_text.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"
#include "common/stop_request.hpp"
#include "common/units.hpp"
#include "run/interrupt.hpp"
#include "run/unexpected_failure.hpp"

namespace tidmor {

namespace {

// Counts the sweeps of the relaxation.
class SweepCounter : public RelaxationObserver {
public:
    void relaxation_sweep(int sweep, double) override { sweeps = sweep; }
    int sweeps = 0;
};

// A length or time for the report: 4 significant digits.
std::string short_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string element_text(const Model& m, int e) {
    const auto& nodes = m.NODE_PROPERTIES;
    const int f = e == m.CONFIG_BOUND.N_BND ? 1 : e + 1;
    return "from x = " + short_text(nodes.X_BND[e]) + " m to x = " + short_text(nodes.X_BND[f]) + " m";
}

void report_water_table(std::ostream& out, const Model& m) {
    const auto& nodes = m.NODE_PROPERTIES;
    const auto& counts = m.CONFIG_BOUND;
    const double l = m.L_ELEMENT.L_ELEM;
    const int first = counts.N_FACE + 1, last = counts.N_FACE + counts.N_FREE;
    if (counts.N_FREE <= 0) {
        out << " water table at rest: no water-table node (the face meets the landward side)\n";
        return;
    }
    int lowest = first;
    for (int j = first; j <= last; ++j)
        if (nodes.Z_BND[j] < nodes.Z_BND[lowest]) lowest = j;
    out << " lowest water table at rest: z = " << short_text(nodes.Z_BND[lowest]) << " m at x = "
        << short_text(nodes.X_BND[lowest]) << " m (node " << lowest << "; H_LAND = " << short_text(m.CONSTS.H_LAND)
        << " m, D_SEA = " << short_text(m.WAVE_CONSD.D_SEA) << " m)\n";
    // The elements from the last face node along the water table to the
    // top of the landward side.
    int longest = counts.N_FACE;
    double longest_length = 0;
    for (int e = counts.N_FACE; e <= last; ++e) {
        const double dx = nodes.X_BND[e + 1] - nodes.X_BND[e], dz = nodes.Z_BND[e + 1] - nodes.Z_BND[e];
        const double length = std::sqrt(dx * dx + dz * dz);
        if (length > longest_length) {
            longest_length = length;
            longest = e;
        }
    }
    out << " longest water-table element at rest: " << short_text(longest_length) << " m, "
        << element_text(m, longest) << ", " << short_text(longest_length / l) << " L_ELEM (L_ELEM = "
        << short_text(l) << " m; generated 2 L_ELEM apart)";
    if (longest_length > 4.0 * l) out << "; the water table is coarser there than L_ELEM suggests";
    out << '\n';
}

void report_well(std::ostream& out, const Model& m) {
    if (!(m.WELL.Q_WELL > 0.0)) {
        out << " well: none (Q_WELL not above 0)\n";
        return;
    }
    const double l = m.L_ELEMENT.L_ELEM;
    AquiferMeshLayout layout;
    aquifer_mesh_layout(m, layout);
    const auto generated = std::make_unique<blocks::NODE_PROPERTIES>();
    blocks::CONFIG_BOUND counts;
    generate_aquifer_mesh(m, layout, *generated, counts);
    const WellClearance start = well_clearance(*generated, counts, m.WELL.X_WELL, m.WELL.Z_WELL);
    const WellClearance rest =
        well_clearance(m.NODE_PROPERTIES, m.CONFIG_BOUND, m.WELL.X_WELL, m.WELL.Z_WELL);
    out << " well at x = " << short_text(m.WELL.X_WELL) << " m, z = " << short_text(m.WELL.Z_WELL)
        << " m, Q_WELL/K_HYD = " << short_text(m.WELL.Q_WELL) << " m: " << short_text(start.distance)
        << " m from the " << outline_part(*generated, counts, m.CONSTS.X_LAND, start.element) << " as generated ("
        << short_text(start.distance / l) << " L_ELEM), ";
    if (rest.inside)
        out << short_text(rest.distance) << " m from the "
            << outline_part(m.NODE_PROPERTIES, m.CONFIG_BOUND, m.CONSTS.X_LAND, rest.element) << " at rest ("
            << short_text(rest.distance / l) << " L_ELEM)";
    else
        out << "outside the boundary at rest (the water table has sunk below it)";
    out << "; it runs from L_ELEM/4 and is resolved from one L_ELEM\n";
}

void report_cost(std::ostream& out, const Model& m, int sweeps, double relaxation_seconds) {
    // The first step's length is that of still water; the waves shorten it.
    const double steps = std::ceil(1.0 / m.TIME_RELATED.DT);
    out << " a wave period: at least " << value_text(steps) << " steps (T_WAVE = " << short_text(m.WAVE_CONSD.T_WAVE)
        << " s)";
    if (m.INDEX_INFIL.I_INFIL == 1 && sweeps > 0) {
        const double per_solve = relaxation_seconds / sweeps;
        out << "; each step solves the aquifer, at most " << short_text(per_solve * 1000.0)
            << " ms for a new geometry (a sweep's time), so at most about " << short_text(steps * per_solve)
            << " s a period, and much less where the boundary repeats (reuse, README: Speed of the aquifer step)";
    } else {
        out << "; with the aquifer off a step costs microseconds";
    }
    out << '\n';
}

}  // namespace

int START_UP_CHECK(std::ostream& console, std::ostream& errors, const RunOptions& options) {
    const InterruptHandlers interrupt_handlers;
    const std::string case_label =
        options.case_folder.empty() ? "" : "case folder " + quote_text(options.case_folder) + ": ";
    std::optional<Simulation> simulation;
    try {
        SimulationOptions run;
        static_cast<AquiferSolverSettings&>(run) = options;
        run.write_results = false;
        run.console = nullptr;
        run.errors = &errors;
        run.case_label = case_label;
        SweepCounter counter;
        run.relaxation_observer = &counter;
        simulation.emplace(options.case_folder.empty() ? std::filesystem::path() : std::filesystem::path("."), run);
        if (pending_interrupt() != 0) stop_interrupted("during the start-up check; no result file has been changed");
        const auto begin = std::chrono::steady_clock::now();
        simulation->initialize();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        const Model& m = simulation->model();

        console << " start-up check: the input is accepted; no result file was written\n";
        if (m.INDEX_INFIL.I_INFIL == 1) {
            console << " aquifer start-up: " << m.CONFIG_BOUND.N_BND << " boundary nodes at rest, " << counter.sweeps
                    << " sweeps of the relaxation in " << short_text(seconds) << " s\n";
            report_water_table(console, m);
            report_well(console, m);
        } else {
            console << " aquifer off (I_INFIL not 1): no start-up relaxation\n";
        }
        report_cost(console, m, counter.sweeps, seconds);
        flush_console(console);
        simulation->finalize();
    } catch (const RunFailure& failure) {
        console.flush();
        errors << "tidmor: " << case_label << failure.what() << '\n';
        return static_cast<int>(failure.status());
    } catch (const std::exception& error) {
        const RunFailure failure =
            unexpected_failure(error, "during the start-up check; no result file has been changed");
        errors << "tidmor: " << case_label << failure.what() << '\n';
        return static_cast<int>(failure.status());
    }
    return EXIT_NORMAL;
}

}  // namespace tidmor
