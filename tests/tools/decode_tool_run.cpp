#include "decode_tool_run.h"

#include <sys/wait.h>

#include <cstdio>

ToolRun RunDecodeTool(const std::string& arguments) {
  ToolRun run;
  const std::string command = Quoted(NUB_DECODE_TOOL) + " " + arguments;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::string& output = run.output;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::size_t start = 0;
  for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    run.lines.push_back(output.substr(start, end - start));
  }
  return run;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }
