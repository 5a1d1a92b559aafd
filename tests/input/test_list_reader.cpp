// Free-form syntax of the input data file.
#include <gtest/gtest.h>

#include <sstream>

#include "input/input_text.hpp"
#include "input/list_reader.hpp"

namespace tidmor {
namespace {

using testing::at_line;
using testing::read_input;
using testing::rejection;
using testing::with_group;

// Reads consecutive groups of three reals, preset to 7, from `text`.
struct Groups {
    std::istringstream in;
    ListReader reader;
    double v[3] = {7, 7, 7};
    ListItem items[3] = {{"A", &v[0]}, {"B", &v[1]}, {"C", &v[2]}};

    explicit Groups(const std::string& text) : in(text), reader(in, "list.dat") {}
    void read(int group) { reader.read_group(group, items); }
};

TEST(ListReader, SeparatorsBlanksTabsCommasAndLineEnds) {
    Groups g("1.5\t2.5 ,3.5\n");
    g.read(1);
    EXPECT_EQ(g.v[0], 1.5);
    EXPECT_EQ(g.v[1], 2.5);
    EXPECT_EQ(g.v[2], 3.5);

    Groups over_lines("1,\n\n  2\n,3\n");
    over_lines.read(1);
    EXPECT_EQ(over_lines.v[0], 1);
    EXPECT_EQ(over_lines.v[1], 2);
    EXPECT_EQ(over_lines.v[2], 3);
    EXPECT_EQ(over_lines.items[0].line, 1);
    EXPECT_EQ(over_lines.items[1].line, 3);
    EXPECT_EQ(over_lines.items[2].line, 4);
}

TEST(ListReader, EmptyValuesLeaveTheItemAsItWas) {
    Groups between_commas("1,,3\n");
    between_commas.read(1);
    EXPECT_EQ(between_commas.v[0], 1);
    EXPECT_EQ(between_commas.v[1], 7);
    EXPECT_EQ(between_commas.v[2], 3);

    Groups leading(", , 3\n");
    leading.read(1);
    EXPECT_EQ(leading.v[0], 7);
    EXPECT_EQ(leading.v[1], 7);
    EXPECT_EQ(leading.v[2], 3);

    Groups counted("2* 3\n");
    counted.read(1);
    EXPECT_EQ(counted.v[0], 7);
    EXPECT_EQ(counted.v[1], 7);
    EXPECT_EQ(counted.v[2], 3);
}

TEST(ListReader, SlashEndsTheGroup) {
    Groups g("1/ 2 3\n4 5 6\n");
    g.read(1);
    EXPECT_EQ(g.v[0], 1);
    EXPECT_EQ(g.v[1], 7);
    EXPECT_EQ(g.v[2], 7);
    EXPECT_EQ(g.items[2].line, 1);
    g.read(2);
    EXPECT_EQ(g.v[0], 4);
    EXPECT_EQ(g.v[2], 6);

    Groups alone("\n/\n");
    alone.read(1);
    EXPECT_EQ(alone.v[0], 7);
    EXPECT_EQ(alone.items[0].line, 2);
}

TEST(ListReader, RepeatCountsAndTheirRemainderEndWithTheGroup) {
    Groups g("2*0.25 1\n5*4 ignored\n3 3*2\n8 9 10\n");
    g.read(1);
    EXPECT_EQ(g.v[0], 0.25);
    EXPECT_EQ(g.v[1], 0.25);
    EXPECT_EQ(g.v[2], 1);
    g.read(2);
    EXPECT_EQ(g.v[0], 4);
    EXPECT_EQ(g.v[2], 4);
    g.read(3);
    EXPECT_EQ(g.v[0], 3);
    EXPECT_EQ(g.v[1], 2);
    EXPECT_EQ(g.v[2], 2);
    g.read(4);
    EXPECT_EQ(g.v[0], 8);
}

TEST(ListReader, RealForms) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"8", 8.0},       {"8.", 8.0},       {".5", 0.5},     {"+0.5", 0.5},   {"-2.5", -2.5},
                 {"5E-1", 0.5},    {"5e-1", 0.5},     {"0.8D1", 8.0},  {"0.8d+1", 8.0}, {"1.5e3", 1500.0},
                 {"0.1", 0.1},     {"1d-400", 0.0},   {"-0", -0.0}};
    for (const auto& c : cases) {
        Groups g(std::string(c.text) + " 0 0\n");
        g.read(1);
        EXPECT_EQ(g.v[0], c.value) << c.text;
    }
}

