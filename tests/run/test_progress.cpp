// The progress line: period count, time left, and clearing before console text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "run/progress.hpp"

namespace tidmor {
namespace {

TEST(Progress, PeriodsOfARunAreTMaxOverTWaveRoundedUp) {
    std::ostringstream out;
    EXPECT_EQ(Progress(out, 244.0, 8.0).periods(), 31);  // the last half period counts
    EXPECT_EQ(Progress(out, 240.0, 8.0).periods(), 30);
    EXPECT_EQ(Progress(out, 8.5, 8.0).periods(), 2);
    EXPECT_EQ(Progress(out, 3.0, 8.0).periods(), 1);
    EXPECT_EQ(Progress(out, -1.0, 8.0).periods(), 1);  // one step is always taken
    EXPECT_EQ(out.str(), "");
}

TEST(Progress, TimeLeftAssumesThePaceSoFar) {
    std::ostringstream out;
    Progress progress(out, 240.0, 8.0);
    // A quarter of the model time in 30 s of the loop leaves 90 s.
    EXPECT_NE(progress.period_text(60.0, 30.0).find("left ~1:30"), std::string::npos);
    EXPECT_NE(progress.period_text(60.0, 30.0).find("period 1 of 30, t = 60.0 s"), std::string::npos);
    EXPECT_NE(progress.period_text(0.0, 0.0).find("left ~--"), std::string::npos);
    EXPECT_NE(progress.period_text(250.0, 10.0).find("left ~0:00"), std::string::npos);
}

TEST(Progress, ClockText) {
    EXPECT_EQ(clock_text(0.0), "0:00");
    EXPECT_EQ(clock_text(-3.0), "0:00");
    EXPECT_EQ(clock_text(59.4), "0:59");
    EXPECT_EQ(clock_text(59.6), "1:00");
    EXPECT_EQ(clock_text(3599.0), "59:59");
    EXPECT_EQ(clock_text(3600.0), "1:00:00");
    EXPECT_EQ(clock_text(36000.0 + 61.0), "10:01:01");
}

TEST(Progress, PeriodCloseIsAlwaysDrawnAndCountsThePeriodUnderWay) {
    std::ostringstream out;
    Progress progress(out, 24.0, 8.0);
    progress.time_step(8.1, true);
    progress.time_step(16.2, true);
    const std::string text = out.str();
    EXPECT_NE(text.find("\rperiod 2 of 3, t = 8.1 s"), std::string::npos) << text;
    EXPECT_NE(text.find("\rperiod 3 of 3, t = 16.2 s"), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(Progress, RelaxationShowsSweepAndMovement) {
    std::ostringstream out;
    Progress progress(out, 24.0, 8.0);
    progress.relaxation_sweep(1, 0.0125);
    EXPECT_EQ(out.str().rfind("\raquifer start-up: sweep 1, water table moved 1.250e-02 m, ", 0), 0u) << out.str();
}

TEST(Progress, ConsoleTextClearsTheLineFirstAndPassesUnchanged) {
    std::ostringstream err, console;
    Progress progress(err, 24.0, 8.0);
    ConsoleBesideProgress buffer(console.rdbuf(), progress);
    std::ostream beside(&buffer);
    progress.time_step(8.1, true);
    const std::string line = err.str().substr(1);  // without its carriage return
    beside << " Elapsed time:" << 8.1 << '\n' << std::flush;
    EXPECT_EQ(console.str(), " Elapsed time:8.1\n");
    EXPECT_EQ(err.str(), "\r" + line + "\r" + std::string(line.size(), ' ') + "\r");
    // Nothing to clear any more: no more blanks.
    beside << "x";
    progress.erase();
    EXPECT_EQ(err.str(), "\r" + line + "\r" + std::string(line.size(), ' ') + "\r");
}

TEST(Progress, AShorterLineBlanksWhatTheLongerLeft) {
    std::ostringstream out;
    Progress progress(out, 2400.0, 8.0);
    progress.relaxation_sweep(1, 1.0);
    const std::size_t first = out.str().size() - 1;
    progress.time_step(8.0, true);
    const std::string second = out.str().substr(first + 1);
    EXPECT_GE(second.size(), first + 1) << second;
}

}  // namespace
}  // namespace tidmor
