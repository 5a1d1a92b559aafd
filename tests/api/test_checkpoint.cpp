// The checkpoint's form: the model state comes back with every bit, in a
// layout fixed byte by byte; a damaged or misfitting state is refused.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>

#include "api/checkpoint.hpp"
#include "api/model_state.hpp"
#include "api/simulation.hpp"

namespace tidmor {
namespace {

std::string example(const char* name) { return std::string(TIDMOR_SOURCE_DIR) + "/examples/" + name; }

TEST(ModelState, ComesBackBitForBitAfterSteps) {
    SimulationOptions options;
    options.write_results = false;
    Simulation sim(example("coupled_beach"), options);
    sim.initialize();
    for (int k = 0; k < 40; ++k) sim.update();
    const std::string state = encode_model_state(sim.model());
    auto restored = make_model();
    decode_model_state(state, *restored);
    EXPECT_TRUE(encode_model_state(*restored) == state);
    EXPECT_EQ(restored->N_CAL.N_STEP, 40.0);
    EXPECT_EQ(restored->CONFIG_BOUND.N_BND, sim.model().CONFIG_BOUND.N_BND);
    for (int j = 1; j <= sim.grid_nodes(); ++j)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(restored->WAVE.U_ND[j]),
                  std::bit_cast<std::uint64_t>(sim.model().WAVE.U_ND[j]))
            << "U_ND at node " << j;
}

TEST(ModelState, KeepsSignedZerosAndNaNsAndTrailingZeros) {
    auto m = make_model();
    m->WAVE.U_ND[1] = -0.0;  // the last entry that is not all zero bits
    m->WAVE.H_ND[3] = std::numeric_limits<double>::quiet_NaN();
    m->NODE_PROPERTIES.KODE_BND[2] = 4;
    auto restored = make_model();
    restored->WAVE.U_ND[7] = 1.0;  // cleared by the decode
    decode_model_state(encode_model_state(*m), *restored);
    EXPECT_TRUE(std::signbit(restored->WAVE.U_ND[1]));
    EXPECT_TRUE(std::isnan(restored->WAVE.H_ND[3]));
    EXPECT_EQ(restored->WAVE.U_ND[7], 0.0);
    EXPECT_EQ(restored->NODE_PROPERTIES.KODE_BND[2], 4);
}

TEST(ModelState, RefusesAStateCutShortOrWithMoreData) {
    auto m = make_model();
    const std::string state = encode_model_state(*m);
    auto restored = make_model();
    EXPECT_THROW(decode_model_state(state.substr(0, state.size() - 3), *restored), std::runtime_error);
    EXPECT_THROW(decode_model_state(state + "x", *restored), std::runtime_error);
}

TEST(CheckpointForm, IsLittleEndianWithAFixedHeader) {
    CheckpointHeader h;
    h.program = "tidmor 1.0";
    h.periods_closed = 0x0102030405060708ull;
    h.bed_below_bottom_told = true;
    h.snapshots = {157, 0.03190466, true};
    const std::string bytes = encode_checkpoint(h, "STATE");
    ASSERT_EQ(bytes.substr(0, 18), "TIDMOR checkpoint\n");
    EXPECT_EQ(bytes.substr(18, 4), std::string("\x02\x00\x00\x00", 4));   // format 2
    EXPECT_EQ(bytes.substr(22, 4), std::string("\x0a\x00\x00\x00", 4));   // length of the program text
    EXPECT_EQ(bytes.substr(26, 10), "tidmor 1.0");
    EXPECT_EQ(bytes.substr(36 + 64, 8), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));
    const std::size_t size = 18 + 4 + 4 + 10 + 64 + 8 + 1 + 8 + 18 + 4 * 40 + 8 + 5 + 32;
    EXPECT_EQ(bytes.size(), size);
    const DecodedCheckpoint back = decode_checkpoint(bytes);
    EXPECT_EQ(back.header.program, "tidmor 1.0");
    EXPECT_EQ(back.header.periods_closed, h.periods_closed);
    EXPECT_TRUE(back.header.bed_below_bottom_told);
    EXPECT_EQ(back.header.snapshots.window_steps, 157);
    EXPECT_EQ(back.header.snapshots.window_start, 0.03190466);
    EXPECT_TRUE(back.header.snapshots.snapshot_seen);
    EXPECT_EQ(back.state, "STATE");
}

}  // namespace
}  // namespace tidmor
