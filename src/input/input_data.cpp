#include "input/input_data.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

#include "common/constants.hpp"
#include "input/input_groups.hpp"
#include "input/list_reader.hpp"

namespace tidmor {

namespace {

// The aquifer model maps the wave grid onto its node arrays, which hold
// 1000 entries.
constexpr int AQUIFER_GRID_NODES = BOUNDARY_NODES;
// 2^31: the first real whose truncation leaves the 32-bit integer range.
constexpr double INT32_END = static_cast<double>(std::numeric_limits<std::int32_t>::max()) + 1.0;

void require_finite(const char* name, const char* formula, double value, const std::string& file) {
    if (!std::isfinite(value))
        reject_input_data(std::string(name) + " = " + formula + " = " + value_text(value) +
                              " is not finite: the input values are too large or too small for double precision",
                          file, 0);
}

void require_finite_positive(const char* name, const char* formula, double value, const std::string& file) {
    if (!(value > 0) || std::isinf(value))
        reject_input_data(std::string(name) + " = " + formula + " = " + value_text(value) +
                              " must be finite and greater than 0",
                          file, 0);
}

// The initial shoreline node from the quotient of still-water depth, slope
// and spacing, rejected before it can overflow an integer or leave a wet
// region or a grid the arrays and the wave scheme cannot hold.
std::int32_t initial_shoreline(const Model& m, double quotient, const std::string& file) {
    if (!(quotient < INT32_END))
        reject_input_data("initial shoreline node (D_SEA / TAN_BETA) / DX = " + value_text(quotient) +
                              " is beyond the 32-bit integer range",
                          file, 0);
    const auto ns = static_cast<std::int32_t>(quotient);
    if (ns < TAIL_NODES)
        reject_input_data("initial wet region NS = trunc((D_SEA / TAN_BETA) / DX) = " + std::to_string(ns) +
                              " nodes, fewer than the " + std::to_string(TAIL_NODES) +
                              " the wave scheme needs",
                          file, 0);
    const std::int64_t n_grid = 2 * std::int64_t{ns} + ns / 2;
    const std::string grid = "N_GRID = 2 * NS + NS / 2 = " + std::to_string(n_grid) + " (NS = " +
                             std::to_string(ns) + ")";
    if (n_grid > GRID_NODES)
        reject_input_data(grid + " exceeds the " + std::to_string(GRID_NODES) + " nodes of the grid arrays",
                          file, 0);
    if (m.INDEX_INFIL.I_INFIL == 1 && n_grid > AQUIFER_GRID_NODES)
        reject_input_data(grid + " exceeds the " + std::to_string(AQUIFER_GRID_NODES) +
                              " grid nodes the aquifer model holds (I_INFIL = 1)",
                          file, 0);
    return ns;
}

}  // namespace

void INPUT_DATA(Model& m, std::istream& unit5, const std::string& file_name) {
    INPUT_DATA(m, read_input_groups(unit5, file_name), file_name);
}

void INPUT_DATA(Model& m, const InputValues& in, const std::string& file_name) {
    m.WAVE_CONSD.H_WAVE = in.waves.H_WAVE;
    m.WAVE_CONSD.T_WAVE = in.waves.T_WAVE;
    m.CONSTS.TAN_BETA = in.beach.TAN_BETA;
    m.CONSTS.K_HYD = in.beach.K_HYD;
    m.WAVE_CONSD.D_SEA = in.beach.D_SEA;
    m.CONSTS.H_LAND = in.beach.H_LAND;
    m.CONSTS.X_LAND = in.beach.X_LAND;
    m.WELL.Q_WELL = in.well.Q_WELL;
    m.WELL.X_WELL = in.well.X_WELL;
    m.WELL.Z_WELL = in.well.Z_WELL;
    m.TIME_RELATED.T_MAX = in.duration.T_MAX;
    m.N_CAL.N_OUT = in.duration.N_OUT;
    m.INDEX_INFIL.I_INFIL = in.switches.I_INFIL;
    m.INDEX_INFIL.I_MORPH = in.switches.I_MORPH;
    m.WAVE_CONSD.F_FRIC = in.sediment.F_FRIC;
    m.SED_TRANS.EFF_ON = in.sediment.EFF_ON;
    m.SED_TRANS.EFF_OFF = in.sediment.EFF_OFF;
    m.SED_TRANS.TAN_PHI = in.sediment.TAN_PHI;
    m.DIFFX.DX_ND = in.numerics.DX_ND;
    m.CUT_OFF.H_CUT = in.numerics.H_CUT;
    m.L_ELEMENT.L_ELEM = in.numerics.L_ELEM;
    m.DAMPING.DAMP1 = in.damping.DAMP1;

    auto& wave = m.WAVE_CONSD;
    auto& profile = m.BEACH_PROFILE;
    const double tan_beta = m.CONSTS.TAN_BETA;

    m.SED_TRANS.POROSITY = POROSITY_SAND;
    m.SED_TRANS.RHO_S = RHO_SEDIMENT;
    m.DAMPING.DAMP2 = m.DAMPING.DAMP1;

    m.DIFFX.DX = std::sqrt(wave.H_WAVE * GRAVITY) * (wave.T_WAVE * m.DIFFX.DX_ND);
    const double dx = m.DIFFX.DX;
    require_finite_positive("DX", "sqrt(H_WAVE * g) * (T_WAVE * DX_ND)", dx, file_name);

    const std::int32_t ns = initial_shoreline(m, (wave.D_SEA / tan_beta) / dx, file_name);
    m.WAVE_CONSI.N_SHORE = ns;

    wave.D_SEA_ND = wave.D_SEA / wave.H_WAVE;
    m.CONSTS.THETA_T = THETA_FREE_SURFACE;
    m.CAPILLARY.H_CAP = CAPILLARY_FRINGE;
    m.WELL.Q_WELL = m.WELL.Q_WELL / m.CONSTS.K_HYD;

    // s scales time to the shallow-water wave speed; c is the plane slope in
    // the units of the momentum equation.
    const double s = std::sqrt(GRAVITY / wave.H_WAVE);
    const double c = wave.T_WAVE * tan_beta * s;

    // Still water over the plane beach on the wet nodes.
    for (int i = 1; i <= ns; ++i) {
        const double d = wave.D_SEA - (dx * (i - 1)) * tan_beta;
        profile.SLOPE[i] = tan_beta;
        m.WAVE_INI.H_OLD[i] = d / wave.H_WAVE;
        m.WAVE_INI.U_OLD[i] = 0;
        m.WAVE.H_DIM[i] = d;
        m.WAVE.U_DIM[i] = 0;
        profile.SLOPE_ND[i] = c;
        profile.SLOPE_ND_BASE[i] = c;
    }

    require_finite("the slope term c", "T_WAVE * TAN_BETA * sqrt(g / H_WAVE)", c, file_name);

    wave.F_FRIC_ND = wave.F_FRIC * FRICTION_HALF * wave.T_WAVE * s;
    require_finite("F_FRIC_ND", "F_FRIC * 0.5 * T_WAVE * sqrt(g / H_WAVE)", wave.F_FRIC_ND, file_name);

    // First step: Courant number 0.4 for the still-water wave speed at the
    // seaward end, where the water is deepest.
    m.TIME_RELATED.DT = (m.DIFFX.DX_ND * COURANT) / std::sqrt(wave.D_SEA_ND);
    require_finite_positive("DT", "(DX_ND * 0.4) / sqrt(D_SEA_ND)", m.TIME_RELATED.DT, file_name);

    // Water shallower than the cut-off counts as dry: at the seaward end the
    // still water must be deeper, or the whole grid dries in the first step.
    const double cut_depth = m.CUT_OFF.H_CUT * wave.H_WAVE;
    if (!(cut_depth < wave.D_SEA))
        reject_input_data("H_CUT * H_WAVE = " + value_text(cut_depth) + " m must be less than D_SEA = " +
                              value_text(wave.D_SEA) + " m (water shallower than the cut-off depth is dry)",
                          file_name, 0);

    // The grid reaches two and a half times the distance to the initial
    // shoreline, room for the run-up over the dry beach.
    const std::int32_t n_grid = 2 * ns + ns / 2;
    m.SED_INT.N_GRID = n_grid;

    for (int j = ns + 1; j <= n_grid; ++j) {
        profile.SLOPE[j] = profile.SLOPE[ns];
        profile.SLOPE_ND[j] = profile.SLOPE_ND[ns];
        profile.SLOPE_ND_BASE[j] = profile.SLOPE_ND_BASE[ns];
    }

    // Bed elevations are measured from the bed at node 1; the still-water
    // level stands at D_SEA on that datum.
    for (int j = 1; j <= n_grid; ++j) {
        const double x = dx * (j - 1);
        m.CROSS_DIS.X_NODE[j] = x;
        profile.Z_BED[j] = tan_beta * x;
        profile.QS_ON[j] = 0;
        profile.QS_OFF[j] = 0;
        profile.DZ_BED[j] = 0;
        profile.QS_NET[j] = 0;
        profile.QS_NET_OLD[j] = 0;
    }

    require_finite("the bed at the last node Z_BED(N_GRID)", "TAN_BETA * DX * (N_GRID - 1)", profile.Z_BED[n_grid],
                   file_name);

    // Snapshots are due at the steps where N_STEP / N_OUT is whole; with
    // 1 / N_OUT beyond double precision the quotient is infinite at every
    // step and no snapshot would ever be written.
    if (!std::isfinite(1.0 / m.N_CAL.N_OUT))
        reject_input_data("N_OUT = " + value_text(m.N_CAL.N_OUT) +
                              " steps is so small that N_STEP / N_OUT overflows: no step would be a snapshot step "
                              "(N_OUT must be at least " + value_text(1.0 / std::numeric_limits<double>::max()) +
                              "; 1 writes a snapshot every step)",
                          file_name, 0);

    m.N_CAL.N_PERIOD = 0;
    m.SED_INT.N_RAMP = 0;
    m.RUNUP.N_UP = 0;
    m.RUNUP.N_DOWN = n_grid;
}

}  // namespace tidmor
