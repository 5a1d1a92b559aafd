// tidmor: cross-shore beach model. Runs the case in the working directory,
// or in the folder named on the command line; `tidmor --help` lists the options.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "common/run_failure.hpp"
#include "common/units.hpp"
#include "run/command_line.hpp"
#include "run/start_up_check.hpp"
#include "run/tidmor.hpp"
#include "run/unexpected_failure.hpp"

namespace {

// --help and --version: their text on standard output, status 1 when it
// cannot be written there (a full disk, a closed pipe).
int show(const std::string& text) {
    using namespace tidmor;
    try {
        std::cout << text;
        flush_console(std::cout);
    } catch (const RunFailure& failure) {
        std::cerr << "tidmor: " << failure.what() << '\n';
        return failure.status();
    }
    return EXIT_NORMAL;
}

int run_program(int argc, char** argv) {
    using namespace tidmor;
    CommandLine line = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    // The environment names the vector path where the command line does not.
    const char* vector_env = std::getenv("TIDMOR_VECTOR");
    if (line.action == CommandLine::Action::run && !line.vector_given && vector_env) {
        line.error = read_vector_path(vector_env, "TIDMOR_VECTOR", line.options);
        if (!line.error.empty()) line.action = CommandLine::Action::usage_error;
    }
    switch (line.action) {
    case CommandLine::Action::help:
        return show(usage_text());
    case CommandLine::Action::version:
        return show(version_line() + '\n');
    case CommandLine::Action::usage_error:
        std::cerr << "tidmor: " << line.error << "\n\n" << usage_text();
        return EXIT_INPUT_OR_FILE;
    case CommandLine::Action::run:
    case CommandLine::Action::check:
        break;
    }
    if (!line.case_dir.empty()) {
        std::error_code error;
        std::filesystem::current_path(line.case_dir, error);
        if (error) {
            std::cerr << "tidmor: cannot enter the case folder \"" << line.case_dir << "\": " << error.message()
                      << "; give a folder that holds \"SIM.FILE\"\n";
            return EXIT_INPUT_OR_FILE;
        }
    }
    RunOptions options = line.options;
    options.case_folder = line.case_dir;
    // The progress line goes where a person watches: a terminal on stderr.
    if (line.action == CommandLine::Action::check) return START_UP_CHECK(std::cout, std::cerr, options);
    if (::isatty(STDERR_FILENO)) options.progress = true;
    return TIDMOR(std::cout, std::cerr, options);
}

}  // namespace

int main(int argc, char** argv) {
    // What fails before the run starts (memory for the model's state, the
    // command line) ends the program the same way as a failure in the run.
    try {
        return run_program(argc, argv);
    } catch (const std::exception& error) {
        const tidmor::RunFailure failure =
            tidmor::unexpected_failure(error, "before the run started; no result file has been changed");
        std::cerr << "tidmor: " << failure.what() << '\n';
        return failure.status();
    }
}
