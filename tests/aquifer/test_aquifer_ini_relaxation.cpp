// The relaxation of the water table to rest and the reference mesh.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "aquifer/aquifer_ini.hpp"
#include "aquifer_ini_fixture.hpp"
#include "common/number_format.hpp"
#include "common/run_failure.hpp"
#include "common/units.hpp"

namespace tidmor {
namespace {

struct RelaxationTest : AquiferIniFixture {
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(console.str());
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    static double value(const std::string& line) { return std::stod(line); }
    static std::string console_line(double ratio) {
        std::ostringstream line;
        write_console(line, format_double(ratio));
        return line.str();
    }
};

TEST_F(RelaxationTest, SeepageFaceCaseConvergesToARestingWaterTable) {
    // Generated: NA = 11, XC = 12, NF = int(8/2 - 1) = 3, NL = int(2.2) = 2 -> 3,
    // NB = int(20/2 - 1) = 9: N_BND = 28, N_FACE = 13.
    beach(1.0, 0.1, 1.0, 1.2, 20.0);
    AQUIFER_INI(m, units);
    EXPECT_EQ(m.TI_ME.DT_AQ, 360.0);

    const auto out = lines();
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out.front() + "\n", console_line(1.0));
    for (std::size_t s = 0; s < out.size(); ++s) {
        ASSERT_EQ(out[s].size(), 25u) << "sweep " << s + 1 << ": '" << out[s] << "'";
        if (s + 1 < out.size()) {
            EXPECT_GT(value(out[s]), SWEEP_CONVERGENCE) << "sweep " << s + 1;
        }
    }
    EXPECT_LE(value(out.back()), SWEEP_CONVERGENCE);

    // The counts keep the water table; nodes removed at the face, if any,
    // shorten the face and the boundary alike.
    const auto& c = m.CONFIG_BOUND;
    EXPECT_EQ(c.N_FREE, 3);
    EXPECT_EQ(c.N_BND - c.N_FACE, 28 - 13);
    const auto& n = m.NODE_PROPERTIES;
    double previous = m.WAVE_CONSD.D_SEA;
    for (int j = c.N_FACE + 1; j <= c.N_FACE + c.N_FREE; ++j) {
        EXPECT_EQ(n.KODE_BND[j], 3) << "node " << j;
        EXPECT_EQ(n.Z_BND[j], n.PHI_BND[j]) << "node " << j;
        // Between the sea and the landward level, rising landward.
        EXPECT_GT(n.Z_BND[j], previous) << "node " << j;
        EXPECT_LT(n.Z_BND[j], 1.2) << "node " << j;
        previous = n.Z_BND[j];
    }

    // Reference mesh: the same nodes, water table and last face node
    // head-given.
    const auto& r = m.FINAL_INI;
    EXPECT_EQ(m.FINAL_INIC.N_BND0, c.N_BND);
    EXPECT_EQ(m.FINAL_INIC.N_FACE0, c.N_FACE);
    EXPECT_EQ(m.FINAL_INIC.N_FREE0, c.N_FREE);
    for (int j = 1; j <= c.N_BND; ++j) {
        EXPECT_EQ(r.X_BND0[j], n.X_BND[j]) << "node " << j;
        EXPECT_EQ(r.Z_BND0[j], n.Z_BND[j]) << "node " << j;
        EXPECT_EQ(r.PHI_BND0[j], n.PHI_BND[j]) << "node " << j;
        EXPECT_EQ(r.Q_BND0[j], n.Q_BND[j]) << "node " << j;
        const int expected = j == c.N_FACE || n.KODE_BND[j] == 3 ? 1 : n.KODE_BND[j];
        EXPECT_EQ(r.KODE_BND0[j], expected) << "node " << j;
    }
}

TEST_F(RelaxationTest, ExitPointMergesWithItsSeawardNeighbours) {
    // Generated: NA = 21, seepage node, exit point, NF = 17, NL = 3, NB = 29:
    // 72 nodes, 23 on the face. The exit point falls onto the seepage node
    // (which it absorbs) and then onto the last submerged node (into which
    // it is absorbed): the water table starts directly at the submerged
    // face. Each removal shifts the water table by one index, and the
    // index-wise movement of those two sweeps stands out as a jump of the
    // ratio.
    beach(0.5, 0.1, 1.0, 1.2, 30.0);
    const auto start = std::chrono::steady_clock::now();
    AQUIFER_INI(m, units);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto out = lines();
    std::printf("[ timing   ] %zu sweeps of %d nodes, %.2f ms per sweep\n", out.size(), m.CONFIG_BOUND.N_BND,
                1e3 * seconds / static_cast<double>(out.size()));

    EXPECT_EQ(m.CONFIG_BOUND.N_BND, 70);
    EXPECT_EQ(m.CONFIG_BOUND.N_FACE, 21);
    EXPECT_EQ(m.CONFIG_BOUND.N_FREE, 17);
    EXPECT_EQ(m.NODE_PROPERTIES.KODE_BND[21], 1);
    EXPECT_EQ(m.NODE_PROPERTIES.X_BND[21], 10.0);
    EXPECT_EQ(m.NODE_PROPERTIES.KODE_BND[22], 3);
    EXPECT_EQ(m.FINAL_INI.KODE_BND0[21], 1);
    int jumps = 0;
    for (std::size_t s = 1; s < out.size(); ++s)
        if (value(out[s]) > 2.0 * value(out[s - 1])) ++jumps;
    EXPECT_EQ(jumps, 2);
}

TEST_F(RelaxationTest, NoWaterTableMeansNoMovementAndOneSweep) {
    // NF = int((16 - 15)/2 - 1) = 0: the first sweep moves nothing, its
    // ratio is printed as 0 and the relaxation stops.
    beach(1.0, 0.1, 1.0, 1.5, 16.0);
    AQUIFER_INI(m, units);
    EXPECT_EQ(console.str(), console_line(0.0));
    EXPECT_EQ(m.CONFIG_BOUND.N_FREE, 0);
}

TEST_F(RelaxationTest, MeshTheArraysCannotHoldIsRejected) {
    beach(0.05, 0.1, 1.0, 1.5, 100.0);
    try {
        AQUIFER_INI(m, units);
        FAIL();
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
        EXPECT_NE(std::string(failure.what()).find("L_ELEM = 0.05"), std::string::npos) << failure.what();
    }
    EXPECT_EQ(console.str(), "");
}

}  // namespace
}  // namespace tidmor
