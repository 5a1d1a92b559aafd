#include "output/result_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>

#include "common/file_kind.hpp"
#include "common/message_text.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

namespace {

// Descriptors of the four files while they are being checked, closed on
// every way out; a file created here is removed again unless the files are
// kept, so a refused start leaves the folder as it found it.
struct OpenedFiles {
    std::array<int, 4> fd{-1, -1, -1, -1};
    std::array<const char*, 4> created{};
    bool keep = false;
    ~OpenedFiles() {
        for (std::size_t k = 0; k < fd.size(); ++k) {
            if (fd[k] >= 0) ::close(fd[k]);
            if (!keep && created[k] != nullptr) ::unlink(created[k]);
        }
    }
};

// Opens for writing without truncating, creating the file when missing.
// O_NONBLOCK: a FIFO put there after the check below must not hold the
// open until a reader comes.
int open_keeping_content(const std::string& path, bool& created) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    return fd;
}

// A result file is a regular file or /dev/null. A folder is left to the
// open, which names it in the system's words.
void refuse_special_file(const OutputUnit& unit, const struct stat& status) {
    if (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode) || is_null_device(status)) return;
    throw RunFailure(EXIT_INPUT_OR_FILE, "the result file " + quote_text(unit.file) + " is " + file_kind(status) +
                                             ", not a regular file: remove it or run the case in another folder "
                                             "(only /dev/null may stand in for a result file); no earlier result "
                                             "file has been changed");
}

[[noreturn]] void cannot_create(const OutputUnit& unit, int error_number, bool none_changed) {
    throw RunFailure(EXIT_INPUT_OR_FILE, "cannot create the result file " + quote_text(unit.file) +
                                             system_reason(error_number) +
                                             (none_changed ? " (no earlier result file has been changed)" : ""));
}

}  // namespace

void ResultFiles::connect(Units& units, const std::vector<InputFile>& inputs, const std::filesystem::path& folder) {
    const std::array<OutputUnit*, 4> unit{&units.outw, &units.outb, &units.outg, &units.outs};
    const std::array<std::ofstream*, 4> stream{&outw_, &outb_, &outg_, &outs_};
    std::array<std::string, 4> path;
    for (std::size_t k = 0; k < unit.size(); ++k) path[k] = (folder / unit[k]->file).string();

    for (std::size_t k = 0; k < unit.size(); ++k) {
        struct stat status {};
        if (::stat(path[k].c_str(), &status) == 0) refuse_special_file(*unit[k], status);
    }

    OpenedFiles opened;
    for (std::size_t k = 0; k < unit.size(); ++k) {
        bool created = false;
        opened.fd[k] = open_keeping_content(path[k], created);
        if (opened.fd[k] < 0) cannot_create(*unit[k], errno, true);
        if (created) opened.created[k] = path[k].c_str();
        struct stat status {};
        if (::fstat(opened.fd[k], &status) == 0) refuse_special_file(*unit[k], status);
    }

    for (const InputFile& input : inputs) {
        struct stat read_from {};
        if (::stat((folder / input.path).c_str(), &read_from) != 0) continue;
        for (std::size_t k = 0; k < unit.size(); ++k) {
            struct stat result {};
            if (::fstat(opened.fd[k], &result) == 0 && result.st_dev == read_from.st_dev &&
                result.st_ino == read_from.st_ino)
                throw RunFailure(EXIT_INPUT_OR_FILE,
                                 "the " + input.role + " " + quote_text(input.path) + " is the result file " +
                                     quote_text(unit[k]->file) +
                                     ", which the run would overwrite: keep the input under another name");
        }
    }

    // /dev/null has nothing to empty.
    opened.keep = true;
    touched_ = true;
    for (std::size_t k = 0; k < unit.size(); ++k) {
        struct stat result {};
        if (::fstat(opened.fd[k], &result) == 0 && S_ISREG(result.st_mode) && ::ftruncate(opened.fd[k], 0) != 0)
            cannot_create(*unit[k], errno, false);
    }

    for (std::size_t k = 0; k < unit.size(); ++k) {
        errno = 0;
        stream[k]->open(path[k], std::ios::out | std::ios::trunc);
        if (!*stream[k]) cannot_create(*unit[k], errno, false);
        unit[k]->stream = stream[k];
    }
}

