#include "decode_tool_run.h"

#include <cstdio>

#ifndef _WIN32
#include <sys/wait.h>
#endif

// The command goes through the system's shell: sh, or cmd.exe on Windows, which reads
// redirections alike but quotes only with double quotes and takes the outermost pair of a
// quoted line away.
ToolRun RunDecodeTool(const std::string& arguments) {
  ToolRun run;
#ifdef _WIN32
  const std::string command = "\"" + Quoted(NUB_DECODE_TOOL) + " " + arguments + "\"";
  std::FILE* pipe = _popen(command.c_str(), "rb");
#else
  const std::string command = Quoted(NUB_DECODE_TOOL) + " " + arguments;
  std::FILE* pipe = popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) return run;
  std::string& output = run.output;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
#ifdef _WIN32
  run.status = _pclose(pipe);
#else
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  std::size_t start = 0;
  for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    run.lines.push_back(output.substr(start, end - start));
  }
  return run;
}

#ifdef _WIN32
std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
const char kDiscardErrors[] = "2>nul";
#else
std::string Quoted(const std::string& path) { return "'" + path + "'"; }
const char kDiscardErrors[] = "2>/dev/null";
#endif
