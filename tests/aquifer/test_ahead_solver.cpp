// Boundary systems solved ahead after a profile update: the steps of the
// next period take them to the same bits as their own solves would give,
// and a solve ahead that fails leaves its geometry to the step that meets it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "aquifer/ahead_solver.hpp"
#include "aquifer/dinfil_model.hpp"
#include "common/run_failure.hpp"
#include "test_aquifer_rec_mesh.hpp"

namespace tidmor {
namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; }

// The test beach of the boundary rebuild with a well, solved with two
// threads and reuse (ahead) or plainly.
struct Beaches {
    std::unique_ptr<Model> ahead = beach(true);
    std::unique_ptr<Model> plain = beach(false);
    std::ostringstream console;
    Units units;
    GridArray bed = ahead->BEACH_PROFILE.Z_BED;
    int steps = 0;

    Beaches() { units.console = &console; }

    static std::unique_ptr<Model> beach(bool ahead) {
        auto m = testing::reference_beach();
        AquiferSolverSettings options;
        options.threads = ahead ? 2 : 1;
        options.reuse = ahead;
        m->aquifer_solver.configure(options);
        m->WAVE_CONSD.T_WAVE = 8.0;
        m->WAVE_CONSD.H_WAVE = 0.5;
        m->TIME_RELATED.DT = 0.01;
        m->WELL.Q_WELL = 0.01;
        m->WELL.X_WELL = 12.0;
        m->WELL.Z_WELL = 0.4;
        return m;
    }

    // One aquifer step at this shoreline node on both models (a swash that
    // differs at every step); the boundary values compared bit for bit.
    void step(int n_shore) {
        ++steps;
        for (Model* m : {ahead.get(), plain.get()}) {
            m->WAVE_CONSI.N_SHORE = n_shore;
            for (int g = 1; g <= n_shore; ++g) m->WAVE.H_DIM[g] = 0.05 * (n_shore + 1 - g) + 0.01 * steps;
            DINFIL_MODEL(*m, units);
        }
        // The thread takes what it would while the next steps go on, to the
        // end: the counts below do not depend on its speed.
        ahead->aquifer_solver.ahead_solver()->wait_until_idle();
        for (int j = 1; j <= ahead->CONFIG_BOUND.N_BND; ++j) {
            ASSERT_TRUE(same_bits(ahead->NODE_PROPERTIES.PHI_BND[j], plain->NODE_PROPERTIES.PHI_BND[j]))
                << "step " << steps << " node " << j;
            ASSERT_TRUE(same_bits(ahead->NODE_PROPERTIES.Q_BND[j], plain->NODE_PROPERTIES.Q_BND[j]))
                << "step " << steps << " node " << j;
        }
    }

    // The profile update: the bed raised by `lift` everywhere, and the
    // geometries ahead of the step solved, to the end.
    void profile_update(double lift) {
        for (Model* m : {ahead.get(), plain.get()})
            for (int g = 1; g <= m->SED_INT.N_GRID; ++g) m->BEACH_PROFILE.Z_BED[g] = bed[g] + lift;
        ahead->aquifer_solver.profile_updated(*ahead);
        ahead->aquifer_solver.ahead_solver()->wait_until_idle();
    }
};

TEST(AquiferStepAhead, TheNextPeriodTakesTheGeometriesOfTheLastToTheSameBits) {
    Beaches b;
    // Shoreline node 6 lies on the reference face (as every node seaward
    // of it, with the same geometry: dry and wet face nodes give the same
    // matrix), 7, 8 and 9 beyond it (the face re-meshed up to the shoreline).
    for (int n_shore : {6, 7, 8, 7}) b.step(n_shore);
    const AquiferSolver& s = b.ahead->aquifer_solver;
    EXPECT_EQ(s.misses, 3u);
    EXPECT_EQ(s.hits, 1u);
    // The step stands at 7, heading down: 6 and 8 are solved ahead, 7 is
    // left to the step, which meets it first.
    b.profile_update(0.01);
    EXPECT_EQ(s.ahead_solver()->solved(), 2u);
    // Once the step has moved on to 8, 7 is behind it and the thread takes
    // it. Node 9 was not met in the last period: the step solves it.
    for (int n_shore : {8, 7, 6, 9, 7}) b.step(n_shore);
    EXPECT_EQ(s.ahead, 3u);  // first uses of 8, 7 and 6
    EXPECT_EQ(s.misses, 4u);
    EXPECT_EQ(s.hits, 2u);   // 7 again
    // A profile update that changes nothing the boundary is made of: every
    // geometry is in the cache already and none is solved twice.
    b.profile_update(0.01);
    EXPECT_EQ(s.ahead_solver()->solved(), 3u);
    for (int n_shore : {5, 6, 7, 8, 9}) b.step(n_shore);
    EXPECT_EQ(s.hits, 7u);
    EXPECT_EQ(b.plain->aquifer_solver.plain, static_cast<std::uint64_t>(b.steps));
}

TEST(AquiferStepAhead, WithNothingMetBeforeTheNodesAheadOfTheStepAreGuessed) {
    // As at the start of a run: the first period has no last one.
    Beaches b;
    b.profile_update(0.0);
    const AquiferSolver& s = b.ahead->aquifer_solver;
    EXPECT_EQ(s.ahead_solver()->solved(), 0u);  // no step has stood anywhere yet
    b.step(6);
    b.ahead->aquifer_solver.ahead_solver()->wait_until_idle();
    // Up the beach (the way a swash starts): 7 to 10, four nodes ahead.
    EXPECT_EQ(s.ahead_solver()->solved(), 4u);
    // Each step on brings the guesses one node further.
    for (int n_shore : {7, 8, 9, 10, 11}) b.step(n_shore);
    EXPECT_EQ(s.ahead, 5u);
    EXPECT_EQ(s.misses, 1u);
    EXPECT_EQ(s.ahead_solver()->solved(), 9u);  // up to 15
    // Turning back, the step finds what it met on the way up.
    for (int n_shore : {10, 9, 8}) b.step(n_shore);
    EXPECT_EQ(s.hits, 3u);
}

TEST(AquiferStepAhead, ASolveAheadThatFailsLeavesItsGeometryToTheStepThatMeetsIt) {
    Beaches b;
    for (int n_shore : {6, 7}) b.step(n_shore);
    // A shoreline beyond the wave grid of 30 nodes, as no step of a sound
    // run meets: its rebuild stops the run (numerical_failure) on the
    // thread as it would on the step. The step then stands at 5, so the
    // thread takes 6, 7 and 40 in turn.
    b.ahead->aquifer_solver.ahead_solver()->shoreline_met(40);
    b.ahead->aquifer_solver.ahead_solver()->shoreline_met(5);
    b.profile_update(0.02);
    const AquiferSolver& s = b.ahead->aquifer_solver;
    EXPECT_EQ(s.ahead_solver()->solved(), 2u);
    for (int n_shore : {7, 6}) b.step(n_shore);
    EXPECT_EQ(s.ahead, 2u);
    std::string failures[2];
    int k = 0;
    for (Model* m : {b.ahead.get(), b.plain.get()}) {
        m->WAVE_CONSI.N_SHORE = 40;
        try {
            DINFIL_MODEL(*m, b.units);
        } catch (const RunFailure& failure) {
            failures[k] = failure.what();
        }
        ++k;
    }
    EXPECT_NE(failures[0], "");
    EXPECT_EQ(failures[0], failures[1]);
    EXPECT_EQ(b.console.str(), "");
    // The run goes on as before.
    b.step(7);
    EXPECT_EQ(s.hits, 1u);
}

}  // namespace
}  // namespace tidmor
