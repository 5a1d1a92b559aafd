#include "aquifer/aquifer_geometry_check.hpp"

#include <cmath>

#include "aquifer/well_clearance.hpp"
#include "aquifer/aquifer_state_check.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

namespace {

constexpr int OUTG_DECIMALS = 6;
// The one-sided bed change at the seaward end lowers the bed there by a few
// micrometres in ordinary runs; a millimetre below the bottom is a real cut.
constexpr double BED_BELOW_BOTTOM_TOLERANCE = 0.001;

// Sign of the turn from a-b to a-c: +1 left, -1 right, 0 in line.
int turn(double ax, double az, double bx, double bz, double cx, double cz) {
    const double cross = (bx - ax) * (cz - az) - (bz - az) * (cx - ax);
    return (cross > 0.0) - (cross < 0.0);
}

// c, in line with a-b, lies within the box of a-b.
bool within(double ax, double az, double bx, double bz, double cx, double cz) {
    return std::fmin(ax, bx) <= cx && cx <= std::fmax(ax, bx) && std::fmin(az, bz) <= cz && cz <= std::fmax(az, bz);
}

std::string node_text(const Model& m, int j) {
    const auto& nodes = m.NODE_PROPERTIES;
    const auto& counts = m.CONFIG_BOUND;
    const char* part = j <= counts.N_FACE                   ? "beach-face"
                       : j <= counts.N_FACE + counts.N_FREE ? "water-table"
                       : nodes.X_BND[j] == m.CONSTS.X_LAND  ? "landward"
                                                            : "bottom";
    return std::string(part) + " node " + std::to_string(j) + " at x = " +
           value_text(nodes.X_BND[j]) + " m, z = " + value_text(nodes.Z_BND[j]) + " m";
}

std::string outside_fault(const Model& m, int j) {
    const double x_land = m.CONSTS.X_LAND;
    const auto& counts = m.CONFIG_BOUND;
    std::string cause;
    if (j <= counts.N_FACE)
        cause = "the swash runs up beyond the aquifer's landward side (the shoreline at x = " +
                value_text(m.NODE_PROPERTIES.X_BND[counts.N_FACE]) +
                " m); make X_LAND larger than the run-up (a larger F_FRIC, now " + value_text(m.WAVE_CONSD.F_FRIC) +
                ", shortens it)";
    else
        cause = well_or_conductivity_hint(m);
    return node_text(m, j) + " lies outside the aquifer (0 <= x <= X_LAND = " + value_text(x_land) +
           " m); likely cause: " + cause;
}

std::string crossing_fault(const Model& m, int e, int f) {
    const auto& nodes = m.NODE_PROPERTIES;
    const auto& counts = m.CONFIG_BOUND;
    const double x_land = m.CONSTS.X_LAND;
    const int n = counts.N_BND;
    const auto element = [&](int k) {
        const int next = k == n ? 1 : k + 1;
        return "element " + std::to_string(k) + " of the " + outline_part(nodes, counts, x_land, k) + " (from (" +
               value_text(nodes.X_BND[k]) + ", " + value_text(nodes.Z_BND[k]) + ") to (" +
               value_text(nodes.X_BND[next]) + ", " + value_text(nodes.Z_BND[next]) + "))";
    };
    const std::string part_e = outline_part(nodes, counts, x_land, e);
    const std::string part_f = outline_part(nodes, counts, x_land, f);
    std::string cause;
    if (part_e == "bottom" || part_f == "bottom")
        cause = "the bed eroded through the aquifer bottom; transport efficiencies above 1 (EFF_ON = " +
                value_text(m.SED_TRANS.EFF_ON) + ", EFF_OFF = " + value_text(m.SED_TRANS.EFF_OFF) +
                ") are the usual cause";
    else if (part_e == "water table" || part_f == "water table")
        cause = "the water table drawn through the rest of the outline; " + well_or_conductivity_hint(m);
    else
        cause = "the beach face reshaped across the rest of the outline; a shorter L_ELEM (now " +
                value_text(m.L_ELEMENT.L_ELEM) + " m) follows the profile more closely";
    return "the outline crosses itself: " + element(e) + " meets " + element(f) + "; likely cause: " + cause;
}

std::string value_fault(const Model& m, int j, const char* what, double value, int width) {
    std::string cause = well_or_conductivity_hint(m);
    if (m.WELL.Q_WELL > 0.0) {
        const double dx = m.NODE_PROPERTIES.X_BND[j] - m.WELL.X_WELL;
        const double dz = m.NODE_PROPERTIES.Z_BND[j] - m.WELL.Z_WELL;
        const double d = std::sqrt(dx * dx + dz * dz);
        cause = "the well " + value_text(d) + " m from the node; " + cause;
    }
    return "the " + std::string(what) + " " + value_text(value) + " at " + node_text(m, j) +
           " does not fit its field of \"outg.dat\" (" + std::to_string(width) + " characters, 6 decimals); likely " +
           "cause: " + cause;
}

}  // namespace

