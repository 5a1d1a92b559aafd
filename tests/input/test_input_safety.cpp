// Input that could only fail or mislead at run time, hostile bytes and
// unbounded lines: rejected at start-up, with the text shown safely.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "input/bounded_line.hpp"
#include "input/control_file.hpp"
#include "input/input_text.hpp"
#include "input/input_warnings.hpp"
#include "input/list_reader.hpp"

namespace tidmor {
namespace {

using testing::at_line;
using testing::read_input;
using testing::rejection;
using testing::with_group;

TEST(InputRejection, FrictionEfficienciesFrictionAngleAndDamping) {
    struct Case {
        int group;
        const char* text;
        const char* message;
        int line;
    };
    const Case cases[] = {
        {6, "-0.01 0.1 0.1 0.63", "group 6: F_FRIC = -0.01 must be 0 or greater (bottom friction factor)", 6},
        {6, "0.01 -0.1 0.1 0.63", "group 6: EFF_ON = -0.1 must be 0 or greater (transport efficiency)", 6},
        {6, "0.01 0.1 -0.1 0.63", "group 6: EFF_OFF = -0.1 must be 0 or greater (transport efficiency)", 6},
        {6, "0.01 0.1 0.1 0", "group 6: TAN_PHI = 0 must be greater than 0 (tangent of the friction angle)", 6},
        {8, "-0.5", "group 8: DAMP1 = -0.5 must be 0 or greater (numerical damping)", 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rejection(with_group(c.group, c.text)), std::string("rejected input: ") + c.message + " " +
                                                                  at_line(c.line));
    // The limits themselves are valid.
    EXPECT_NO_THROW(read_input(with_group(6, "0 0 0 1e-9")));
    EXPECT_NO_THROW(read_input(with_group(8, "0")));
}

TEST(InputRejection, CutOffDepthAtOrAboveTheStillWater) {
    // H_WAVE = 0.5: H_CUT = 2 gives a cut-off of 1 m = D_SEA; the whole grid would be dry.
    EXPECT_EQ(rejection(with_group(7, "0.01 2 0.5")),
              "rejected input: H_CUT * H_WAVE = 1 m must be less than D_SEA = 1 m (water shallower than the "
              "cut-off depth is dry) (input data file \"beach.dat\")");
    EXPECT_NO_THROW(read_input(with_group(7, "0.01 1.99 0.5")));
}

TEST(InputRejection, NonFiniteDerivedCoefficients) {
    // T_WAVE * TAN_BETA overflows the slope term while DX stays sound.
    EXPECT_NE(rejection("0.5 1e300\n1e9 0.001 1e11 1.2 30\n0 0 0\n100 100\n0 0\n0.01 0.1 0.1 0.63\n"
                        "1e-300 0.01 0.5\n0.5\n")
                  .find("the slope term c = T_WAVE * TAN_BETA * sqrt(g / H_WAVE) = inf is not finite"),
              std::string::npos);
    // A bed slope of 1e306 over 24 spacings of 9.9 m rises beyond double precision.
    EXPECT_NE(rejection("10 8\n1e306 0.001 1e308 1.2 30\n0 0 0\n100 100\n0 0\n0.01 0.1 0.1 0.63\n"
                        "0.125 0.01 0.5\n0.5\n")
                  .find("the bed at the last node Z_BED(N_GRID) = TAN_BETA * DX * (N_GRID - 1) = inf is not finite"),
              std::string::npos);
}

TEST(InputRejection, SnapshotIntervalWithNoSnapshotStep) {
    // 1 / N_OUT overflows: N_STEP / N_OUT is infinite at every step.
    EXPECT_NE(rejection(with_group(4, "100.0 1e-310")).find("N_OUT = 1e-310 steps is so small that N_STEP / N_OUT "
                                                            "overflows: no step would be a snapshot step"),
              std::string::npos);
    EXPECT_NO_THROW(read_input(with_group(4, "100.0 1e-300")));  // every step is a snapshot step
}

TEST(InputWarnings, NegativeWellAndRunTooShortForAProfileRecord) {
    // The valid beach: aquifer off, profile on, T_MAX = 100 s >= 10 T_WAVE = 80 s.
    EXPECT_TRUE(input_warnings(*read_input(testing::plane_beach_text())).empty());
    const auto short_run = input_warnings(*read_input(with_group(4, "79.9 100")));
    ASSERT_EQ(short_run.size(), 1u);
    EXPECT_EQ(short_run[0],
              "T_MAX = 79.9 s is shorter than ten wave periods (80 s): \"outb.dat\" and \"outs.dat\" will most "
              "likely stay empty, as profiles and swash statistics are written every tenth wave period");
    // With the profile update off nothing is expected in those files.
    auto lines = testing::plane_beach_lines();
    lines[3] = "79.9 100";
    lines[4] = "1 0";
    lines[2] = "-0.002 10.0 0.5";
    const auto no_well = input_warnings(*read_input(testing::text_of(lines)));
    ASSERT_EQ(no_well.size(), 1u);
    EXPECT_EQ(no_well[0], "Q_WELL is negative: no well is pumped (only a discharge above 0 switches the well on)");
    lines[4] = "0 0";  // aquifer off: the well is never looked at
    EXPECT_TRUE(input_warnings(*read_input(testing::text_of(lines))).empty());
}

TEST(InputText, ValuesAreQuotedWithHiddenBytesEscapedAndCut) {
    EXPECT_EQ(rejection(with_group(1, std::string("0.5\0x 8.0", 9))),
              "rejected input: group 1 (H_WAVE): \"0.5\\x00x\" is not a number " + at_line(1));
    EXPECT_EQ(rejection(with_group(1, "0.5 8.0\x1b[2J")),
              "rejected input: group 1 (T_WAVE): \"8.0\\x1B[2J\" is not a number " + at_line(1));
    // A number of 3000 digits is shown by its first 40 characters.
    const std::string huge = "0." + std::string(3000, '5') + "x";
    const std::string message = rejection(with_group(1, huge + " 8.0"));
    EXPECT_EQ(message, "rejected input: group 1 (H_WAVE): \"0." + std::string(38, '5') +
                           "\"... (3003 characters) is not a number " + at_line(1));
}

TEST(InputText, ByteOrderMarkIsSkippedAtTheStartOnly) {
    const auto m = read_input("\xEF\xBB\xBF" + testing::plane_beach_text());
    EXPECT_EQ(m->WAVE_CONSD.H_WAVE, 0.5);
    // Elsewhere it is text that is not a number, and is shown as its bytes.
    EXPECT_EQ(rejection(with_group(2, "\xEF\xBB\xBF" "0.1 0.001 1.0 1.2 30.0")),
              "rejected input: group 2 (TAN_BETA): \"\\xEF\\xBB\\xBF0.1\" is not a number " + at_line(2));
}

TEST(InputText, LineLengthIsBounded) {
    std::istringstream exact(std::string(MAX_LINE_LENGTH, 'a') + "\nb");
    std::string line;
    EXPECT_EQ(read_bounded_line(exact, line), LineRead::line);
    EXPECT_EQ(line.size(), MAX_LINE_LENGTH);
    EXPECT_EQ(read_bounded_line(exact, line), LineRead::line);  // last line without a line end
    EXPECT_EQ(line, "b");
    EXPECT_EQ(read_bounded_line(exact, line), LineRead::end);

    std::istringstream endless(std::string(MAX_LINE_LENGTH + 1, '\0'));
    EXPECT_EQ(read_bounded_line(endless, line), LineRead::too_long);
    EXPECT_EQ(rejection(std::string(MAX_LINE_LENGTH + 1, '\0')),
              "rejected input: line 1 runs on past 4096 characters without a line end (is this the right "
              "file?) " + at_line(1));
}

TEST(InputText, InputFromADeviceWithoutLineEnds) {
    if (!std::filesystem::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero here";
    std::ifstream zeros("/dev/zero");
    auto m = make_model();
    try {
        INPUT_DATA(*m, zeros, "/dev/zero");
        FAIL() << "accepted";
    } catch (const RunFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find("runs on past 4096 characters"), std::string::npos);
    }
    std::string warning;
    EXPECT_THROW(read_control_file("/dev/zero", &warning), RunFailure);
}

struct ControlFileText : ::testing::Test {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("tidmor-control-text-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::string write(const std::string& text) {
        std::filesystem::create_directories(dir);
        const auto path = dir / "SIM.FILE";
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(ControlFileText, ByteOrderMarkSkippedAndCutNameWarned) {
    std::string warning;
    EXPECT_EQ(read_control_file(write("\xEF\xBB\xBF" "beach.dat\n"), &warning), "beach.dat");
    EXPECT_EQ(warning, "");
    // A remark after the name, past a blank, is not a cut name.
    EXPECT_EQ(read_control_file(write("beach.dat      the case of 8 s\n"), &warning), "beach.dat");
    EXPECT_EQ(warning, "");
    const std::string path = write("a_long_case_name.dat\n");
    EXPECT_EQ(read_control_file(path, &warning), "a_long_case_nam");
    EXPECT_EQ(warning, "control file \"" + path + "\": the input data file name \"a_long_case_name.dat\" is cut "
                       "to its first 15 characters, \"a_long_case_nam\" (only columns 1 to 15 of line 1 name the file)");
}

}  // namespace
}  // namespace tidmor