TEST(ListReader, IntegerForms) {
    std::int32_t a = 5;
    std::int32_t b = 5;
    ListItem items[] = {{"I", nullptr, &a}, {"J", nullptr, &b}};
    std::istringstream in("+12 -2147483648\n2147483647,-0\n");
    ListReader reader(in, "list.dat");
    reader.read_group(1, items);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, -2147483647 - 1);
    reader.read_group(2, items);
    EXPECT_EQ(a, 2147483647);
    EXPECT_EQ(b, 0);
}

TEST(ListReader, CrlfLineEnds) {
    std::string text = testing::plane_beach_text();
    std::string crlf;
    for (char c : text) crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);
    const auto m = read_input(crlf);
    EXPECT_EQ(m->DAMPING.DAMP1, 0.5);
    EXPECT_EQ(m->INDEX_INFIL.I_MORPH, 1);
}

TEST(InputSyntax, RemarkAfterTheValuesOfAGroup) {
    const auto m = read_input(with_group(1, "0.5 8.0 remark: height and period, 9.0"));
    EXPECT_EQ(m->WAVE_CONSD.H_WAVE, 0.5);
    EXPECT_EQ(m->WAVE_CONSD.T_WAVE, 8.0);
    EXPECT_EQ(m->CONSTS.TAN_BETA, 0.1);
}

TEST(InputSyntax, GroupOverTwoLinesAndEmptyLines) {
    const auto m = read_input("\n0.5 8.0\n\n0.1 0.001\n\n1.0 1.2 30.0\n0.002 10.0 0.5\n100.0 100\n0 1\n"
                              "0.01 0.1 0.1 0.63\n0.01 0.01 0.5\n\n0.5\n");
    EXPECT_EQ(m->CONSTS.TAN_BETA, 0.1);
    EXPECT_EQ(m->CONSTS.K_HYD, 0.001);
    EXPECT_EQ(m->WAVE_CONSD.D_SEA, 1.0);
    EXPECT_EQ(m->CONSTS.H_LAND, 1.2);
    EXPECT_EQ(m->CONSTS.X_LAND, 30.0);
    EXPECT_EQ(m->WELL.X_WELL, 10.0);
    EXPECT_EQ(m->DAMPING.DAMP1, 0.5);
}

TEST(InputSyntax, LeftUnchangedItemsKeepZero) {
    const auto m = read_input(with_group(3, ",10.0 /"));
    EXPECT_EQ(m->WELL.Q_WELL, 0.0);
    EXPECT_EQ(m->WELL.X_WELL, 10.0);
    EXPECT_EQ(m->WELL.Z_WELL, 0.0);
}

TEST(InputSyntax, LinesAfterTheEighthGroupAreIgnored) {
    const auto m = read_input(testing::plane_beach_text() + "end of data, 1.0 / x*y\n");
    EXPECT_EQ(m->DAMPING.DAMP2, 0.5);
}

TEST(InputSyntax, RepeatCountOverTheSwitches) {
    const auto m = read_input(with_group(5, "2*1"));
    EXPECT_EQ(m->INDEX_INFIL.I_INFIL, 1);
    EXPECT_EQ(m->INDEX_INFIL.I_MORPH, 1);
}

