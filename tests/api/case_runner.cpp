#include "api/case_runner.hpp"

#include "run/run_case.hpp"

namespace tidmor::testing {

namespace fs = std::filesystem;

fs::path copy_case(const fs::path& case_dir, const std::string& label) {
    const fs::path scratch = make_scratch_dir(label + "-" + case_dir.filename().string());
    for (const auto& entry : fs::directory_iterator(case_dir))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            fs::copy_file(entry.path(), scratch / entry.path().filename());
    return scratch;
}

CaseRun::CaseRun(fs::path case_folder, SimulationOptions options) : folder(std::move(case_folder)), options_(options) {
    options_.console = &console;
    options_.errors = &errors;
}

bool CaseRun::step() {
    if (status >= 0) return false;
    try {
        if (!started_) {
            started_ = true;
            simulation_.emplace(folder, options_);
            simulation_->initialize();
            return true;
        }
        // The program's loop: at least one step, then on while below T_MAX.
        if (simulation_->steps() == 0 || simulation_->time() < simulation_->end_time()) {
            simulation_->update();
            return true;
        }
        simulation_->finalize();
        status = EXIT_NORMAL;
    } catch (const RunFailure& failure) {
        errors << "tidmor: " << failure.what() << '\n';
        status = failure.status();
        simulation_.reset();
    }
    return false;
}

std::string difference_from_expected(const fs::path& case_dir, const CaseRun& run) {
    const fs::path expected = case_dir / "expected";
    std::string found;
    if (std::to_string(run.status) + "\n" != read_file(expected / "status"))
        found += "status " + std::to_string(run.status) + "; ";
    const auto compare = [&found](const std::string& what, const std::string& want, const std::string& got) {
        const std::string d = first_difference(want, got);
        if (!d.empty()) found += what + ": " + d + "; ";
    };
    compare("console", read_file(expected / "console.txt"), run.console.str());
    compare("stderr", read_file(expected / "stderr.txt"), run.errors.str());
    for (const char* name : {"outw.dat", "outb.dat", "outg.dat", "outs.dat"})
        compare(name, read_file(expected / name), read_file(run.folder / name));
    return found;
}

}  // namespace tidmor::testing
