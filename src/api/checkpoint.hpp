#pragma once
// Checkpoints: the state of a run at the end of a time step, kept so that
// the run can go on later, in another process or on another machine, and
// end with exactly the bits of a run that never stopped.
//
// A checkpoint holds, in this order (integers unsigned little-endian of the
// width given, reals as the 64 bits of their IEEE double, little-endian;
// a text is its u32 length and its bytes):
//
//   "TIDMOR checkpoint\n"        18 bytes, to know the file
//   format                       u32, CHECKPOINT_FORMAT
//   program                      text, the version line of the program that wrote it
//   control file, input file     32 bytes each, SHA-256 of "SIM.FILE" and of the input data file as read
//   periods closed               u64, wave periods the run has closed
//   infiltration given           u8, 1 when a coupler sets INFIL (in-process interface)
//   console                      u64, bytes written to standard output
//   warnings told                u8, 1 once the bed below the aquifer bottom has been warned of;
//                                i64 steps, real TIME of the first, u8 a snapshot seen: the
//                                steps of the last four wave periods watched so far
//   outw, outb, outg, outs       u64 length and 32-byte SHA-256 of each result file as written
//   state                        u64 length, then the model's blocks (model_state.hpp)
//   seal                         32 bytes, SHA-256 of everything before it
//
// The form is the same on every machine, so a checkpoint made on x86-64
// goes on under aarch64 (or any other) to the same bits.
#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/sha256.hpp"
#include "output/snapshot_warnings.hpp"
#include "output/result_files.hpp"

namespace tidmor {

// The checkpoint of a case, in its folder, and the name it is written
// under until it is whole.
inline constexpr const char* CHECKPOINT_FILE = "tidmor.checkpoint";
inline constexpr const char* CHECKPOINT_TEMPORARY_FILE = "tidmor.checkpoint.tmp";
// Raised whenever the layout changes; a checkpoint of another format is refused.
inline constexpr std::uint32_t CHECKPOINT_FORMAT = 2;

struct CheckpointHeader {
    std::uint32_t format = CHECKPOINT_FORMAT;
    std::string program;
    Sha256::Digest control_file{};
    Sha256::Digest input_file{};
    std::uint64_t periods_closed = 0;
    bool infiltration_given = false;
    std::uint64_t console_bytes = 0;
    bool bed_below_bottom_told = false;
    SnapshotWatch::Tally snapshots;
    std::array<ResultFileMark, 4> results{};  // outw, outb, outg, outs
};

// A checkpoint that cannot be used: not one, cut short, damaged.
class CheckpointDamaged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole file from its header and the model's encoded state.
std::string encode_checkpoint(const CheckpointHeader& header, std::string_view state);

struct DecodedCheckpoint {
    CheckpointHeader header;
    std::string_view state;  // into the bytes decoded
};
// Reads and checks the seal; throws CheckpointDamaged saying what is wrong.
DecodedCheckpoint decode_checkpoint(std::string_view bytes);

// Writes `bytes` to `file` so that `file` is always either the earlier
// checkpoint or the new one, whole: written under `temporary` in the same
// folder, flushed to the disk, renamed over `file`, and the folder flushed.
// Throws RunFailure (status 1) naming the file and the system's reason.
void write_file_atomically(const std::filesystem::path& file, const std::filesystem::path& temporary,
                           std::string_view bytes);

}  // namespace tidmor
