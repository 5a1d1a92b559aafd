#pragma once
// What kind of file a path names, for the checks that the program reads
// and writes only regular files.
//
// A FIFO, a device or a socket cannot be read twice or checked before use,
// and opening a FIFO blocks until another program opens its other end; the
// program refuses them with the reason instead. /dev/null (by any name) is
// the one device a result file may be: it discards what the run writes.
#include <sys/stat.h>

#include <string>

namespace tidmor {

// "a FIFO (named pipe)", "a character device", "a block device", "a socket",
// "a folder", or "" for a regular file.
std::string file_kind(const struct stat& status);

// The kind of what `path` names now (links followed); "" for a regular file
// and when there is nothing there (or it cannot be examined), so that the
// open that follows reports that in its own words.
std::string path_kind(const std::string& path);

// Whether the file is the null device.
bool is_null_device(const struct stat& status);

}  // namespace tidmor
