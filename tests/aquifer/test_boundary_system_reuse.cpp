// Reuse of solved boundary systems: the recorded elimination replayed on new
// right-hand sides, the exact-bit key, the memory bound of the cache, and a
// repeated aquifer step that takes the cached path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "aquifer/boundary_elements.hpp"
#include "aquifer/boundary_system_cache.hpp"
#include "aquifer/dinfil_model.hpp"
#include "aquifer/eqsol.hpp"
#include "refused_allocations.hpp"
#include "test_aquifer_rec_mesh.hpp"

namespace tidmor {
namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; }

// A system whose pivots wander over the columns, with zeros, signed zeros
// and ties among the entries.
void fill_random(Matrix1000& a, int n, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_int_distribution<int> pick(0, 19);
    for (int j = 1; j <= n + 1; ++j)
        for (int i = 1; i <= n; ++i) {
            const int kind = pick(rng);
            a(i, j) = kind == 0 ? 0.0 : kind == 1 ? -0.0 : kind == 2 ? 0.5 : u(rng);
        }
    std::vector<int> cols(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) cols[static_cast<std::size_t>(j)] = j + 1;
    std::shuffle(cols.begin(), cols.end(), rng);
    for (int i = 1; i <= n; ++i) a(i, cols[static_cast<std::size_t>(i - 1)]) += 3.0;
}

struct Solver {
    std::unique_ptr<Model> model = make_model();
    std::ostringstream console;
    Units units;
    explicit Solver(int threads) {
        units.console = &console;
        AquiferSolverSettings options;
        options.threads = threads;
        model->aquifer_solver.configure(options);
    }
};

TEST(ReplayedElimination, EqualsTheFullEliminationForManyRightHandSides) {
    std::mt19937_64 rng(1400);
    std::uniform_real_distribution<double> u(-10.0, 10.0);
    Solver recorder(1), full(1);
    Model& m = *recorder.model;
    auto original = make_model();
    int compared = 0;
    for (int n : {1, 2, 3, 7, 16, 53, 97, 130, 213}) {
        fill_random(original->EQUATIONS.A_EQ, n, rng);
        m.EQUATIONS.A_EQ = original->EQUATIONS.A_EQ;
        m.EQUATIONS.N_EQ = n;
        RecordedSystem record;
        record.size_for(n);
        EQSOL(m, recorder.units, &record);
        const int rhs_count = n <= 53 ? 200 : 40;
        for (int r = 0; r < rhs_count; ++r) {
            std::vector<double> b(static_cast<std::size_t>(n));
            for (auto& v : b) v = r == 0 ? 0.0 : r == 1 ? -0.0 : u(rng);
            Model& f = *full.model;
            f.EQUATIONS.A_EQ = original->EQUATIONS.A_EQ;
            for (int i = 1; i <= n; ++i) f.EQUATIONS.A_EQ(i, n + 1) = b[static_cast<std::size_t>(i - 1)];
            f.EQUATIONS.N_EQ = n;
            EQSOL(f, full.units);
            replay_elimination(record, n, b.data(), m.EQUATIONS.X_EQ, m.aquifer_solver.vector_path);
            for (int j = 1; j <= n; ++j)
                ASSERT_TRUE(same_bits(m.EQUATIONS.X_EQ[j], f.EQUATIONS.X_EQ[j]))
                    << "n " << n << " right-hand side " << r << " unknown " << j << ": " << m.EQUATIONS.X_EQ[j]
                    << " vs " << f.EQUATIONS.X_EQ[j];
            ++compared;
        }
    }
    EXPECT_EQ(compared, 6 * 200 + 3 * 40);
}

