#include "output/output.hpp"

#include <cmath>
#include <string>

#include "common/constants.hpp"
#include "common/number_format.hpp"

namespace tidmor {

namespace {

// Widths of the result-file fields (characters) and their decimals.
constexpr int WAVE_WIDTH = 14;
constexpr int WAVE_TIME_DECIMALS = 2;
constexpr int WAVE_DECIMALS = 10;
constexpr int AQUIFER_DECIMALS = 6;
constexpr int PROFILE_WIDTH = 13;
constexpr int PROFILE_DECIMALS = 6;
constexpr int SWASH_WIDTH = 12;
constexpr int SWASH_DECIMALS = 6;

// One line per aquifer boundary node: x of the last face node, then x, z,
// head and normal derivative of the node. An empty boundary is one empty line.
void write_aquifer_block(const Model& m, Units& units, int width) {
    const auto& nodes = m.NODE_PROPERTIES;
    const int n_bnd = m.CONFIG_BOUND.N_BND;
    if (n_bnd <= 0) {
        write_record(units.outg, "");
        end_block(units.outg);
        return;
    }
    const double x_face = nodes.X_BND[m.CONFIG_BOUND.N_FACE];
    for (int j = 1; j <= n_bnd; ++j) {
        write_record(units.outg, format_fixed(x_face, width, AQUIFER_DECIMALS) +
                                       format_fixed(nodes.X_BND[j], width, AQUIFER_DECIMALS) +
                                       format_fixed(nodes.Z_BND[j], width, AQUIFER_DECIMALS) +
                                       format_fixed(nodes.PHI_BND[j], width, AQUIFER_DECIMALS) +
                                       format_fixed(nodes.Q_BND[j], width, AQUIFER_DECIMALS));
    }
    end_block(units.outg);
}

// One line per wet node: time, position, depth, velocity, flow through the bed.
void write_wave_block(const Model& m, Units& units) {
    const int n_shore = m.WAVE_CONSI.N_SHORE;
    if (n_shore <= 0) {
        write_record(units.outw, "");
        end_block(units.outw);
        return;
    }
    const std::string time = format_fixed(m.TIME_RELATED.TIME, WAVE_WIDTH, WAVE_TIME_DECIMALS);
    for (int i = 1; i <= n_shore; ++i) {
        write_record(units.outw, time + format_fixed(m.DIFFX.DX * (i - 1), WAVE_WIDTH, WAVE_DECIMALS) +
                                       format_fixed(m.WAVE.H_DIM[i], WAVE_WIDTH, WAVE_DECIMALS) +
                                       format_fixed(m.WAVE.U_DIM[i], WAVE_WIDTH, WAVE_DECIMALS) +
                                       format_fixed(m.INFILTRATION.INFIL[i], WAVE_WIDTH, WAVE_DECIMALS));
    }
    end_block(units.outw);
}

// One line per grid node: time, the period's onshore and offshore transport,
// the bed elevation after the period's profile update.
void write_profile_block(const Model& m, Units& units) {
    const int n_grid = m.SED_INT.N_GRID;
    if (n_grid <= 0) {
        write_record(units.outb, "");
        end_block(units.outb);
        return;
    }
    const auto& p = m.BEACH_PROFILE;
    const std::string time = format_fixed(m.TIME_RELATED.TIME, PROFILE_WIDTH, PROFILE_DECIMALS);
    for (int j = 1; j <= n_grid; ++j) {
        write_record(units.outb, time + format_fixed(p.QS_ON[j], PROFILE_WIDTH, PROFILE_DECIMALS) +
                                       format_fixed(p.QS_OFF[j], PROFILE_WIDTH, PROFILE_DECIMALS) +
                                       format_fixed(p.Z_BED[j], PROFILE_WIDTH, PROFILE_DECIMALS));
    }
    end_block(units.outb);
}

void write_swash_line(const Model& m, Units& units) {
    const auto& r = m.RUNUP;
    write_record(units.outs, format_fixed(r.X_DOWN, SWASH_WIDTH, SWASH_DECIMALS) +
                                   format_fixed(r.X_UP, SWASH_WIDTH, SWASH_DECIMALS) +
                                   format_fixed(r.SLOPE_SWASH, SWASH_WIDTH, SWASH_DECIMALS));
    end_block(units.outs);
}

}  // namespace

// Snapshots are taken in the last four wave periods of the run, at every
// N_OUT-th step. N_OUT is a real: with 2.5 the steps 5, 10, 15, ... qualify.
// The quotient is truncated as a real, which is the integer truncation
// wherever that is defined and stays defined for any quotient.
bool snapshot_due(const Model& m) {
    const auto& t = m.TIME_RELATED;
    if (!(t.TIME > t.T_MAX - SNAPSHOT_PERIODS * m.WAVE_CONSD.T_WAVE)) return false;
    const double r = m.N_CAL.N_STEP / m.N_CAL.N_OUT;
    return std::fabs(std::trunc(r) - r) <= SNAPSHOT_TOLERANCE;
}

void OUTPUT_INI(const Model& m, Units& units) { write_aquifer_block(m, units, AQUIFER_INI_WIDTH); }

void OUTPUT(Model& m, Units& units) {
    if (snapshot_due(m)) {
        write_wave_block(m, units);
        write_aquifer_block(m, units, AQUIFER_WIDTH);
    }
    if (m.SED_TRANS.T_CYCLE < m.WAVE_CONSD.T_WAVE) return;

    if (m.N_CAL.N_PERIOD >= PERIODS_PER_PROFILE_RECORD) {
        write_profile_block(m, units);
        write_swash_line(m, units);
        m.N_CAL.N_PERIOD = 0;
    }
    m.SED_TRANS.T_CYCLE = 0;
    auto& p = m.BEACH_PROFILE;
    for (int j = 1; j <= m.SED_INT.N_GRID; ++j) {
        p.QS_ON[j] = 0;
        p.QS_OFF[j] = 0;
        p.QS_NET_OLD[j] = p.QS_NET[j];
        p.QS_NET[j] = 0;
    }
}

}  // namespace tidmor
