// The file layer: a result file receives whole blocks, and a write that
// fails is noticed when its block is flushed.
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <streambuf>
#include <string>

#include "common/run_failure.hpp"
#include "common/units.hpp"

namespace tidmor {
namespace {

// A file whose device fails once `room` bytes are taken: what fits is
// kept, the rest is refused as a full disk refuses it (ENOSPC).
class FillingDevice : public std::streambuf {
public:
    explicit FillingDevice(std::size_t room) : room_(room) {}
    std::string written;

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const auto taken = std::min<std::size_t>(static_cast<std::size_t>(count), room_ - written.size());
        written.append(text, taken);
        if (taken < static_cast<std::size_t>(count)) errno = ENOSPC;
        return static_cast<std::streamsize>(taken);
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

private:
    std::size_t room_;
};

TEST(ResultBlocks, ReachTheStreamWholeAtTheEndOfTheBlock) {
    std::ostringstream file;
    OutputUnit unit{7, "outb.dat", &file, {}, 0, {}};
    write_record(unit, "line 1");
    write_record(unit, "line 2");
    EXPECT_EQ(file.str(), "");  // nothing of an unfinished block
    end_block(unit);
    EXPECT_EQ(file.str(), "line 1\nline 2\n");
    end_block(unit);  // an empty block adds nothing
    EXPECT_EQ(file.str(), "line 1\nline 2\n");
}

TEST(ResultBlocks, AFailedWriteIsFatalAtTheFlushOfItsBlock) {
    FillingDevice device(20);
    std::ostream file(&device);
    OutputUnit unit{3, "outg.dat", &file, {}, 0, {}};
    write_record(unit, "first block");
    end_block(unit);
    write_record(unit, "second block");  // does not fit; noticed at the flush
    try {
        end_block(unit);
        FAIL() << "a failed write went unnoticed";
    } catch (const RunFailure& failure) {
        EXPECT_EQ(failure.status(), EXIT_INPUT_OR_FILE);
        EXPECT_EQ(std::string(failure.what()), "write failed on the result file \"outg.dat\": No space left on device");
    }
    EXPECT_EQ(device.written.substr(0, 12), "first block\n");
}

TEST(ResultBlocks, AnUnconnectedUnitIsFatal) {
    OutputUnit unit{9, "outw.dat", nullptr, {}, 0, {}};
    EXPECT_THROW(write_record(unit, "x"), RunFailure);
}

}  // namespace
}  // namespace tidmor