TEST(ReplayedElimination, RecordIsTheSameWithAnyNumberOfThreads) {
    std::mt19937_64 rng(3);
    auto original = make_model();
    const int n = 421;  // above the size at which the columns are shared out
    fill_random(original->EQUATIONS.A_EQ, n, rng);
    std::vector<RecordedSystem> records(3);
    std::vector<std::unique_ptr<Solver>> solvers;
    for (int t = 1; t <= 3; ++t) {
        solvers.push_back(std::make_unique<Solver>(t));
        Model& m = *solvers.back()->model;
        m.EQUATIONS.A_EQ = original->EQUATIONS.A_EQ;
        m.EQUATIONS.N_EQ = n;
        records[static_cast<std::size_t>(t - 1)].size_for(n);
        EQSOL(m, solvers.back()->units, &records[static_cast<std::size_t>(t - 1)]);
    }
    for (int t = 2; t <= 3; ++t) {
        const RecordedSystem& a = records[0];
        const RecordedSystem& b = records[static_cast<std::size_t>(t - 1)];
        EXPECT_EQ(a.pivot_col, b.pivot_col) << t << " threads";
        EXPECT_EQ(std::memcmp(a.pivot.data(), b.pivot.data(), a.pivot.size() * sizeof(double)), 0) << t;
        EXPECT_EQ(std::memcmp(a.factors.data(), b.factors.data(), a.factors.size() * sizeof(double)), 0) << t;
        const Matrix1000& a1 = solvers[0]->model->EQUATIONS.A_EQ;
        const Matrix1000& at = solvers[static_cast<std::size_t>(t - 1)]->model->EQUATIONS.A_EQ;
        EXPECT_EQ(std::memcmp(a1.v.data(), at.v.data(), a1.v.size() * sizeof(double)), 0) << t;
    }
}

BoundarySystemKey sample_key(int n) {
    BoundarySystemKey k;
    k.n = n;
    for (int j = 1; j <= n; ++j) {
        k.x.push_back(0.5 * j);
        k.z.push_back(0.05 * j);
        k.code2.push_back(j > n / 2 ? 1 : 0);
    }
    return k;
}

double flip_bit(double v, int bit) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    b ^= std::uint64_t{1} << bit;
    std::memcpy(&v, &b, sizeof b);
    return v;
}

TEST(BoundarySystemKey, AnyOneBitMakesAnotherGeometry) {
    const BoundarySystemKey base = sample_key(12);
    EXPECT_TRUE(base.same_bits(sample_key(12)));
    EXPECT_EQ(base.hash(), sample_key(12).hash());
    for (int node : {0, 5, 11}) {
        for (int bit : {0, 1, 31, 52, 63}) {
            BoundarySystemKey k = base;
            k.x[static_cast<std::size_t>(node)] = flip_bit(k.x[static_cast<std::size_t>(node)], bit);
            EXPECT_FALSE(base.same_bits(k)) << "x of node " << node + 1 << " bit " << bit;
            k = base;
            k.z[static_cast<std::size_t>(node)] = flip_bit(k.z[static_cast<std::size_t>(node)], bit);
            EXPECT_FALSE(base.same_bits(k)) << "z of node " << node + 1 << " bit " << bit;
        }
        BoundarySystemKey k = base;
        k.code2[static_cast<std::size_t>(node)] ^= 1;
        EXPECT_FALSE(base.same_bits(k)) << "code of node " << node + 1;
    }
    BoundarySystemKey k = base;
    k.well = true;
    EXPECT_FALSE(base.same_bits(k)) << "well switch";
    BoundarySystemKey with_well = k;
    with_well.q_well = flip_bit(0.01, 0);
    k.q_well = 0.01;
    EXPECT_FALSE(k.same_bits(with_well)) << "well strength";
    // Zero and minus zero are different bits, so different geometries.
    k = base;
    k.z[0] = -0.0;
    BoundarySystemKey plus = base;
    plus.z[0] = 0.0;
    EXPECT_FALSE(plus.same_bits(k));
}

RecordedSystem record_of(int n, double tag) {
    RecordedSystem r;
    r.key = sample_key(n);
    r.key.x[0] = tag;
    r.size_for(n);
    return r;
}

