#include "run/command_line.hpp"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <system_error>

#include "common/vector_path.hpp"
#include "run/version.hpp"

namespace tidmor {

namespace {

// A whole decimal number within [0, max], nothing else (no sign, no blanks).
std::optional<std::uint64_t> read_count(const std::string& text, std::uint64_t max) {
    std::uint64_t value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc{} || end != last || value > max) return std::nullopt;
    return value;
}

// Upper bounds of the numeric options: beyond them a value is a typing error.
constexpr std::uint64_t MAX_THREADS = 4096;
constexpr std::uint64_t MAX_COUNT = std::uint64_t{1} << 53;  // exact as a real, as N_STEP is
constexpr std::uint64_t MAX_CACHE_MB = std::numeric_limits<std::size_t>::max() >> 20;

CommandLine failure(std::string error) {
    CommandLine line;
    line.action = CommandLine::Action::usage_error;
    line.error = std::move(error);
    return line;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
    CommandLine line;
    bool have_dir = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        // "--threads=4" is read as "--threads 4".
        std::optional<std::string> attached;
        if (arg.rfind("--", 0) == 0) {
            const auto equals = arg.find('=');
            if (equals != std::string::npos) {
                attached = arg.substr(equals + 1);
                arg.resize(equals);
            }
        }
        const bool takes_value = arg == "-C" || arg == "--threads" || arg == "--cache-mb" || arg == "--vector" ||
                                 arg == "--checkpoint-every" || arg == "--stop-after-step";
        if (attached && !takes_value) return failure("option " + arg + " takes no value");
        std::string value;
        if (takes_value) {
            if (attached) {
                value = *attached;
            } else {
                if (i + 1 >= args.size()) return failure("option " + arg + " needs a value");
                value = args[++i];
            }
        }

        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::help;
        } else if (arg == "--version") {
            if (line.action != CommandLine::Action::help) line.action = CommandLine::Action::version;
        } else if (arg == "--check") {
            if (line.action == CommandLine::Action::run) line.action = CommandLine::Action::check;
        } else if (arg == "--progress") {
            line.options.progress = true;
        } else if (arg == "--no-reuse") {
            line.options.reuse = false;
        } else if (arg == "--threads") {
            const auto n = read_count(value, MAX_THREADS);
            if (!n)
                return failure("--threads wants a whole number from 0 (one per core) to " +
                               std::to_string(MAX_THREADS) + ", not \"" + value + "\"");
            line.options.threads = static_cast<int>(*n);
        } else if (arg == "--cache-mb") {
            const auto mb = read_count(value, MAX_CACHE_MB);
            if (!mb) return failure("--cache-mb wants a whole number of megabytes, not \"" + value + "\"");
            line.options.cache_bytes = static_cast<std::size_t>(*mb) << 20;
        } else if (arg == "--checkpoint-every") {
            const auto k = read_count(value, MAX_COUNT);
            if (!k || *k == 0)
                return failure("--checkpoint-every wants a whole number of wave periods from 1, not \"" + value + "\"");
            line.options.checkpoint_every = *k;
        } else if (arg == "--restart") {
            line.options.restart = true;
        } else if (arg == "--stop-after-step") {
            const auto n = read_count(value, MAX_COUNT);
            if (!n || *n == 0)
                return failure("--stop-after-step wants a whole number of steps from 1, not \"" + value + "\"");
            line.options.stop_after_step = *n;
        } else if (arg == "--vector") {
            const std::string error = read_vector_path(value, "--vector", line.options);
            if (!error.empty()) return failure(error);
            line.vector_given = true;
        } else if (arg == "-C" || (arg.empty() || arg.front() != '-')) {
            const std::string dir = arg == "-C" ? value : arg;
            if (dir.empty()) return failure("an empty case folder name");
            if (have_dir) return failure("more than one case folder given");
            line.case_dir = dir;
            have_dir = true;
        } else {
            return failure("unknown option " + arg);
        }
    }
    return line;
}

std::string read_vector_path(const std::string& name, const std::string& source, RunOptions& options) {
    std::string here;
    for (VectorPath p : vector_paths_here()) here += std::string(here.empty() ? "" : ", ") + vector_path_name(p);
    VectorPath path;
    if (!vector_path_from_name(name, path))
        return source + " wants best, scalar, sse2, avx2 or neon, not \"" + name + "\" (this machine runs " + here +
               ")";
    if (!vector_path_runs_here(path))
        return source + " " + name + ": this machine does not run it; it runs " + here;
    options.vector_path = path;
    return "";
}

std::string usage_text() {
    return "Usage: tidmor [OPTION]... [DIR]\n"
           "Runs the beach model on the case in DIR (default: the working directory): reads\n"
           "\"SIM.FILE\" and the input data file it names, writes \"outw.dat\", \"outb.dat\",\n"
           "\"outg.dat\" and \"outs.dat\" there and the console lines on standard output.\n"
           "\n"
           "  -C DIR          run the case in DIR (the same as giving DIR alone)\n"
           "  --check         check the case and relax its aquifer, report what a study needs to\n"
           "                  know (water table, well, cost of a wave period); writes no result file\n"
           "  --progress      show a progress line on stderr (shown anyway when stderr is a terminal)\n"
           "  --threads N     worker threads of the aquifer step; 0 = one per core (default 0)\n"
           "  --cache-mb MB   memory for reused aquifer boundary systems, in MiB (default 256)\n"
           "  --no-reuse      solve every aquifer boundary system afresh\n"
           "  --checkpoint-every K  write the checkpoint \"tidmor.checkpoint\" at the end of every\n"
           "                  K-th wave period; a stop signal (SIGTERM, SIGINT, SIGHUP, SIGXCPU)\n"
           "                  then writes one before the run stops, and SIGUSR1 writes one and goes on\n"
           "  --restart       go on from the case's checkpoint (checkpoints stay on)\n"
           "  --stop-after-step N  stop after step N as if SIGTERM had come then (for tests)\n"
           "  --vector PATH   instruction set of the aquifer kernels: best (default), scalar,\n"
           "                  sse2, avx2 (x86-64) or neon (aarch64); also TIDMOR_VECTOR=PATH\n"
           "  --help          show this text and stop\n"
           "  --version       show the version and stop\n"
           "\n"
           "None of the run options changes a result: a run stopped and restarted writes the\n"
           "same files as a run that never stopped. Exit status: 0 normal end, 1 bad arguments,\n"
           "rejected input, a file problem or a refused restart, 2 numerical breakdown of the\n"
           "run, 128 + the signal's number when stopped by a signal.\n";
}

std::string version_line() { return std::string("tidmor ") + TIDMOR_VERSION_TEXT; }

}  // namespace tidmor