TEST(InputErrors, WordWhereAValueBelongs) {
    EXPECT_EQ(rejection("TIDMOR plane beach run\n" + testing::plane_beach_text()),
              "rejected input: group 1 (H_WAVE): \"TIDMOR\" is not a number " + at_line(1));
    EXPECT_EQ(rejection(with_group(4, "100.0 abc")),
              "rejected input: group 4 (N_OUT): \"abc\" is not a number " + at_line(4));
}

TEST(InputErrors, NaNAndInfinityAreWords) {
    for (const char* word : {"NaN", "nan", "Infinity", "inf", "-Inf"}) {
        const std::string message = rejection(with_group(3, std::string("0.0 ") + word + " 0.0"));
        EXPECT_NE(message.find("group 3 (X_WELL): \"" + std::string(word) + "\" is not a number"), std::string::npos)
            << message;
    }
}

TEST(InputErrors, MalformedReals) {
    for (const char* text : {".", "-", "1.0+5", "1.e", "1e+", "1..0", "1.0q", "e5", "1,0x", "*5", "2*3*4"}) {
        const std::string message = rejection(with_group(6, std::string(text) + " 0.1 0.1 0.63"));
        EXPECT_NE(message.find("group 6"), std::string::npos) << text;
        EXPECT_NE(message.find("is not a number " + at_line(6)), std::string::npos) << message;
    }
}

TEST(InputErrors, PointOrExponentInAnInteger) {
    std::string text = with_group(5, "1.0 0");
    text.insert(0, "\n");
    EXPECT_EQ(rejection(text), "rejected input: group 5 (I_INFIL): \"1.0\" is not an integer " + at_line(6));
    EXPECT_EQ(rejection(with_group(5, "0 1e0")),
              "rejected input: group 5 (I_MORPH): \"1e0\" is not an integer " + at_line(5));
    EXPECT_EQ(rejection(with_group(5, "2*1.")),
              "rejected input: group 5 (I_INFIL): \"2*1.\" is not an integer " + at_line(5));
}

TEST(InputErrors, IntegerOutsideThirtyTwoBits) {
    EXPECT_EQ(rejection(with_group(5, "2147483648 0")),
              "rejected input: group 5 (I_INFIL): \"2147483648\" is outside the 32-bit integer range " +
                  at_line(5));
    EXPECT_NE(rejection(with_group(5, "0 -99999999999999999999999")).find("(I_MORPH)"), std::string::npos);
}

TEST(InputErrors, RealOverflowingToInfinity) {
    EXPECT_EQ(rejection(with_group(3, "0.0 1e999 0.0")),
              "rejected input: group 3 (X_WELL): \"1e999\" is beyond the range of double precision " + at_line(3));
    EXPECT_NE(rejection(with_group(3, "0.0 0.0 -2D308")).find("(Z_WELL)"), std::string::npos);
}

TEST(InputErrors, BadRepeatCount) {
    EXPECT_EQ(rejection(with_group(6, "0*0.1 0.1 0.1 0.63")),
              "rejected input: group 6 (F_FRIC): \"0*0.1\" has a repeat count outside 1 .. 2147483647 " +
                  at_line(6));
    EXPECT_NE(rejection(with_group(6, "99999999999*0.1")).find("repeat count"), std::string::npos);
}

TEST(InputErrors, MissingGroupAndEarlyEnd) {
    auto lines = testing::plane_beach_lines();
    std::string seven;
    for (int k = 0; k < 7; ++k) seven += lines[static_cast<std::size_t>(k)] + "\n";
    EXPECT_EQ(rejection(seven + "\n"), "rejected input: group 8 (DAMP1) is missing: end of file " + at_line(8));
    EXPECT_EQ(rejection(""),
              "rejected input: group 1 (H_WAVE, T_WAVE) is missing: end of file (input data file \"beach.dat\")");
    EXPECT_EQ(rejection("0.5 8.0\n0.1 0.001 1.0\n"),
              "rejected input: group 2 (H_LAND): end of file before this value " + at_line(2));
}

}  // namespace
}  // namespace tidmor
