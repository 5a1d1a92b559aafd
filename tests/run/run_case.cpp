#include "run/run_case.hpp"

#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace tidmor::testing {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> case_folders() {
    std::vector<std::string> cases;
    for (const char* root : {"examples", "tests/run/cases"}) {
        const fs::path dir = fs::path(TIDMOR_SOURCE_DIR) / root;
        if (!fs::exists(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (fs::exists(entry.path() / "expected")) cases.push_back(entry.path().string());
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

fs::path make_scratch_dir(const std::string& label) {
    static std::atomic<int> counter{0};
    const fs::path dir = fs::temp_directory_path() /
                         ("tidmor-" + label + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

RunResult run_model_in(const fs::path& dir, const std::string& arguments) {
    const std::string command =
        "cd '" + dir.string() + "' && '" TIDMOR_EXECUTABLE "' " + arguments + " > console.out 2> console.err";
    RunResult result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.console = read_file(dir / "console.out");
    result.errors = read_file(dir / "console.err");
    fs::remove(dir / "console.out");
    fs::remove(dir / "console.err");
    return result;
}

fs::path run_in_scratch(const fs::path& case_dir, RunResult& result, const std::string& arguments) {
    const fs::path scratch = make_scratch_dir(case_dir.filename().string());
    for (const auto& entry : fs::directory_iterator(case_dir))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            fs::copy_file(entry.path(), scratch / entry.path().filename());
    result = run_model_in(scratch, arguments);
    return scratch;
}

std::string first_difference(const std::string& expected, const std::string& actual) {
    if (expected == actual) return {};
    std::size_t line = 1, column = 1, i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) {
        if (expected[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
        ++i;
    }
    auto line_at = [](const std::string& text, std::size_t pos) {
        const std::size_t start = text.rfind('\n', pos == 0 ? 0 : pos - 1);
        const std::size_t from = (start == std::string::npos || pos == 0) ? 0 : start + 1;
        const std::size_t end = text.find('\n', from);
        return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    };
    std::ostringstream where;
    where << "first difference at line " << line << ", column " << column << "\n  expected: \""
          << (i <= expected.size() ? line_at(expected, i) : "") << "\"\n  actual:   \""
          << (i <= actual.size() ? line_at(actual, i) : "") << "\"";
    if (i == expected.size()) where << "\n  (expected ends here; actual goes on)";
    if (i == actual.size()) where << "\n  (actual ends here; expected goes on)";
    return where.str();
}

}  // namespace tidmor::testing