namespace {

[[noreturn]] void refuse_restart(const OutputUnit& unit, const std::string& what) {
    throw RunFailure(EXIT_INPUT_OR_FILE, "cannot restart: the result file " + quote_text(unit.file) + " " + what +
                                             "; no file has been changed (run the case afresh without --restart)");
}

// The fingerprint of the first `bytes` bytes of an open file; false when
// the file ends before them.
bool fingerprint_of_start(int fd, std::uint64_t bytes, Sha256& fingerprint) {
    std::string buffer(std::size_t{1} << 16, '\0');
    while (bytes > 0) {
        const std::size_t want = bytes < buffer.size() ? static_cast<std::size_t>(bytes) : buffer.size();
        const ssize_t n = ::read(fd, buffer.data(), want);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        fingerprint.update(buffer.data(), static_cast<std::size_t>(n));
        bytes -= static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace

void ResultFiles::reconnect(Units& units, const std::filesystem::path& folder,
                            const std::array<ResultFileMark, 4>& marks) {
    const std::array<OutputUnit*, 4> unit{&units.outw, &units.outb, &units.outg, &units.outs};
    const std::array<std::ofstream*, 4> stream{&outw_, &outb_, &outg_, &outs_};
    std::array<std::string, 4> path;
    std::array<bool, 4> regular{};
    std::array<Sha256, 4> fingerprint;
    for (std::size_t k = 0; k < unit.size(); ++k) {
        path[k] = (folder / unit[k]->file).string();
        struct stat status {};
        if (::stat(path[k].c_str(), &status) != 0) {
            if (marks[k].bytes == 0) continue;  // nothing was written: made afresh below
            refuse_restart(*unit[k], "is missing" + system_reason(errno));
        }
        refuse_special_file(*unit[k], status);
        if (is_null_device(status)) continue;
        if (S_ISDIR(status.st_mode)) refuse_restart(*unit[k], "is a folder");
        regular[k] = true;
        if (static_cast<std::uint64_t>(status.st_size) < marks[k].bytes)
            refuse_restart(*unit[k], "holds " + std::to_string(status.st_size) + " bytes, fewer than the " +
                                         std::to_string(marks[k].bytes) + " the run had written at its checkpoint");
        const int fd = ::open(path[k].c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) refuse_restart(*unit[k], "cannot be read" + system_reason(errno));
        const bool whole = fingerprint_of_start(fd, marks[k].bytes, fingerprint[k]);
        ::close(fd);
        if (!whole) refuse_restart(*unit[k], "could not be read to its recorded length");
        if (fingerprint[k].digest() != marks[k].fingerprint)
            refuse_restart(*unit[k], "has changed since the checkpoint (its first " + std::to_string(marks[k].bytes) +
                                         " bytes are not those the run wrote)");
    }

    touched_ = true;
    for (std::size_t k = 0; k < unit.size(); ++k) {
        if (regular[k] && ::truncate(path[k].c_str(), static_cast<off_t>(marks[k].bytes)) != 0)
            cannot_create(*unit[k], errno, false);
        errno = 0;
        stream[k]->open(path[k], std::ios::out | std::ios::app);
        if (!*stream[k]) cannot_create(*unit[k], errno, false);
        unit[k]->stream = stream[k];
        unit[k]->written = marks[k].bytes;
        unit[k]->fingerprint = fingerprint[k];
    }
}

void ResultFiles::disconnect(Units& units) {
    const std::array<OutputUnit*, 4> unit{&units.outw, &units.outb, &units.outg, &units.outs};
    const std::array<std::ofstream*, 4> stream{&outw_, &outb_, &outg_, &outs_};
    for (std::size_t k = 0; k < unit.size(); ++k) {
        if (!unit[k]->block.empty()) end_block(*unit[k]);
        errno = 0;
        stream[k]->close();
        unit[k]->stream = nullptr;
        if (stream[k]->fail())
            throw RunFailure(EXIT_INPUT_OR_FILE, "write failed on the result file " + quote_text(unit[k]->file) +
                                                     " when closing it" + system_reason(errno));
    }
}

}  // namespace tidmor
