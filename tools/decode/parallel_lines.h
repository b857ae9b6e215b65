#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "json_writer.h"

// One line of the input: where it starts in the input bytes and how long it is.
struct LineRange {
  const char* begin;
  std::size_t length;
};

// The input's lines that are not blank (see ForEachFilledLine).
std::vector<LineRange> FilledLines(const std::string& bytes);

// Turns one line into its output; each worker thread has its own (a decoder keeps state).
using LineWriter = std::function<void(const LineRange& line, JsonBuffer& out)>;

// Runs the lines through writers made by make, block by block on several threads, and writes the
// blocks to out in the order of the input, so the output is the same as from a single thread.
// Only a few blocks are held at a time.
void WriteLinesInOrder(const std::vector<LineRange>& lines, const std::function<LineWriter()>& make,
                       std::ostream& out);
