#pragma once
// A valid input data file, line by line, and helpers to read variants of it.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/run_failure.hpp"
#include "input/input_data.hpp"

namespace tidmor::testing {

inline const std::string INPUT_FILE = "beach.dat";

// One line per group: DX = sqrt(0.5 g) * 0.08 = 0.177..., NS = 56, N_GRID = 140.
inline std::vector<std::string> plane_beach_lines() {
    return {"0.5 8.0",
            "0.1 0.001 1.0 1.2 30.0",
            "0.002 10.0 0.5",
            "100.0 100",
            "0 1",
            "0.01 0.1 0.1 0.63",
            "0.01 0.01 0.5",
            "0.5"};
}

inline std::string text_of(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\n";
    return out;
}

// Group `group` (1 .. 8) replaced by `text`, which may span several lines.
inline std::string with_group(int group, const std::string& text) {
    auto lines = plane_beach_lines();
    lines[static_cast<std::size_t>(group - 1)] = text;
    return text_of(lines);
}

inline std::string plane_beach_text() { return with_group(1, plane_beach_lines()[0]); }

inline std::unique_ptr<Model> read_input(const std::string& text) {
    auto m = make_model();
    std::istringstream unit5(text);
    INPUT_DATA(*m, unit5, INPUT_FILE);
    return m;
}

// The message of the rejection of `text`; fails the test when it is accepted
// or ends with another status.
inline std::string rejection(const std::string& text) {
    try {
        read_input(text);
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
        return failure.what();
    }
    ADD_FAILURE() << "accepted:\n" << text;
    return {};
}

// The place of a diagnostic as it ends the message.
inline std::string at_line(int line) {
    return "(input data file \"" + INPUT_FILE + "\", line " + std::to_string(line) + ")";
}

}  // namespace tidmor::testing
