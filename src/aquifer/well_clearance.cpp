#include "aquifer/well_clearance.hpp"

#include <cmath>

#include "common/constants.hpp"
#include "common/number_format.hpp"

namespace tidmor {

namespace {

// Distance from (x, z) to element e of the closed polygon of nodes 1..n.
double distance_to_element(const blocks::NODE_PROPERTIES& nodes, int n, int e, double x, double z) {
    const int f = e == n ? 1 : e + 1;
    const double ex = nodes.X_BND[f] - nodes.X_BND[e], ez = nodes.Z_BND[f] - nodes.Z_BND[e];
    const double px = x - nodes.X_BND[e], pz = z - nodes.Z_BND[e];
    const double length2 = ex * ex + ez * ez;
    double t = length2 > 0.0 ? (px * ex + pz * ez) / length2 : 0.0;
    t = std::fmin(1.0, std::fmax(0.0, t));
    const double dx = px - t * ex, dz = pz - t * ez;
    return std::sqrt(dx * dx + dz * dz);
}

std::string well_text(const Model& m) {
    return "the well at X_WELL = " + value_text(m.WELL.X_WELL) + ", Z_WELL = " + value_text(m.WELL.Z_WELL);
}

std::string nearest_text(const Model& m, const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts,
                         const WellClearance& well) {
    const int e = well.element;
    // A well position too large for any distance to be finite has no nearest element.
    if (e < 1 || e > counts.N_BND) return "no element at a finite distance";
    const int f = e == counts.N_BND ? 1 : e + 1;
    return "the " + outline_part(nodes, counts, m.CONSTS.X_LAND, e) + " (the element from (" +
           value_text(nodes.X_BND[e]) + ", " + value_text(nodes.Z_BND[e]) + ") to (" + value_text(nodes.X_BND[f]) +
           ", " + value_text(nodes.Z_BND[f]) + "))";
}

}  // namespace

WellClearance well_clearance(const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts,
                             double x_well, double z_well) {
    WellClearance well;
    const int n = counts.N_BND;
    well.inside = strictly_inside(nodes, n, x_well, z_well);
    well.distance = INFINITY;
    for (int e = 1; e <= n; ++e) {
        const double d = distance_to_element(nodes, n, e, x_well, z_well);
        if (d < well.distance) {
            well.distance = d;
            well.element = e;
        }
    }
    return well;
}

std::string outline_part(const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts, double x_land,
                         int e) {
    const int f = e == counts.N_BND ? 1 : e + 1;
    if (nodes.X_BND[e] == x_land && nodes.X_BND[f] == x_land) return "landward side";
    if (nodes.Z_BND[e] == 0.0 && nodes.Z_BND[f] == 0.0) return "bottom";
    if (e < counts.N_FACE) return "beach face";
    return "water table";
}

std::string well_refusal(const Model& m, const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts,
                         const WellClearance& well) {
    const double l = m.L_ELEMENT.L_ELEM;
    const double least = WELL_REFUSAL_CLEARANCE * l;
    if (!well.inside)
        return "aquifer mesh: " + well_text(m) + " does not lie strictly inside the aquifer boundary (nearest: " +
               nearest_text(m, nodes, counts, well) + ", " + value_text(well.distance) +
               " m away); move the well into the aquifer, at least L_ELEM/4 = " + value_text(least) +
               " m from its boundary";
    if (well.distance < least)
        return "aquifer mesh: " + well_text(m) + " lies " + value_text(well.distance) + " m from " +
               nearest_text(m, nodes, counts, well) + ", closer than a quarter of an element length, L_ELEM/4 = " +
               value_text(least) + " m: the boundary elements cannot resolve the well's flow there; move the well at " +
               "least " + value_text(least) + " m inside, or make L_ELEM at most " +
               value_text(well.distance / WELL_REFUSAL_CLEARANCE) + " m";
    return "";
}

std::string well_warning(const Model& m, const blocks::NODE_PROPERTIES& nodes, const blocks::CONFIG_BOUND& counts,
                         const WellClearance& well) {
    const double l = m.L_ELEMENT.L_ELEM;
    if (!well.inside || !(well.distance < WELL_RESOLVED_CLEARANCE * l)) return "";
    return well_text(m) + " lies " + value_text(well.distance) + " m from " + nearest_text(m, nodes, counts, well) +
           ", less than one element length (L_ELEM = " + value_text(l) +
           " m): the elements of that boundary cannot resolve the well's flow there; its face flow and heads are "
           "rough near the well (an L_ELEM of at most " + value_text(well.distance / WELL_RESOLVED_CLEARANCE) +
           " m would resolve it)";
}

// Even-odd rule with a horizontal ray towards +x; a point on an edge or at a
// node is not inside.
bool strictly_inside(const blocks::NODE_PROPERTIES& nodes, int n, double x, double z) {
    bool inside = false;
    for (int e = 1; e <= n; ++e) {
        const int f = e == n ? 1 : e + 1;
        const double ax = nodes.X_BND[e], az = nodes.Z_BND[e];
        const double bx = nodes.X_BND[f], bz = nodes.Z_BND[f];
        const double cross = (bx - ax) * (z - az) - (bz - az) * (x - ax);
        if (cross == 0.0 && std::fmin(ax, bx) <= x && x <= std::fmax(ax, bx) && std::fmin(az, bz) <= z &&
            z <= std::fmax(az, bz))
            return false;
        if ((az > z) != (bz > z)) {
            const double x_cross = ax + (z - az) * (bx - ax) / (bz - az);
            if (x < x_cross) inside = !inside;
        }
    }
    return inside;
}

double distance_to_boundary(const blocks::NODE_PROPERTIES& nodes, int n, double x, double z) {
    double nearest = INFINITY;
    for (int e = 1; e <= n; ++e) nearest = std::fmin(nearest, distance_to_element(nodes, n, e, x, z));
    return nearest;
}

}  // namespace tidmor
