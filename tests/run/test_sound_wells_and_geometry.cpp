// Whole runs of wells near the boundary and of outlines the aquifer cannot
// hold; the warnings of legal but odd input; the start-up check.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run/run_case.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;
using namespace tidmor::testing;

const char* const RESULT_FILES[] = {"outw.dat", "outb.dat", "outg.dat", "outs.dat"};

// A 1 m thick aquifer with a level water table under waves of 0.5 m and 8 s
// (the regression case aquifer_with_well), with the values given.
struct Beach {
    std::string t_max = "4.0", n_out = "50", switches = "1 0";
    std::string f_fric = "0.01", eff_on = "0.6";
    std::string q_well = "0.00001", x_well = "15.0", z_well = "0.5";
    std::string l_elem = "0.5";
    std::string text() const {
        return "0.5 8.0\n0.1 0.001 1.0 1.0 20.0\n" + q_well + " " + x_well + " " + z_well + "\n" + t_max + " " +
               n_out + "\n" + switches + "\n" + f_fric + " " + eff_on + " 0.5 0.63\n0.0141 0.01 " + l_elem +
               "\n0.5\n";
    }
};

fs::path case_dir(const std::string& label, const std::string& input) {
    const fs::path dir = make_scratch_dir(label);
    write_file(dir / "SIM.FILE", "beach.dat\n");
    write_file(dir / "beach.dat", input);
    return dir;
}

RunResult run(const std::string& label, const Beach& beach, fs::path* kept = nullptr) {
    const fs::path dir = case_dir(label, beach.text());
    RunResult result = run_model_in(dir);
    if (kept != nullptr)
        *kept = dir;
    else
        fs::remove_all(dir);
    return result;
}

TEST(SoundWells, HalfAnElementAboveTheBottomOfAThinAquiferRunsWithItsWarning) {
    Beach beach;
    beach.l_elem = "1.0";
    beach.z_well = "0.5";
    const RunResult result = run("well-half-element", beach);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors,
              "tidmor: warning: the well at X_WELL = 15, Z_WELL = 0.5 lies 0.5 m from the water table (the element "
              "from (14, 1) to (16, 1)), less than one element length (L_ELEM = 1 m): the elements of that boundary "
              "cannot resolve the well's flow there; its face flow and heads are rough near the well (an L_ELEM of "
              "at most 0.5 m would resolve it)\n");
}

TEST(SoundWells, AQuarterElementAndAHairInsideRunsAHairLessIsRefusedBeforeAnyFileIsTouched) {
    Beach beach;
    beach.z_well = "0.1250000001";  // L_ELEM / 4 = 0.125 m above the bottom, and a hair
    const RunResult inside = run("well-quarter-hair", beach);
    EXPECT_EQ(inside.status, 0) << inside.errors;
    EXPECT_NE(inside.errors.find("less than one element length"), std::string::npos) << inside.errors;

    beach.z_well = "0.1249999999";
    const fs::path dir = case_dir("well-quarter-less", beach.text());
    for (const char* name : RESULT_FILES) write_file(dir / name, "earlier\n");
    const RunResult refused = run_model_in(dir);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.errors.find("closer than a quarter of an element length, L_ELEM/4 = 0.125 m"),
              std::string::npos)
        << refused.errors;
    for (const char* name : RESULT_FILES) EXPECT_EQ(read_file(dir / name), "earlier\n") << name;
    EXPECT_EQ(refused.console, "");
    fs::remove_all(dir);
}

TEST(SoundGeometry, ASwashPastTheLandwardSideStopsWithStatusTwo) {
    Beach beach;
    beach.f_fric = "0";
    beach.t_max = "40.0";
    const RunResult result = run("run-up-past-land", beach);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.errors,
              "tidmor: run stopped: impossible aquifer geometry (step 299, TIME = 7.907418 s): beach-face node 22 "
              "at x = 20.235485733291274 m, z = 2.0235485733291276 m lies outside the aquifer (0 <= x <= X_LAND = "
              "20 m); likely cause: the swash runs up beyond the aquifer's landward side (the shoreline at x = "
              "20.235485733291274 m); make X_LAND larger than the run-up (a larger F_FRIC, now 0, shortens it)\n");
}

TEST(SoundGeometry, ABedErodedBelowTheBottomIsToldOnceThenACutThroughItStops) {
    // The drained beach of the examples with EFF_ON 600.
    const fs::path dir = case_dir("bed-below-bottom",
                                  "0.5 8.0\n0.1 0.02 1.0 1.2 25.0\n0.0016 20.0 0.55\n964.0 50\n1 1\n"
                                  "0.01 600 0.5 0.63\n0.0141 0.01 0.5\n0.5\n");
    const RunResult result = run_model_in(dir);
    fs::remove_all(dir);
    EXPECT_EQ(result.status, 2);
    const std::string& e = result.errors;
    EXPECT_EQ(e.rfind("tidmor: warning: EFF_ON = 600 is above 1: a transport efficiency is the share of the flow's "
                      "work spent on moving sand",
                      0),
              0u)
        << e;
    const std::size_t below = e.find("tidmor: warning: the bed at x = ");
    ASSERT_NE(below, std::string::npos) << e;
    EXPECT_EQ(e.find("tidmor: warning: the bed at x = ", below + 1), std::string::npos) << "told once: " << e;
    EXPECT_NE(e.find("below the aquifer bottom (z = 0)", below), std::string::npos) << e;
    EXPECT_NE(e.find("tidmor: run stopped: impossible aquifer geometry"), std::string::npos) << e;
    EXPECT_NE(e.find("likely cause: the bed eroded through the aquifer bottom"), std::string::npos) << e;
}