TEST(BoundarySystemCache, DropsTheLeastRecentlyUsedToStayWithinItsBound) {
    const std::size_t one = record_of(40, 0.0).bytes();
    EXPECT_LE(one, std::size_t{24} * 40 * 40);
    BoundarySystemCache cache(3 * one + one / 2);
    for (int t = 1; t <= 3; ++t) ASSERT_TRUE(cache.insert(record_of(40, t)));
    EXPECT_EQ(cache.entries(), 3u);
    ASSERT_NE(cache.find(record_of(40, 1).key), nullptr);  // 1 is now the most recent
    ASSERT_TRUE(cache.insert(record_of(40, 4)));           // 2 goes
    EXPECT_EQ(cache.entries(), 3u);
    EXPECT_LE(cache.bytes(), cache.capacity());
    EXPECT_EQ(cache.find(record_of(40, 2).key), nullptr);
    for (double t : {1.0, 3.0, 4.0}) EXPECT_NE(cache.find(record_of(40, t).key), nullptr) << t;

    // A larger geometry pushes out as many as it needs.
    ASSERT_TRUE(cache.insert(record_of(70, 5)));
    EXPECT_LE(cache.bytes(), cache.capacity());
    EXPECT_NE(cache.find(record_of(70, 5).key), nullptr);
    EXPECT_EQ(cache.find(record_of(40, 1).key), nullptr);

    // One that exceeds the whole bound is not kept and leaves the rest alone.
    const std::size_t before = cache.entries();
    RecordedSystem huge = record_of(200, 6);
    EXPECT_FALSE(cache.insert(std::move(huge)));
    EXPECT_EQ(huge.key.n, 200);  // still the caller's
    EXPECT_EQ(cache.entries(), before);

    cache.set_capacity(0);
    EXPECT_EQ(cache.entries(), 0u);
    EXPECT_EQ(cache.bytes(), 0u);
}

// The test beach of the boundary rebuild, one aquifer step with a well.
std::unique_ptr<Model> beach_step(const AquiferSolverSettings& options) {
    auto m = testing::reference_beach();
    m->aquifer_solver.configure(options);
    m->WAVE_CONSD.T_WAVE = 8.0;
    m->WAVE_CONSD.H_WAVE = 0.5;
    m->TIME_RELATED.DT = 0.01;
    m->WELL.Q_WELL = 0.01;
    m->WELL.X_WELL = 12.0;
    m->WELL.Z_WELL = 0.4;
    return m;
}

TEST(AquiferStepReuse, ARepeatedGeometryIsSolvedFromTheCacheToTheSameBits) {
    Units units;
    AquiferSolverSettings reuse, plain;
    plain.reuse = false;
    plain.threads = 1;
    auto cached = beach_step(reuse);
    auto full = beach_step(plain);
    const GridArray bed = cached->BEACH_PROFILE.Z_BED;
    for (int step = 1; step <= 4; ++step) {
        // Steps 1 and 3 see one bed, 2 and 4 a bed 1 cm higher: two
        // geometries. The swash differs at every step.
        const double lift = step % 2 == 1 ? 0.0 : 0.01;
        for (Model* m : {cached.get(), full.get()}) {
            for (int g = 1; g <= m->SED_INT.N_GRID; ++g) m->BEACH_PROFILE.Z_BED[g] = bed[g] + lift;
            for (int g = 1; g <= 6; ++g) m->WAVE.H_DIM[g] = 0.1 * (7 - g) + 0.05 * step;
        }
        DINFIL_MODEL(*cached, units);
        DINFIL_MODEL(*full, units);
        for (int j = 1; j <= cached->CONFIG_BOUND.N_BND; ++j) {
            ASSERT_TRUE(same_bits(cached->NODE_PROPERTIES.PHI_BND[j], full->NODE_PROPERTIES.PHI_BND[j]))
                << "step " << step << " node " << j;
            ASSERT_TRUE(same_bits(cached->NODE_PROPERTIES.Q_BND[j], full->NODE_PROPERTIES.Q_BND[j]))
                << "step " << step << " node " << j;
        }
        for (int k = 1; k <= cached->SED_INT.N_GRID; ++k)
            ASSERT_TRUE(same_bits(cached->INFILTRATION.INFIL_RATE[k], full->INFILTRATION.INFIL_RATE[k]))
                << "step " << step << " grid node " << k;
    }
    const AquiferSolver& s = cached->aquifer_solver;
    EXPECT_EQ(s.misses, 2u);
    EXPECT_EQ(s.hits, 2u);
    EXPECT_EQ(s.cache.entries(), 2u);
    EXPECT_EQ(full->aquifer_solver.plain, 4u);
}

