#pragma once
#include <istream>
#include <string>

#include "input/input_values.hpp"
#include "model/model.hpp"

namespace tidmor {

// Reads the eight input groups from the input data file (unit 5), sets the
// fixed constants, derives the scaled quantities and builds the initial
// plane beach under still water. Input the model cannot run safely is
// rejected with a message naming the value, the limit, the file and line.
void INPUT_DATA(Model& m, std::istream& unit5, const std::string& file_name);

// The same from the groups once read (read_input_groups): they must have
// passed its checks; later rejections name `file_name` as the file.
void INPUT_DATA(Model& m, const InputValues& input, const std::string& file_name);

}  // namespace tidmor
