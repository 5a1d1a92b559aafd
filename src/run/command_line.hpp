#pragma once
// The command line of tidmor: what the program is asked to do, read without
// touching any file, so that a mistyped argument reads and writes nothing.
#include <string>
#include <vector>

#include "run/run_options.hpp"

namespace tidmor {

struct CommandLine {
    enum class Action { run, check, help, version, usage_error };
    Action action = Action::run;
    // The case folder to run in; empty = the working directory.
    std::string case_dir;
    RunOptions options;
    bool vector_given = false;  // --vector was on the command line
    // What was wrong, for Action::usage_error.
    std::string error;
};

// Reads the arguments after the program name.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The vector path named `name` into options.vector_path, from `source`
// ("--vector" or the environment setting); "" when it is known and runs on
// this machine, else what is wrong.
std::string read_vector_path(const std::string& name, const std::string& source, RunOptions& options);

// The usage text printed by --help and after a usage error.
std::string usage_text();

// "tidmor <version>": the project version, with the git description of the
// source tree when it was configured from a git checkout.
std::string version_line();

}  // namespace tidmor
