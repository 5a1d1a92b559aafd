#include "api/checkpoint.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/byte_codec.hpp"
#include "common/message_text.hpp"
#include "common/run_failure.hpp"

namespace tidmor {

namespace {

// The first bytes of every checkpoint (a function, so that no object of
// its own lies in the library's data, where a sanitizer build puts it).
constexpr std::string_view magic() { return "TIDMOR checkpoint\n"; }

void digest(ByteWriter& out, const Sha256::Digest& d) {
    out.raw(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
}

Sha256::Digest digest(ByteReader& in) {
    const std::string_view b = in.raw(Sha256::Digest{}.size());
    Sha256::Digest d{};
    for (std::size_t k = 0; k < d.size(); ++k) d[k] = static_cast<std::uint8_t>(b[k]);
    return d;
}

[[noreturn]] void cannot_write(const std::filesystem::path& file, int error_number) {
    throw RunFailure(EXIT_INPUT_OR_FILE, "cannot write the checkpoint " + quote_text(file.filename().string()) +
                                             system_reason(error_number) +
                                             "; the earlier checkpoint, if any, is left as it was");
}

// Closes the descriptor and removes the temporary file on a way out by failure.
struct TemporaryFile {
    const std::filesystem::path& path;
    int fd = -1;
    bool done = false;
    ~TemporaryFile() {
        if (fd >= 0) ::close(fd);
        if (!done) ::unlink(path.c_str());
    }
};

}  // namespace

std::string encode_checkpoint(const CheckpointHeader& header, std::string_view state) {
    ByteWriter out;
    out.raw(magic());
    out.u32(header.format);
    out.text(header.program);
    digest(out, header.control_file);
    digest(out, header.input_file);
    out.u64(header.periods_closed);
    out.u8(header.infiltration_given ? 1 : 0);
    out.u64(header.console_bytes);
    out.u8(header.bed_below_bottom_told ? 1 : 0);
    out.u64(static_cast<std::uint64_t>(header.snapshots.window_steps));
    out.real(header.snapshots.window_start);
    out.u8(header.snapshots.snapshot_seen ? 1 : 0);
    for (const ResultFileMark& mark : header.results) {
        out.u64(mark.bytes);
        digest(out, mark.fingerprint);
    }
    out.u64(state.size());
    out.raw(state);
    digest(out, sha256_of(out.bytes()));
    return out.take();
}

DecodedCheckpoint decode_checkpoint(std::string_view bytes) {
    if (bytes.substr(0, magic().size()) != magic()) throw CheckpointDamaged("it is not a checkpoint of tidmor");
    const std::size_t seal_size = Sha256::Digest{}.size();
    if (bytes.size() < magic().size() + seal_size) throw CheckpointDamaged("it is cut short");
    const std::string_view body = bytes.substr(0, bytes.size() - seal_size);
    ByteReader seal(bytes.substr(body.size()));
    if (digest(seal) != sha256_of(body)) throw CheckpointDamaged("it is cut short or damaged (its seal does not match)");

    DecodedCheckpoint out;
    ByteReader in(body.substr(magic().size()));
    try {
        CheckpointHeader& h = out.header;
        h.format = in.u32();
        // A later format may lay out the rest otherwise: the caller refuses it by its number.
        if (h.format != CHECKPOINT_FORMAT) return out;
        h.program = std::string(in.text());
        h.control_file = digest(in);
        h.input_file = digest(in);
        h.periods_closed = in.u64();
        h.infiltration_given = in.u8() != 0;
        h.console_bytes = in.u64();
        h.bed_below_bottom_told = in.u8() != 0;
        h.snapshots.window_steps = static_cast<std::int64_t>(in.u64());
        h.snapshots.window_start = in.real();
        h.snapshots.snapshot_seen = in.u8() != 0;
        for (ResultFileMark& mark : h.results) {
            mark.bytes = in.u64();
            mark.fingerprint = digest(in);
        }
        const std::uint64_t state_size = in.u64();
        if (state_size != in.left()) throw CheckpointDamaged("its model state has the wrong length");
        out.state = in.raw(static_cast<std::size_t>(state_size));
    } catch (const std::out_of_range&) {
        throw CheckpointDamaged("its header ends early");
    }
    return out;
}

void write_file_atomically(const std::filesystem::path& file, const std::filesystem::path& temporary,
                           std::string_view bytes) {
    TemporaryFile tmp{temporary};
    tmp.fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (tmp.fd < 0) cannot_write(file, errno);
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::write(tmp.fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) cannot_write(file, n < 0 ? errno : EIO);
        at += static_cast<std::size_t>(n);
    }
    if (::fsync(tmp.fd) != 0) cannot_write(file, errno);
    const int fd = tmp.fd;
    tmp.fd = -1;
    if (::close(fd) != 0) cannot_write(file, errno);
    if (::rename(temporary.c_str(), file.c_str()) != 0) cannot_write(file, errno);
    tmp.done = true;
    // The rename itself lasts only once the folder is on the disk too.
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace tidmor
