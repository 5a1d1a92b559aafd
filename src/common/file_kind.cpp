#include "common/file_kind.hpp"

namespace tidmor {

std::string file_kind(const struct stat& status) {
    const mode_t mode = status.st_mode;
    if (S_ISREG(mode)) return "";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISDIR(mode)) return "a folder";
    return "not a regular file";
}

std::string path_kind(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return "";
    return file_kind(status);
}

bool is_null_device(const struct stat& status) {
    struct stat null_device {};
    return S_ISCHR(status.st_mode) && ::stat("/dev/null", &null_device) == 0 && S_ISCHR(null_device.st_mode) &&
           status.st_rdev == null_device.st_rdev;
}

}  // namespace tidmor