TEST(AquiferStepReuse, AGeometryWithoutMemoryToRecordItIsSolvedUncachedToTheSameBits) {
    Units units;
    AquiferSolverSettings reuse, plain;
    plain.reuse = false;
    plain.threads = 1;
    reuse.threads = 1;
    auto cached = beach_step(reuse);
    auto full = beach_step(plain);
    const GridArray bed = cached->BEACH_PROFILE.Z_BED;
    const auto step = [&](int number, bool refused) {
        const double lift = number == 1 ? 0.0 : 0.01;
        for (Model* m : {cached.get(), full.get()}) {
            for (int g = 1; g <= m->SED_INT.N_GRID; ++g) m->BEACH_PROFILE.Z_BED[g] = bed[g] + lift;
            for (int g = 1; g <= 6; ++g) m->WAVE.H_DIM[g] = 0.1 * (7 - g) + 0.05 * number;
        }
        {
            // Every request of four boundary vectors or more: the record's
            // N x N arrays among them.
            const auto n = static_cast<std::size_t>(cached->CONFIG_BOUND.N_BND);
            testing::RefusedAllocations no_memory(refused ? 4 * n * sizeof(double) : SIZE_MAX);
            DINFIL_MODEL(*cached, units);
        }
        DINFIL_MODEL(*full, units);
        for (int j = 1; j <= cached->CONFIG_BOUND.N_BND; ++j) {
            ASSERT_TRUE(same_bits(cached->NODE_PROPERTIES.PHI_BND[j], full->NODE_PROPERTIES.PHI_BND[j]))
                << "step " << number << " node " << j;
            ASSERT_TRUE(same_bits(cached->NODE_PROPERTIES.Q_BND[j], full->NODE_PROPERTIES.Q_BND[j]))
                << "step " << number << " node " << j;
        }
    };
    const AquiferSolver& s = cached->aquifer_solver;
    step(1, false);  // geometry A, recorded
    step(2, true);   // geometry B, no memory to record it
    EXPECT_EQ(s.misses, 1u);
    EXPECT_EQ(s.plain, 1u);
    EXPECT_EQ(s.cache.entries(), 1u);
    step(3, false);  // B again, with memory: recorded now
    step(4, false);  // and found
    EXPECT_EQ(s.misses, 2u);
    EXPECT_EQ(s.hits, 1u);
    EXPECT_EQ(s.cache.entries(), 2u);
}

TEST(BoundarySystemCache, AnEntryWithoutMemoryIsNotKeptAndTheRecordStaysTheCallers) {
    BoundarySystemCache cache;
    RecordedSystem record = record_of(40, 1.0);
    {
        testing::RefusedAllocations no_memory(sizeof(RecordedSystem));  // the list entry
        EXPECT_FALSE(cache.insert(std::move(record)));
    }
    EXPECT_EQ(record.key.n, 40);
    EXPECT_EQ(record.coef.size(), 1600u);
    EXPECT_EQ(cache.entries(), 0u);
    EXPECT_EQ(cache.bytes(), 0u);
    EXPECT_TRUE(cache.insert(std::move(record)));
    EXPECT_NE(cache.find(record_of(40, 1.0).key), nullptr);
}

// A rectangle of 10 m by 1 m with n nodes, clockwise.
void set_rectangle(Model& m, int n) {
    for (int j = 1; j <= n; ++j) {
        const double d = 22.0 * (j - 1) / n;
        double x, z;
        if (d < 1.0) { x = 0.0; z = d; }
        else if (d < 11.0) { x = d - 1.0; z = 1.0; }
        else if (d < 12.0) { x = 10.0; z = 12.0 - d; }
        else { x = 22.0 - d; z = 0.0; }
        m.NODE_PROPERTIES.X_BND[j] = x;
        m.NODE_PROPERTIES.Z_BND[j] = z;
    }
    m.CONFIG_BOUND.N_BND = n;
}

