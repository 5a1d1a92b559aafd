// Result-file layouts, the snapshot schedule and the closing of a wave period.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "common/run_failure.hpp"
#include "output/output.hpp"

namespace tidmor {
namespace {

struct OutputFixture : ::testing::Test {
    std::unique_ptr<Model> model = make_model();
    Model& m = *model;
    Units units;
    std::ostringstream outw, outb, outg, outs;

    void SetUp() override {
        units.outw.stream = &outw;
        units.outb.stream = &outb;
        units.outg.stream = &outg;
        units.outs.stream = &outs;
        m.WAVE_CONSD.T_WAVE = 8.0;
        m.TIME_RELATED.T_MAX = 100.0;
        m.N_CAL.N_OUT = 1.0;
    }

    void two_node_boundary() {
        m.CONFIG_BOUND.N_BND = 2;
        m.CONFIG_BOUND.N_FACE = 1;
        auto& n = m.NODE_PROPERTIES;
        n.X_BND[1] = 10.1;
        n.Z_BND[1] = 1.01;
        n.PHI_BND[1] = 1.0;
        n.Q_BND[1] = -0.0123456789;
        n.X_BND[2] = 15.0;
        n.Z_BND[2] = 1.5;
        n.PHI_BND[2] = 1.5;
        n.Q_BND[2] = 2.5e-7;
    }

