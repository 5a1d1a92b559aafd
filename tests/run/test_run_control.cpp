// Start-up, the progress line and the ends of a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run/run_case.hpp"
#include "run/tidmor.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

// A small valid case: waves of 0.5 m and 8 s on a beach of slope 0.1.
const char* const SMALL_CASE =
    "0.5 8.0          H_WAVE T_WAVE\n"
    "0.1 0.001 1.0 1.2 25.0   TAN_BETA K_HYD D_SEA H_LAND X_LAND\n"
    "0.0 0.0 0.0      Q_WELL X_WELL Z_WELL\n"
    "-1.0 1000.0      T_MAX N_OUT\n"
    "0 0              I_INFIL I_MORPH\n"
    "0.01 0.6 0.5 0.63   F_FRIC EFF_ON EFF_OFF TAN_PHI\n"
    "0.0141 0.01 0.5  DX_ND H_CUT L_ELEM\n"
    "0.5              DAMP1\n";

TEST(ProgressLine, HoldsTimeShorelineAndBedLoweringIn75Characters) {
    auto model = make_model();
    Model& m = *model;
    m.TIME_RELATED.TIME = 16.5;
    m.WAVE_CONSI.N_SHORE = 40;
    m.CONSTS.TAN_BETA = 0.125;
    m.CROSS_DIS.X_NODE[40] = 8.0;
    m.BEACH_PROFILE.Z_BED[40] = 0.5;
    std::string line = " ";
    line += progress_line(m);
    EXPECT_EQ(line, " Elapsed time:   16.50000    N_shoreline:          40  dZ_b:  0.5000000    ");
    EXPECT_EQ(line.size(), 75u);
    // An untouched plane beach shows no lowering.
    m.BEACH_PROFILE.Z_BED[40] = 1.0;
    EXPECT_EQ(progress_line(m).substr(52), "  dZ_b:  0.0000000E+00");
}

TEST(StartUp, MissingControlFileIsFatalAndCreatesNoResultFile) {
    const fs::path dir = make_scratch_dir("no-control");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("SIM.FILE"), std::string::npos) << result.errors;
    EXPECT_FALSE(fs::exists(dir / "outw.dat"));
    fs::remove_all(dir);
}

TEST(StartUp, MissingInputFileIsNamed) {
    const fs::path dir = make_scratch_dir("no-input");
    write_file(dir / "SIM.FILE", "absent.dat\n");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("absent.dat"), std::string::npos) << result.errors;
    fs::remove_all(dir);
}

TEST(StartUp, RejectedInputLeavesEarlierResultsUntouched) {
    const fs::path dir = make_scratch_dir("rejected");
    write_file(dir / "SIM.FILE", "beach.dat\n");
    std::string input = SMALL_CASE;
    input.replace(0, 3, "0.0");  // H_WAVE = 0
    write_file(dir / "beach.dat", input);
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"}) write_file(dir / name, "earlier run\n");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("H_WAVE"), std::string::npos) << result.errors;
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"})
        EXPECT_EQ(read_file(dir / name), "earlier run\n") << name;
    fs::remove_all(dir);
}

TEST(ResultFiles, AFileThatCannotBeCreatedIsFatal) {
    const fs::path dir = make_scratch_dir("uncreatable");
    write_file(dir / "SIM.FILE", "beach.dat\n");
    write_file(dir / "beach.dat", SMALL_CASE);
    fs::create_directory(dir / "outb.dat");
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("cannot create the result file \"outb.dat\": Is a directory"), std::string::npos) << result.errors;
    fs::remove_all(dir);
}

TEST(TimeLoop, NonPositiveDurationStillRunsOneStep) {
    const fs::path dir = make_scratch_dir("one-step");
    write_file(dir / "SIM.FILE", "beach.dat\n");
    write_file(dir / "beach.dat", SMALL_CASE);
    const RunResult result = run_model_in(dir);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.console,
              " SIMULATION HAS BEEN FINISHED!\n"
              " I AM SURE, YOU WANT TO SEE THE RESULTS NOW.\n");
    // With T_MAX < 0 the single step lies in the last four periods and
    // N_STEP = 1 is a multiple of N_OUT = 1000 only within the tolerance: no
    // wave snapshot; the aquifer being off, "outg.dat" holds one empty line.
    EXPECT_EQ(read_file(dir / "outg.dat"), "\n");
    EXPECT_EQ(read_file(dir / "outw.dat"), "");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tidmor
