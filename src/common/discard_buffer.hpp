#pragma once
// A stream buffer that takes every character and keeps none: the console or
// result files of a model that does not write them.
#include <streambuf>

namespace tidmor {

class DiscardBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace tidmor
