#include "api/time_step.hpp"

#include <cstdint>

#include "aquifer/aquifer_geometry_check.hpp"
#include "aquifer/aquifer_state_check.hpp"
#include "aquifer/dinfil_model.hpp"
#include "common/message_text.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"
#include "morphology/beach.hpp"
#include "morphology/sediment_transport.hpp"
#include "output/output.hpp"
#include "wave/wave_model.hpp"

namespace tidmor {

namespace {

bool period_closes(const Model& m) { return m.SED_TRANS.T_CYCLE >= m.WAVE_CONSD.T_WAVE; }

}  // namespace

std::string progress_line(const Model& m) {
    const int ns = m.WAVE_CONSI.N_SHORE;
    const double dz_b = m.CONSTS.TAN_BETA * m.CROSS_DIS.X_NODE[ns] - m.BEACH_PROFILE.Z_BED[ns];
    return "Elapsed time:" + format_single(static_cast<float>(m.TIME_RELATED.TIME)) + "N_shoreline:" +
           format_integer(ns) + "  dZ_b:" + format_single(static_cast<float>(dz_b));
}

bool time_step(Model& m, Units& units, bool infiltration_given) {
    auto& t = m.TIME_RELATED;
    t.DT_S = m.WAVE_CONSD.T_WAVE * t.DT;
    const double time_before = t.TIME;
    t.TIME = t.TIME + t.DT_S;
    // A step too short to change the clock would repeat forever.
    if (!(t.TIME > time_before))
        numerical_failure("the time step of " + value_text(t.DT_S) + " s no longer advances the clock at " +
                          time_text(time_before) + " s (step " + value_text(m.N_CAL.N_STEP + 1) + ")");
    m.SED_TRANS.T_CYCLE = m.SED_TRANS.T_CYCLE + t.DT_S;
    m.N_CAL.N_STEP = m.N_CAL.N_STEP + 1;

    if (m.INDEX_INFIL.I_INFIL == 1) {
        const std::uint64_t hits = m.aquifer_solver.hits;
        DINFIL_MODEL(m, units);
        const auto when = [&m, &t] {
            return "step " + value_text(m.N_CAL.N_STEP) + ", TIME = " + time_text(t.TIME) + " s";
        };
        if (!aquifer_breakdown(m).empty()) check_aquifer_state(m, when());
        // A geometry whose recorded system was reused had its elements tested
        // when first met (one solved ahead is tested at its first use).
        const bool new_geometry = m.aquifer_solver.hits == hits;
        if (const std::string fault = aquifer_geometry_fault(m, new_geometry, AQUIFER_WIDTH); !fault.empty())
            geometry_failure(fault, when());
    } else if (infiltration_given) {
        infiltration_rates(m);
    }
    WAVE_MODEL(m);
    SEDIMENT_TRANSPORT(m);
    if (m.INDEX_INFIL.I_MORPH == 1 && period_closes(m)) {
        BEACH(m);
        if (m.INDEX_INFIL.I_INFIL == 1) m.aquifer_solver.profile_updated(m);
    }
    const bool period_closed = period_closes(m);
    if (period_closed) {
        write_console(*units.console, progress_line(m));
        flush_console(*units.console);
    }
    OUTPUT(m, units);
    return period_closed;
}

}  // namespace tidmor