TEST(KernelIntegrals, KeptIntegralsGiveTheSameMatrixAsAFreshIntegration) {
    AquiferSolverSettings reuse, plain;
    plain.reuse = false;
    reuse.threads = 2;
    Solver kept(1), fresh(1);
    kept.model->aquifer_solver.configure(reuse);
    fresh.model->aquifer_solver.configure(plain);
    const auto both = [&](auto change) {
        change(*kept.model);
        change(*fresh.model);
        MATRIX(*kept.model);
        MATRIX(*fresh.model);
    };
    const auto expect_same = [&](const char* stage) {
        const int n = kept.model->CONFIG_BOUND.N_BND;
        for (int j = 1; j <= n; ++j)
            for (int i = 1; i <= n; ++i) {
                ASSERT_TRUE(same_bits(kept.model->COE_MATRIX.H_COEF(i, j), fresh.model->COE_MATRIX.H_COEF(i, j)))
                    << stage << " H(" << i << ", " << j << ")";
                ASSERT_TRUE(same_bits(kept.model->COE_MATRIX.G_COEF(i, j), fresh.model->COE_MATRIX.G_COEF(i, j)))
                    << stage << " G(" << i << ", " << j << ")";
            }
    };
    both([](Model& m) { set_rectangle(m, 44); });
    expect_same("first");
    both([](Model& m) {
        m.NODE_PROPERTIES.Z_BND[8] = m.NODE_PROPERTIES.Z_BND[8] + 0.01;
        m.NODE_PROPERTIES.X_BND[30] = std::nextafter(m.NODE_PROPERTIES.X_BND[30], 100.0);
    });
    expect_same("two nodes moved");
    both([](Model&) {});
    expect_same("unchanged");
    both([](Model& m) { set_rectangle(m, 40); });
    expect_same("other count");
    both([](Model& m) { m.NODE_PROPERTIES.Z_BND[40] = -0.0; });  // was +0.0: another bit pattern
    expect_same("signed zero");
}

// A node inserted into the face, as a shoreline that moves one element
// adds it, renumbers every node after it: the kept integrals are still
// found by position, and the matrix is still that of a fresh integration.
TEST(KernelIntegrals, RenumberedNodesKeepTheirIntegrals) {
    AquiferSolverSettings reuse, plain;
    plain.reuse = false;
    reuse.threads = 1;
    Solver kept(1), fresh(1);
    kept.model->aquifer_solver.configure(reuse);
    fresh.model->aquifer_solver.configure(plain);
    const auto insert_after = [](Model& m, int a) {
        auto& nodes = m.NODE_PROPERTIES;
        const int n = m.CONFIG_BOUND.N_BND;
        for (int j = n; j > a; --j) {
            nodes.X_BND[j + 1] = nodes.X_BND[j];
            nodes.Z_BND[j + 1] = nodes.Z_BND[j];
        }
        nodes.X_BND[a + 1] = (nodes.X_BND[a] + nodes.X_BND[a + 2]) * 0.5;
        nodes.Z_BND[a + 1] = (nodes.Z_BND[a] + nodes.Z_BND[a + 2]) * 0.5 + 0.01;
        m.CONFIG_BOUND.N_BND = n + 1;
    };
    const auto both = [&](auto change) {
        change(*kept.model);
        change(*fresh.model);
        MATRIX(*kept.model);
        MATRIX(*fresh.model);
        const int n = kept.model->CONFIG_BOUND.N_BND;
        for (int j = 1; j <= n; ++j)
            for (int i = 1; i <= n; ++i) {
                ASSERT_TRUE(same_bits(kept.model->COE_MATRIX.H_COEF(i, j), fresh.model->COE_MATRIX.H_COEF(i, j)))
                    << n << " nodes, H(" << i << ", " << j << ")";
                ASSERT_TRUE(same_bits(kept.model->COE_MATRIX.G_COEF(i, j), fresh.model->COE_MATRIX.G_COEF(i, j)))
                    << n << " nodes, G(" << i << ", " << j << ")";
            }
    };
    const auto& k = kept.model->aquifer_solver.kernels;
    both([](Model& m) { set_rectangle(m, 44); });
    EXPECT_EQ(k.pairs_kept, 0u);
    // 44 nodes found again; element 3 is now two new ones.
    both([&](Model& m) { insert_after(m, 3); });
    EXPECT_EQ(k.pairs_kept, 44u * 43u);
    both([](Model& m) { set_rectangle(m, 44); });
    EXPECT_EQ(k.pairs_kept, 44u * 43u);
    // The last node and the closing element: node 44 moves to the end.
    both([&](Model& m) { insert_after(m, 43); });
    EXPECT_EQ(k.pairs_kept, 44u * 43u);
    both([](Model&) {});
    EXPECT_EQ(k.pairs_kept, 45u * 45u);
}

}  // namespace
}  // namespace tidmor