TEST(SoundGeometry, AnElementLongerThanTheSubmergedFaceIsRefused) {
    for (const std::string l : {"500", "1e+15"}) {
        Beach beach;
        beach.l_elem = l;
        beach.q_well = "0";
        const RunResult result = run("long-element", beach);
        EXPECT_EQ(result.status, 1) << l;
        EXPECT_EQ(result.errors, "tidmor: rejected input: aquifer mesh: L_ELEM = " + l +
                                     " m is longer than the submerged beach face, D_SEA/TAN_BETA = 10 m; L_ELEM must "
                                     "lie above 0.1 m and at most 10 m (file \"beach.dat\")\n")
            << l;
    }
}

TEST(SnapshotWarnings, EveryStepOrNoStepASnapshotStepIsTold) {
    Beach beach;
    beach.switches = "0 0";
    beach.n_out = "1";
    const RunResult every = run("every-step", beach);
    EXPECT_EQ(every.status, 0);
    EXPECT_EQ(every.errors.rfind("tidmor: warning: N_OUT = 1: every step of the last four wave periods is a snapshot "
                                 "step",
                                 0),
              0u)
        << every.errors;
    beach.n_out = "5000";
    const RunResult none = run("no-step", beach);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.errors.rfind("tidmor: warning: N_OUT = 5000: none of the 157 steps of the last four wave "
                                "periods (from TIME = 0.03190466 s, steps 1 to 157)",
                                0),
              0u)
        << none.errors;
    EXPECT_NE(none.errors.find("was a snapshot step: \"outw.dat\" and \"outg.dat\" hold no snapshot"),
              std::string::npos)
        << none.errors;
}

TEST(SnapshotWarnings, AWarningDuringTheRunClearsTheProgressLineFirst) {
    Beach beach;
    beach.switches = "0 0";
    beach.n_out = "5000";
    const fs::path dir = case_dir("warning-beside-progress", beach.text());
    const std::string command = "cd '" + dir.string() + "' && '" TIDMOR_EXECUTABLE "' --progress > stdout 2> stderr";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string errors = read_file(dir / "stderr");
    const std::size_t warning = errors.find("tidmor: warning: N_OUT = 5000: none of the ");
    ASSERT_NE(warning, std::string::npos) << errors;
    // The progress line drawn before it is blanked out, back to column 1.
    ASSERT_GT(warning, 2u);
    EXPECT_EQ(errors.substr(warning - 2, 2), " \r") << errors;
    fs::remove_all(dir);
}

TEST(StartUpCheck, ReportsTheRelaxedAquiferAndWritesNoResultFile) {
    const fs::path dir = make_scratch_dir("check");
    const fs::path example = fs::path(TIDMOR_SOURCE_DIR) / "examples" / "drained_beach";
    fs::copy_file(example / "SIM.FILE", dir / "SIM.FILE");
    fs::copy_file(example / "beach.dat", dir / "beach.dat");
    write_file(dir / "outg.dat", "earlier\n");
    const fs::path out = make_scratch_dir("check-streams");
    const std::string command = "cd '" + out.string() + "' && '" TIDMOR_EXECUTABLE "' --check '" + dir.string() +
                                "' > stdout 2> stderr";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string report = read_file(out / "stdout");
    EXPECT_EQ(read_file(out / "stderr"), "");
    for (const char* part :
         {" start-up check: the input is accepted; no result file was written\n",
          " aquifer start-up: 60 boundary nodes at rest, 10 sweeps of the relaxation in ",
          " lowest water table at rest: z = 0.9607 m at x = 17.61 m (node 31; H_LAND = 1.2 m, D_SEA = 1 m)\n",
          " longest water-table element at rest: 5.786 m, from x = 19.22 m to x = 25 m, 11.57 L_ELEM",
          " well at x = 20 m, z = 0.55 m, Q_WELL/K_HYD = 0.08 m: 0.55 m from the bottom as generated (1.1 L_ELEM), "
          "0.4429 m from the water table at rest (0.8857 L_ELEM)",
          " a wave period: at least 251 steps (T_WAVE = 8 s); each step solves the aquifer, at most "})
        EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;
    EXPECT_EQ(read_file(dir / "outg.dat"), "earlier\n");
    for (const char* name : {"outw.dat", "outb.dat", "outs.dat"}) EXPECT_FALSE(fs::exists(dir / name)) << name;
    fs::remove_all(out);
    fs::remove_all(dir);
}

TEST(StartUpCheck, AFailingStartUpEndsWithTheRunsStatusAndMessage) {
    Beach beach;
    beach.q_well = "0.0004";  // Q_WELL/K_HYD = 0.4 m: the water table is drawn onto the well
    beach.z_well = "0.6";
    const fs::path dir = case_dir("check-fails", beach.text());
    const fs::path out = make_scratch_dir("check-fails-streams");
    const std::string command = "cd '" + dir.string() + "' && '" TIDMOR_EXECUTABLE "' --check > '" +
                                (out / "stdout").string() + "' 2> '" + (out / "stderr").string() + "'";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    EXPECT_EQ(read_file(out / "stdout"), "");
    EXPECT_NE(read_file(out / "stderr").find("Q_WELL/K_HYD = 0.4 m too large for this aquifer"), std::string::npos)
        << read_file(out / "stderr");
    for (const char* name : RESULT_FILES) EXPECT_FALSE(fs::exists(dir / name)) << name;
    fs::remove_all(out);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tidmor