    // Steps at which OUTPUT wrote a wave snapshot, over steps 1..count.
    std::vector<int> snapshot_steps(int count) {
        std::vector<int> steps;
        for (int s = 1; s <= count; ++s) {
            m.N_CAL.N_STEP = s;
            const auto before = outw.str().size();
            OUTPUT(m, units);
            if (outw.str().size() != before) steps.push_back(s);
        }
        return steps;
    }
};

TEST_F(OutputFixture, AquiferOffWritesOneEmptyLinePerBlock) {
    OUTPUT_INI(m, units);
    EXPECT_EQ(outg.str(), "\n");
    m.TIME_RELATED.TIME = 99.0;
    m.N_CAL.N_STEP = 1;
    OUTPUT(m, units);
    EXPECT_EQ(outg.str(), "\n\n");
    // No wet node: the wave snapshot is one empty line too.
    EXPECT_EQ(outw.str(), "\n");
}

TEST_F(OutputFixture, InitialAquiferBlockHasFieldsOfThirteen) {
    two_node_boundary();
    OUTPUT_INI(m, units);
    EXPECT_EQ(outg.str(),
              "    10.100000    10.100000     1.010000     1.000000    -0.012346\n"
              "    10.100000    15.000000     1.500000     1.500000     0.000000\n");
}

TEST_F(OutputFixture, SnapshotAquiferBlockHasFieldsOfTwelve) {
    two_node_boundary();
    m.TIME_RELATED.TIME = 99.0;
    m.N_CAL.N_STEP = 3;
    OUTPUT(m, units);
    EXPECT_EQ(outg.str(),
              "   10.100000   10.100000    1.010000    1.000000   -0.012346\n"
              "   10.100000   15.000000    1.500000    1.500000    0.000000\n");
}

TEST_F(OutputFixture, WaveSnapshotLines) {
    m.WAVE_CONSI.N_SHORE = 2;
    m.DIFFX.DX = 0.25;
    m.TIME_RELATED.TIME = 96.123;
    m.WAVE.H_DIM[1] = 1.0;
    m.WAVE.U_DIM[1] = -0.125;
    m.WAVE.H_DIM[2] = 1000.0;  // too wide for 14 characters with 10 decimals
    m.WAVE.U_DIM[2] = -100.0;
    m.INFILTRATION.INFIL[2] = -1.5e-5;
    m.N_CAL.N_STEP = 7;
    OUTPUT(m, units);
    EXPECT_EQ(outw.str(),
              "         96.12  0.0000000000  1.0000000000 -0.1250000000  0.0000000000\n"
              "         96.12  0.2500000000**************************** -0.0000150000\n");
}

TEST_F(OutputFixture, FractionalIntervalTakesEveryFifthStep) {
    m.N_CAL.N_OUT = 2.5;
    m.TIME_RELATED.TIME = 99.0;
    EXPECT_EQ(snapshot_steps(16), (std::vector<int>{5, 10, 15}));
}

TEST_F(OutputFixture, SnapshotsOnlyStrictlyInsideTheLastFourPeriods) {
    m.TIME_RELATED.TIME = 100.0 - 4 * 8.0;
    EXPECT_TRUE(snapshot_steps(3).empty());
    m.TIME_RELATED.TIME = std::nextafter(68.0, 100.0);
    EXPECT_EQ(snapshot_steps(2), (std::vector<int>{1, 2}));
}

TEST_F(OutputFixture, PeriodClosingClearsSumsAndKeepsNetTransport) {
    m.SED_INT.N_GRID = 3;
    auto& p = m.BEACH_PROFILE;
    for (int j = 1; j <= 4; ++j) {
        p.QS_ON[j] = j;
        p.QS_OFF[j] = -j;
        p.QS_NET[j] = 0.5 * j;
    }
    m.SED_TRANS.T_CYCLE = 7.9;
    OUTPUT(m, units);
    EXPECT_EQ(m.SED_TRANS.T_CYCLE, 7.9);
    EXPECT_EQ(p.QS_ON[1], 1.0);

    m.SED_TRANS.T_CYCLE = 8.0;
    OUTPUT(m, units);
    EXPECT_EQ(m.SED_TRANS.T_CYCLE, 0.0);
    for (int j = 1; j <= 3; ++j) {
        EXPECT_EQ(p.QS_ON[j], 0.0);
        EXPECT_EQ(p.QS_OFF[j], 0.0);
        EXPECT_EQ(p.QS_NET_OLD[j], 0.5 * j);
        EXPECT_EQ(p.QS_NET[j], 0.0);
    }
    // Beyond the grid nothing is touched.
    EXPECT_EQ(p.QS_ON[4], 4.0);
    // Fewer than ten counted periods: no profile and no swash record.
    EXPECT_EQ(outb.str(), "");
    EXPECT_EQ(outs.str(), "");
}

TEST_F(OutputFixture, TenthPeriodWritesProfileAndSwashRecords) {
    m.SED_INT.N_GRID = 2;
    m.N_CAL.N_PERIOD = 10;
    m.TIME_RELATED.TIME = 1234567.0;  // too wide for 13 characters with 6 decimals
    auto& p = m.BEACH_PROFILE;
    p.QS_ON[1] = 0.001;
    p.QS_OFF[1] = -0.002;
    p.Z_BED[1] = 0.0;
    p.QS_ON[2] = 0.0;
    p.QS_OFF[2] = 0.0;
    p.Z_BED[2] = 0.0221;
    m.RUNUP.X_DOWN = 12.5;
    m.RUNUP.X_UP = 19.75;
    m.RUNUP.SLOPE_SWASH = 0.1;
    m.SED_TRANS.T_CYCLE = 9.0;
    OUTPUT(m, units);
    EXPECT_EQ(outb.str(),
              "*************     0.001000    -0.002000     0.000000\n"
              "*************     0.000000     0.000000     0.022100\n");
    EXPECT_EQ(outs.str(), "   12.500000   19.750000    0.100000\n");
    EXPECT_EQ(m.N_CAL.N_PERIOD, 0.0);
}

TEST_F(OutputFixture, FailedWriteIsFatal) {
    outb.setstate(std::ios::badbit);
    m.SED_INT.N_GRID = 1;
    m.N_CAL.N_PERIOD = 10;
    m.SED_TRANS.T_CYCLE = 9.0;
    try {
        OUTPUT(m, units);
        FAIL() << "a failed write went unnoticed";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
        EXPECT_NE(std::string(failure.what()).find("outb.dat"), std::string::npos) << failure.what();
    }
}

}  // namespace
}  // namespace tidmor
