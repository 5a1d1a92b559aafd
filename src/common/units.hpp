#pragma once
// The file layer: the console and the four result files as numbered units.
//
// A result file is written a block at a time (a snapshot, a profile record,
// a start-up block): write_record collects the lines of the block and
// end_block hands them to the stream in one piece and flushes it. So the
// file on disk always ends with a whole block, even when the program is
// killed (SIGKILL) or fails in the middle of one, and a failed write (disk
// full, file-size limit, file closed under us) is noticed at the end of the
// block it belongs to; it is fatal and names the file and the system's
// reason. The console is checked after each write the same way.
// Tests connect units to string streams.
#include <cstdint>
#include <iostream>
#include <ostream>
#include <string>
#include <string_view>

#include "common/sha256.hpp"

namespace tidmor {

struct OutputUnit {
    int number = 0;
    std::string file;              // name as the user knows it
    std::ostream* stream = nullptr;
    std::string block;             // lines of the block not yet handed to the stream
    // What the stream has taken so far: its length in bytes and its running
    // fingerprint, which a checkpoint keeps to know the file again.
    std::uint64_t written = 0;
    Sha256 fingerprint;
};

// Told of each sweep of the start-up relaxation of the water table (the
// progress line of the program); nothing it does changes a result.
class RelaxationObserver {
public:
    virtual ~RelaxationObserver() = default;
    // The sweep number and the mean movement of the water-table nodes in it (m).
    virtual void relaxation_sweep(int sweep, double movement) = 0;
};

// Where a run's lines go: the console and the four result files. Kept
// apart from the model's state: the program connects files, tests and the
// in-process interface may connect strings.
struct Units {
    std::ostream* console = &std::cout;
    OutputUnit outw{9, "outw.dat", nullptr, {}, 0, {}};  // wave snapshots
    OutputUnit outb{7, "outb.dat", nullptr, {}, 0, {}};  // beach profiles
    OutputUnit outg{3, "outg.dat", nullptr, {}, 0, {}};  // aquifer boundary snapshots
    OutputUnit outs{8, "outs.dat", nullptr, {}, 0, {}};  // swash statistics
    RelaxationObserver* relaxation_observer = nullptr;
};

// Adds one line (the text and a line end) to the unit's current block.
void write_record(OutputUnit& unit, std::string_view line);
// Writes the block out and flushes the stream; fatal on failure.
void end_block(OutputUnit& unit);

// Console lines begin with one blank, as every line of the program does.
// A console that cannot be written (standard output on a full disk) is
// fatal like a result file.
void write_console(std::ostream& console, std::string_view text);
void flush_console(std::ostream& console);
[[noreturn]] void console_failure();

}  // namespace tidmor
