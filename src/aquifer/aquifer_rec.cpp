// Boundary of the aquifer for the present shoreline, rebuilt from the
// reference mesh at every aquifer step.
//
// Reference face (shoreline at or seaward of the last reference face node):
// the reference nodes keep their positions; each face node takes the bed
// under it and a head of bed plus water depth (code 1) at or seaward of the
// shoreline, or of the bed alone (code 4, the dry face) landward of it.
//
// Extended face (shoreline landward of the reference face): the face is
// re-meshed up to the shoreline,
//
//   node   1 .. m        uniform, every 2 L_ELEM from x = 0
//          m + 1         halfway between node m and the shoreline
//          m + 2         the shoreline itself          (= N_FACE)
//
// all with code 1, then the reference water table from its first node not
// overrun by the new face (j0), and the closing nodes. The water table is
// lifted toward the shoreline where the swash stands above it: a rise d at
// the shoreline, decaying landward over the capillary length
// sqrt((H_LAND + D_SEA) * H_CAP/2 / POROSITY).
#include "aquifer/aquifer_rec.hpp"

#include <cmath>
#include <string>

#include "aquifer/dinterpf.hpp"
#include "common/constants.hpp"
#include "common/elementary.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"
#include "common/units.hpp"

namespace tidmor {
namespace {

// The rebuild indexes the reference mesh and the wave grid by its counts.
void check_counts(const Model& m) {
    const auto& ref = m.FINAL_INIC;
    if (ref.N_FACE0 < 1 || ref.N_FREE0 < 0 || ref.N_FACE0 + ref.N_FREE0 > ref.N_BND0 ||
        ref.N_BND0 > MAX_EQUATIONS)
        numerical_failure("reference aquifer mesh has unusable counts N_BND0 = " + std::to_string(ref.N_BND0) +
                          ", N_FACE0 = " + std::to_string(ref.N_FACE0) + ", N_FREE0 = " +
                          std::to_string(ref.N_FREE0));
    const int n_shore = m.WAVE_CONSI.N_SHORE;
    if (n_shore < 1 || n_shore > m.SED_INT.N_GRID || m.SED_INT.N_GRID > GRID_NODES)
        numerical_failure("aquifer boundary rebuild needs a wet shoreline node on the grid: N_SHORE = " +
                          std::to_string(n_shore) + ", N_GRID = " + std::to_string(m.SED_INT.N_GRID));
}

[[noreturn]] void too_many_nodes(double x_s, const std::string& count) {
    numerical_failure("extended aquifer face for the shoreline at x = " + value_text(x_s) + " m needs " + count +
                      " boundary nodes, more than " + std::to_string(MAX_EQUATIONS));
}

void rebuild_on_reference_face(Model& m, double x_s) {
    const auto& ref = m.FINAL_INI;
    auto& cb = m.CONFIG_BOUND;
    auto& nd = m.NODE_PROPERTIES;
    cb.N_BND = m.FINAL_INIC.N_BND0;
    cb.N_FACE = m.FINAL_INIC.N_FACE0;
    cb.N_FREE = m.FINAL_INIC.N_FREE0;
    for (int j = 1; j <= cb.N_BND; ++j) {
        nd.X_BND[j] = ref.X_BND0[j];
        nd.Z_BND[j] = ref.Z_BND0[j];
        nd.PHI_BND[j] = ref.PHI_BND0[j];
        nd.Q_BND[j] = ref.Q_BND0[j];
        nd.KODE_BND[j] = ref.KODE_BND0[j];
    }
    const auto& grid = m.CROSS_DIS.X_NODE;
    TableCursor bed, swash;
    for (int i = 1; i <= cb.N_FACE; ++i) {
        nd.Z_BND[i] = DINTERPF(nd.X_BND[i], grid, m.BEACH_PROFILE.Z_BED, m.SED_INT.N_GRID, bed);
        if (nd.X_BND[i] > x_s) {
            nd.PHI_BND[i] = nd.Z_BND[i];
            nd.KODE_BND[i] = 4;
        } else {
            nd.PHI_BND[i] = DINTERPF(nd.X_BND[i], grid, m.WAVE.H_DIM, m.WAVE_CONSI.N_SHORE, swash) + nd.Z_BND[i];
            nd.KODE_BND[i] = 1;
        }
    }
}

void rebuild_on_extended_face(Model& m, Units& units, double x_s) {
    const auto& ref = m.FINAL_INI;
    const auto& refc = m.FINAL_INIC;
    auto& cb = m.CONFIG_BOUND;
    auto& nd = m.NODE_PROPERTIES;
    const auto& grid = m.CROSS_DIS.X_NODE;
    const auto& z_bed = m.BEACH_PROFILE.Z_BED;
    const auto& h_dim = m.WAVE.H_DIM;
    const int n_grid = m.SED_INT.N_GRID;
    const int n_shore = m.WAVE_CONSI.N_SHORE;
    const double l_elem = m.L_ELEMENT.L_ELEM;

    // Face nodes 1..m+2 must fit the system before any is written.
    const double uniform = x_s / (EXTENDED_FACE_SPACING * l_elem);
    if (!(uniform >= 1.0))
        numerical_failure("extended aquifer face for the shoreline at x = " + value_text(x_s) +
                          " m has no uniform node: x / (2 L_ELEM) = " + value_text(uniform) + " with L_ELEM = " +
                          value_text(l_elem) + " m");
    if (uniform >= MAX_EQUATIONS - 1) too_many_nodes(x_s, "at least " + value_text(std::trunc(uniform) + 2.0));
    const int n_uniform = static_cast<int>(uniform);
    cb.N_FACE = n_uniform + 2;

    TableCursor bed, swash;
    for (int i = 1; i <= n_uniform; ++i) {
        nd.X_BND[i] = (l_elem * EXTENDED_FACE_SPACING) * (i - 1);
        nd.Z_BND[i] = DINTERPF(nd.X_BND[i], grid, z_bed, n_grid, bed);
        nd.PHI_BND[i] = DINTERPF(nd.X_BND[i], grid, h_dim, n_shore, swash) + nd.Z_BND[i];
        // A negative depth under the swash: reported, and used as it is.
        if (nd.PHI_BND[i] < nd.Z_BND[i])
            write_console(*units.console,
                          format_double(nd.PHI_BND[i]) + format_double(nd.Z_BND[i]) + format_integer(i));
        nd.KODE_BND[i] = 1;
    }

    const int shore = cb.N_FACE;
    nd.X_BND[shore] = x_s;
    nd.Z_BND[shore] = z_bed[n_shore];
    nd.PHI_BND[shore] = z_bed[n_shore] + h_dim[n_shore];
    nd.KODE_BND[shore] = 1;

    const int mid = shore - 1;
    nd.X_BND[mid] = (nd.X_BND[shore - 2] + x_s) * 0.5;
    nd.Z_BND[mid] = DINTERPF(nd.X_BND[mid], grid, z_bed, n_grid, bed);
    nd.PHI_BND[mid] = DINTERPF(nd.X_BND[mid], grid, h_dim, n_shore, swash) + nd.Z_BND[mid];
    nd.KODE_BND[mid] = 1;

    // Water-table nodes below the shoreline's bed that lie seaward of it or
    // under a line steeper than the limit are overrun by the face: the
    // table resumes after the last of them.
    const double z_shore = nd.Z_BND[shore];
    int j0 = refc.N_FACE0 + 1;
    for (int j = refc.N_FACE0 + 1; j <= refc.N_FACE0 + refc.N_FREE0; ++j) {
        if (z_shore > ref.Z_BND0[j]) {
            const double s = (z_shore - ref.Z_BND0[j]) / (ref.X_BND0[j] - nd.X_BND[shore]);
            if (s < 0.0 || s > WATER_TABLE_DROP_SLOPE) j0 = j + 1;
        }
    }

    const int n_bnd = refc.N_BND0 - j0 + cb.N_FACE + 1;
    if (n_bnd > MAX_EQUATIONS) too_many_nodes(x_s, std::to_string(n_bnd));
    cb.N_FREE = refc.N_FREE0 - (j0 - refc.N_FACE0) + 1;
    cb.N_BND = n_bnd;
    for (int t = 1; t <= refc.N_BND0 - j0 + 1; ++t) {
        const int to = cb.N_FACE + t, from = j0 + t - 1;
        nd.X_BND[to] = ref.X_BND0[from];
        nd.Z_BND[to] = ref.Z_BND0[from];
        nd.PHI_BND[to] = ref.PHI_BND0[from];
        nd.Q_BND[to] = ref.Q_BND0[from];
        nd.KODE_BND[to] = ref.KODE_BND0[from];
    }

    const double h_cap = m.CAPILLARY.H_CAP;
    if (h_cap > 0.0) {
        const double z_r = DINTERPF(x_s, ref.X_BND0, ref.Z_BND0, refc.N_FACE0 + refc.N_FREE0);
        const double d = nd.Z_BND[shore] - z_r;
        if (d > 0.0) {
            const double a =
                std::sqrt(m.SED_TRANS.POROSITY / ((m.CONSTS.H_LAND + m.WAVE_CONSD.D_SEA) * (h_cap * 0.5)));
            for (int j = cb.N_FACE + 1; j <= cb.N_FACE + cb.N_FREE; ++j) {
                nd.Z_BND[j] = nd.Z_BND[j] + d * cr_exp(-(nd.X_BND[j] - x_s) * a);
                nd.PHI_BND[j] = nd.Z_BND[j];
            }
        }
    }
}

}  // namespace

void AQUIFER_REC(Model& m, Units& units) {
    check_counts(m);
    const double x_s = m.CROSS_DIS.X_NODE[m.WAVE_CONSI.N_SHORE];
    if (x_s <= m.FINAL_INI.X_BND0[m.FINAL_INIC.N_FACE0])
        rebuild_on_reference_face(m, x_s);
    else
        rebuild_on_extended_face(m, units, x_s);
}

}  // namespace tidmor
