#pragma once

#include <string>
#include <vector>

// Runs the built nubivane-decode as a user would, through the shell.
struct ToolRun {
  int status = -1;                 // exit code; -1 when the tool did not exit normally
  std::string output;              // standard output, byte for byte
  std::vector<std::string> lines;  // the same, one entry per line
};

// arguments is the shell command line after the tool's name (quote paths with Quoted).
ToolRun RunDecodeTool(const std::string& arguments);

std::string Quoted(const std::string& path);
// The shell's redirection that drops standard error.
extern const char kDiscardErrors[];
