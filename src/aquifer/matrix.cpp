// G and H of the current boundary polygon.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "aquifer/boundary_elements.hpp"
#include "aquifer/kernel_lanes.hpp"
#include "aquifer/worker_team.hpp"
#include "common/constants.hpp"
#include "common/elementary.hpp"

namespace tidmor {

namespace {

// Fewer rows than this are not worth waking the threads for.
constexpr int PARALLEL_MIN_NODES = 32;

std::uint64_t bits_of(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Finds, for every node and element of this polygon, the node and element
// of the last call with the same coordinate bits (the order of the nodes
// plays no part: a shoreline that adds or drops face nodes shifts the
// numbers of the unchanged ones), and makes room for this call's integrals.
void match_with_last(AquiferSolver::KernelIntegrals& k, int n, const BoundaryArray& x, const BoundaryArray& z) {
    const auto nn = static_cast<std::size_t>(n);
    const auto last_n = static_cast<std::size_t>(k.n);
    for (auto* v : {&k.next_h1, &k.next_h2, &k.next_g1, &k.next_g2}) v->resize(nn * nn);
    k.last_node.assign(nn + 1, 0);
    k.last_element.assign(nn + 1, 0);
    k.order.resize(last_n);
    const auto key_of_last = [&k](std::int32_t j) {
        const auto at = static_cast<std::size_t>(j - 1);
        return std::pair<std::uint64_t, std::uint64_t>{bits_of(k.x[at]), bits_of(k.z[at])};
    };
    for (std::size_t j = 0; j < last_n; ++j) k.order[j] = static_cast<std::int32_t>(j + 1);
    std::sort(k.order.begin(), k.order.end(),
              [&](std::int32_t a, std::int32_t b) { return key_of_last(a) < key_of_last(b); });
    std::size_t nodes_found = 0, elements_found = 0;
    for (int j = 1; j <= n; ++j) {
        const std::pair<std::uint64_t, std::uint64_t> key{bits_of(x[j]), bits_of(z[j])};
        const auto it = std::lower_bound(k.order.begin(), k.order.end(), key,
                                         [&](std::int32_t a, const auto& b) { return key_of_last(a) < b; });
        if (it != k.order.end() && key_of_last(*it) == key) {
            k.last_node[static_cast<std::size_t>(j)] = *it;
            ++nodes_found;
        }
    }
    // Element e runs from node e to node e+1 (node 1 for the last): the
    // last call's element starting at the same bits must end at the same bits.
    for (int e = 1; e <= n; ++e) {
        const std::int32_t a = k.last_node[static_cast<std::size_t>(e)];
        if (a == 0) continue;
        const int jb = e == n ? 1 : e + 1;
        const std::int32_t b = a == k.n ? 1 : a + 1;
        if (key_of_last(b) == std::pair<std::uint64_t, std::uint64_t>{bits_of(x[jb]), bits_of(z[jb])}) {
            k.last_element[static_cast<std::size_t>(e)] = a;
            ++elements_found;
        }
    }
    k.pairs_kept = static_cast<std::uint64_t>(nodes_found) * elements_found;
}

// This call's integrals become the kept ones, with its nodes.
void keep_this_call(AquiferSolver::KernelIntegrals& k, int n, const BoundaryArray& x, const BoundaryArray& z) {
    std::swap(k.h1, k.next_h1);
    std::swap(k.h2, k.next_h2);
    std::swap(k.g1, k.next_g1);
    std::swap(k.g2, k.next_g2);
    k.x.assign(x.v.begin(), x.v.begin() + n);
    k.z.assign(z.v.begin(), z.v.begin() + n);
    k.n = n;
}

// Parts of MATRIX's rows among the threads; more threads than this share
// the rows among this many.
constexpr int MAX_PARTS = 64;

// The rows of each part, first_row[part] to first_row[part+1] (0-based, half
// open), in contiguous blocks of about equal work. With kept integrals the
// work of the rows differs widely: a row of a node that moved integrates
// every element, one of a kept node only the elements that moved, and the
// moved nodes lie together along the face, so blocks of equal row counts
// would leave one thread with most of the work. A row's work is taken as
// its integrated elements (about 15 logarithms and their arithmetic each)
// plus the summing of every element into the row.
void balance_rows(const AquiferSolver::KernelIntegrals* kept, int n, int parts, std::array<int, MAX_PARTS + 1>& first_row) {
    first_row[0] = 0;
    for (int part = 1; part <= parts; ++part) first_row[static_cast<std::size_t>(part)] = n;
    if (parts <= 1) return;
    if (!kept) {
        for (int part = 1; part < parts; ++part) {
            int first, last;
            part_range(n, part, parts, first, last);
            first_row[static_cast<std::size_t>(part)] = first;
        }
        return;
    }
    constexpr std::int64_t INTEGRATION_WEIGHT = 64;  // an integrated element against a summed one
    std::int64_t kept_elements = 0;
    for (int e = 1; e <= n; ++e) kept_elements += kept->last_element[static_cast<std::size_t>(e)] != 0;
    const auto work_of_row = [&](int i) {
        const std::int64_t integrated = kept->last_node[static_cast<std::size_t>(i)] != 0 ? n - kept_elements : n;
        return integrated * INTEGRATION_WEIGHT + n;
    };
    std::int64_t total = 0;
    for (int i = 1; i <= n; ++i) total += work_of_row(i);
    std::int64_t done = 0;
    int part = 1;
    for (int i = 1; i <= n && part < parts; ++i) {
        done += work_of_row(i);
        while (part < parts && done * parts >= total * part) first_row[static_cast<std::size_t>(part++)] = i;
    }
}

}  // namespace

// For collocation node i and element e the kernels are integrated with the
// 15-point rule over xi in [-1, 1], the length element being l/2 dxi:
//   H: the normal flux of the fundamental solution, c / (4 pi r^2), c being
//      l times the outward-normal component of the vector to node i;
//   G: ln(1/r) / (2 pi) times l/2.
// When node i is an end of the element, the shape function that is 1 there
// meets the log singularity; its G entry is the exact integral
//   (1/2 pi) int_0^l (1 - s/l) ln(1/s) ds = l (1.5 - ln l) / (4 pi).
// H needs no such care: c vanishes on the element's own line.
// Each row is computed by its own operations from the nodes alone, so the
// rows are shared among the run's worker threads, in contiguous blocks of
// about equal work, without changing a bit. With reuse on, the integrals
// of a pair whose node and element ends have the same coordinate bits as a
// pair of the last call are the stored results of the same operations on
// the same values (the length of an element is computed from its ends
// alone): the sums below see the same bits. A row first takes the
// integrals of every element it does not keep, several elements at once in
// the lanes of the run's instruction set (each lane one element, its sums
// over the points in order). Summed element by element into a zeroed row,
// entry j would receive element j-1's second end and then element j's
// first; each entry is formed from those two directly, in that order.
void MATRIX(Model& m) {
    const int n = boundary_node_count(m);
    const auto& x_bnd = m.NODE_PROPERTIES.X_BND;
    const auto& z_bnd = m.NODE_PROPERTIES.Z_BND;
    const auto& xi_gauss = m.GAUSS.XI_GAUSS;
    const auto& w_gauss = m.GAUSS.W_GAUSS;
    Matrix1000& g_coef = m.COE_MATRIX.G_COEF;
    Matrix1000& h_coef = m.COE_MATRIX.H_COEF;
    const double four_pi = 4.0 * PI_SINGLE;
    const VectorPath vector_path = m.aquifer_solver.vector_path;

    // Connectivity and lengths of the elements.
    Array1<std::int32_t, BOUNDARY_NODES> NODE1_EL;
    Array1<std::int32_t, BOUNDARY_NODES> NODE2_EL;
    BoundaryArray LEN_EL;
    for (int e = 1; e <= n; ++e) {
        NODE1_EL[e] = e;
        NODE2_EL[e] = e == n ? 1 : e + 1;
        const double dx = x_bnd[NODE2_EL[e]] - x_bnd[NODE1_EL[e]];
        const double dz = z_bnd[NODE2_EL[e]] - z_bnd[NODE1_EL[e]];
        LEN_EL[e] = std::sqrt(dx * dx + dz * dz);
    }

    // The Gauss points of each element, once for all rows.
    double* gauss_x = m.aquifer_solver.gauss_x.data();
    double* gauss_z = m.aquifer_solver.gauss_z.data();
    for (int e = 1; e <= n; ++e) {
        const double x1 = x_bnd[NODE1_EL[e]], z1 = z_bnd[NODE1_EL[e]];
        const double x2 = x_bnd[NODE2_EL[e]], z2 = z_bnd[NODE2_EL[e]];
        for (int k = 1; k <= GAUSS_POINTS; ++k) {
            const double xik = xi_gauss[k];
            const std::size_t at = static_cast<std::size_t>(e - 1) * GAUSS_POINTS + static_cast<std::size_t>(k - 1);
            gauss_x[at] = (x2 - x1) * (1.0 + xik) * 0.5 + x1;
            gauss_z[at] = (z2 - z1) * (1.0 + xik) * 0.5 + z1;
        }
    }

    const std::size_t nn = static_cast<std::size_t>(n);
    AquiferSolver::KernelIntegrals* kept = m.aquifer_solver.reuse ? &m.aquifer_solver.kernels : nullptr;
    // Without memory for the kept integrals, this call integrates every pair
    // and keeps none.
    try {
        if (kept) {
            match_with_last(*kept, n, x_bnd, z_bnd);
            kept->x.reserve(nn);
            kept->z.reserve(nn);
        }
    } catch (const std::bad_alloc&) {
        *kept = AquiferSolver::KernelIntegrals{};
        kept = nullptr;
    }

    // What the integrals read of each element, computed once for all rows.
    BoundaryArray MINUS_DZ_EL, DX_EL;
    for (int e = 1; e <= n; ++e) {
        MINUS_DZ_EL[e] = z_bnd[NODE1_EL[e]] - z_bnd[NODE2_EL[e]];
        DX_EL[e] = x_bnd[NODE2_EL[e]] - x_bnd[NODE1_EL[e]];
    }
    const KernelElements elements{gauss_x,          gauss_z,      &MINUS_DZ_EL[1], &DX_EL[1],
                                  &LEN_EL[1],       &xi_gauss[1], &w_gauss[1]};

    const int parts = n >= PARALLEL_MIN_NODES ? std::min(m.aquifer_solver.team_size(), MAX_PARTS) : 1;
    std::array<int, MAX_PARTS + 1> first_row;
    balance_rows(kept, n, parts, first_row);
    const auto rows = [&](int part) {  // a block of rows per thread
        const int first = first_row[static_cast<std::size_t>(part)];
        const int last = first_row[static_cast<std::size_t>(part) + 1];
        // The integrals of one row, element e at e-1, and the elements to integrate.
        std::array<double, BOUNDARY_NODES> row_h1, row_h2, row_g1, row_g2;
        std::array<std::int32_t, BOUNDARY_NODES> to_integrate;
        const KernelRow row{row_h1.data(), row_h2.data(), row_g1.data(), row_g2.data()};
        for (int i = first + 1; i <= last; ++i) {
            const std::int32_t last_i = kept ? kept->last_node[static_cast<std::size_t>(i)] : 0;
            int count = 0;
            if (last_i != 0) {
                const std::size_t kept_row = static_cast<std::size_t>(last_i - 1) * static_cast<std::size_t>(kept->n);
                const double* kept_h1 = kept->h1.data() + kept_row;
                const double* kept_h2 = kept->h2.data() + kept_row;
                const double* kept_g1 = kept->g1.data() + kept_row;
                const double* kept_g2 = kept->g2.data() + kept_row;
                const std::int32_t* last_element = kept->last_element.data();
                for (int e = 1; e <= n; ++e) {
                    const std::size_t at = static_cast<std::size_t>(e - 1);
                    const std::int32_t last_e = last_element[e];
                    if (last_e != 0) {
                        const std::size_t from = static_cast<std::size_t>(last_e - 1);
                        row_h1[at] = kept_h1[from];
                        row_h2[at] = kept_h2[from];
                        row_g1[at] = kept_g1[from];
                        row_g2[at] = kept_g2[from];
                    } else {
                        to_integrate[static_cast<std::size_t>(count++)] = e - 1;
                    }
                }
            } else {
                for (int e = 0; e < n; ++e) to_integrate[static_cast<std::size_t>(e)] = e;
                count = n;
            }
            integrate_kernels(vector_path, elements, x_bnd[i], z_bnd[i], to_integrate.data(), count, row);
            if (kept) {
                const std::size_t this_row = static_cast<std::size_t>(i - 1) * nn;
                std::copy_n(row_h1.data(), nn, kept->next_h1.data() + this_row);
                std::copy_n(row_h2.data(), nn, kept->next_h2.data() + this_row);
                std::copy_n(row_g1.data(), nn, kept->next_g1.data() + this_row);
                std::copy_n(row_g2.data(), nn, kept->next_g2.data() + this_row);
            }

            // The exact G integrals of the two elements that end at node i.
            const int own = i, before = i == 1 ? n : i - 1;  // from node i, and to it
            row_g1[static_cast<std::size_t>(own - 1)] = LEN_EL[own] * (1.5 - cr_log(LEN_EL[own])) / four_pi;
            row_g2[static_cast<std::size_t>(before - 1)] = LEN_EL[before] * (1.5 - cr_log(LEN_EL[before])) / four_pi;
            double s = 0.0;
            for (std::size_t at = 0; at < nn; ++at) s = s - row_h1[at] - row_h2[at];
            // Node j takes, in element order, the second end of element j-1
            // and the first end of element j (node 1: the first end of
            // element 1, then the second of element n), each added to the
            // zero the row starts from.
            h_coef(i, 1) = (0.0 + row_h1[0]) + row_h2[nn - 1];
            g_coef(i, 1) = (0.0 + row_g1[0]) + row_g2[nn - 1];
            for (std::size_t j = 1; j < nn; ++j) {
                h_coef(i, static_cast<int>(j) + 1) = (0.0 + row_h2[j - 1]) + row_h1[j];
                g_coef(i, static_cast<int>(j) + 1) = (0.0 + row_g2[j - 1]) + row_g1[j];
            }
            h_coef(i, i) = s;
        }
    };
    if (parts > 1)
        m.aquifer_solver.team().run(parts, rows);
    else
        rows(0);
    if (kept) keep_this_call(*kept, n, x_bnd, z_bnd);
}

}  // namespace tidmor
