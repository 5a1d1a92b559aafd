// The control file: the input data file name on its first line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/run_failure.hpp"
#include "input/control_file.hpp"

namespace tidmor {
namespace {

namespace fs = std::filesystem;

class ControlFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tidmor-control-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& content) {
        const std::string path = (dir_ / CONTROL_FILE).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string failure(const std::string& path) {
        try {
            read_control_file(path);
        } catch (const RunFailure& f) {
            EXPECT_EQ(f.status(), EXIT_INPUT_OR_FILE);
            return f.what();
        }
        ADD_FAILURE() << "accepted " << path;
        return {};
    }

    fs::path dir_;
};

TEST_F(ControlFile, NameOnTheFirstLine) {
    EXPECT_EQ(read_control_file(write("beach.dat\nother.dat\n")), "beach.dat");
    EXPECT_EQ(read_control_file(write("beach.dat")), "beach.dat");
    EXPECT_EQ(read_control_file(write("runs/b1.dat   \n")), "runs/b1.dat");
    EXPECT_EQ(read_control_file(write(" beach.dat\n")), " beach.dat");
}

TEST_F(ControlFile, OnlyTheFirstFifteenCharactersCount) {
    EXPECT_EQ(read_control_file(write("abcdefghijklmnopqrstu\n")), "abcdefghijklmno");
    EXPECT_EQ(read_control_file(write("beach.dat      remark\n")), "beach.dat");
    EXPECT_EQ(read_control_file(write("beach.dat\t\t\n")), "beach.dat");
}

TEST_F(ControlFile, CrlfLineEnd) {
    EXPECT_EQ(read_control_file(write("beach.dat\r\nx\r\n")), "beach.dat");
    EXPECT_EQ(read_control_file(write("abcdefghijklmno\r\n")), "abcdefghijklmno");
}

TEST_F(ControlFile, MissingFile) {
    const std::string path = (dir_ / "SIM.FILE").string();
    EXPECT_EQ(failure(path),
              "control file \"" + path + "\": cannot be opened (it must exist in the working directory): No such file or directory");
}

TEST_F(ControlFile, NoFirstLine) {
    const std::string path = write("");
    EXPECT_EQ(failure(path), "control file \"" + path + "\": has no first line naming the input data file");
}

TEST_F(ControlFile, EmptyName) {
    for (const char* content : {"\n", "               beach.dat\n", "   \r\n", "\t \nbeach.dat\n"}) {
        const std::string path = write(content);
        EXPECT_EQ(failure(path), "control file \"" + path +
                                     "\": the first 15 characters of line 1 name no input data file")
            << content;
    }
}

}  // namespace
}  // namespace tidmor