bool segments_meet(double ax, double az, double bx, double bz, double cx, double cz, double dx, double dz) {
    const int t1 = turn(ax, az, bx, bz, cx, cz), t2 = turn(ax, az, bx, bz, dx, dz);
    const int t3 = turn(cx, cz, dx, dz, ax, az), t4 = turn(cx, cz, dx, dz, bx, bz);
    if (t1 * t2 < 0 && t3 * t4 < 0) return true;
    return (t1 == 0 && within(ax, az, bx, bz, cx, cz)) || (t2 == 0 && within(ax, az, bx, bz, dx, dz)) ||
           (t3 == 0 && within(cx, cz, dx, dz, ax, az)) || (t4 == 0 && within(cx, cz, dx, dz, bx, bz));
}

std::string aquifer_geometry_fault(const Model& m, bool crossings, int width) {
    const auto& nodes = m.NODE_PROPERTIES;
    const int n = m.CONFIG_BOUND.N_BND;
    const double x_land = m.CONSTS.X_LAND;
    for (int j = 1; j <= n; ++j)
        if (!(nodes.X_BND[j] >= 0.0 && nodes.X_BND[j] <= x_land)) return outside_fault(m, j);
    if (crossings) {
        // Each pair of elements that share no node; the closing element n
        // shares node 1 with element 1.
        for (int e = 1; e <= n; ++e) {
            const int e2 = e == n ? 1 : e + 1;
            const double ax = nodes.X_BND[e], az = nodes.Z_BND[e], bx = nodes.X_BND[e2], bz = nodes.Z_BND[e2];
            const double lo_x = std::fmin(ax, bx), hi_x = std::fmax(ax, bx);
            const double lo_z = std::fmin(az, bz), hi_z = std::fmax(az, bz);
            for (int f = e + 2; f <= n; ++f) {
                if (e == 1 && f == n) continue;
                const int f2 = f == n ? 1 : f + 1;
                const double cx = nodes.X_BND[f], cz = nodes.Z_BND[f], dx = nodes.X_BND[f2], dz = nodes.Z_BND[f2];
                if (std::fmax(cx, dx) < lo_x || std::fmin(cx, dx) > hi_x || std::fmax(cz, dz) < lo_z ||
                    std::fmin(cz, dz) > hi_z)
                    continue;
                if (segments_meet(ax, az, bx, bz, cx, cz, dx, dz)) return crossing_fault(m, e, f);
            }
        }
    }
    const FixedFit fits(width, OUTG_DECIMALS);
    for (int j = 1; j <= n; ++j) {
        if (!fits(nodes.PHI_BND[j]))
            return value_fault(m, j, "head", nodes.PHI_BND[j], width);
        if (!fits(nodes.Q_BND[j]))
            return value_fault(m, j, "normal derivative", nodes.Q_BND[j], width);
    }
    return "";
}

int face_node_below_bottom(const Model& m) {
    for (int j = 1; j <= m.CONFIG_BOUND.N_FACE; ++j)
        if (m.NODE_PROPERTIES.Z_BND[j] < -BED_BELOW_BOTTOM_TOLERANCE) return j;
    return 0;
}

std::string bed_below_bottom_warning(const Model& m, int node) {
    return "the bed at x = " + value_text(m.NODE_PROPERTIES.X_BND[node]) + " m (beach-face node " +
           std::to_string(node) + " of the aquifer) has been eroded to z = " +
           value_text(m.NODE_PROPERTIES.Z_BND[node]) + " m, below the aquifer bottom (z = 0), at model time " +
           time_text(m.TIME_RELATED.TIME) + " s (step " + value_text(m.N_CAL.N_STEP) +
           "); the run goes on with the outline as it stands, but transport efficiencies above 1 (EFF_ON = " +
           value_text(m.SED_TRANS.EFF_ON) + ", EFF_OFF = " + value_text(m.SED_TRANS.EFF_OFF) +
           ") are the usual cause";
}

void geometry_failure(const std::string& fault, const std::string& when) {
    numerical_failure("impossible aquifer geometry (" + when + "): " + fault);
}

}  // namespace tidmor
