#include <wx/init.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <vector>

#include "decode_tool.h"
#include "platform/console.h"
#include "reports/report_text.h"

namespace {

std::vector<DecodeMode>& Modes() {
  static std::vector<DecodeMode> modes;
  return modes;
}

std::set<std::string>& ValueOptions() {
  static std::set<std::string> options;
  return options;
}

void PrintHelp() {
  std::cout << "Usage: nubivane-decode [MODE] [OPTIONS] [FILE]\n"
               "Reads reports from FILE (or standard input) and prints one JSON object per report.\n\n";
  for (const DecodeMode& mode : Modes()) std::cout << mode.help << "\n";
}

bool ReadAll(std::FILE* file, std::string& bytes) {
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  return !std::ferror(file);
}

}  // namespace

wxString DecodeArgs::Text() const { return Latin1ToString(bytes.data(), bytes.size()); }

bool RegisterDecodeMode(const DecodeMode& mode) {
  Modes().push_back(mode);
  return true;
}

// True also for a name already registered: several modes share an option, and a mode that
// chains its registrations with && must not lose its own to the order of static initialisers.
bool RegisterDecodeValueOption(const std::string& name) {
  ValueOptions().insert(name);
  return true;
}

int main(int argc, char** argv) {
  platform::UseBinaryStandardStreams();  // the same bytes on every platform
  wxInitializer initializer;
  if (!initializer.IsOk()) {
    std::cerr << "nubivane-decode: cannot initialise wxWidgets\n";
    return 2;
  }
  DecodeArgs args;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintHelp();
      return 0;
    }
    if (arg.rfind("--", 0) == 0) {
      const std::string name = arg.substr(2);
      if (ValueOptions().count(name)) {
        if (i + 1 >= argc) {
          std::cerr << "nubivane-decode: " << arg << " needs a value\n";
          return 2;
        }
        args.values[name] = argv[++i];
      } else {
        args.flags.insert(name);
      }
    } else if (file.empty()) {
      file = arg;
    } else {
      std::cerr << "nubivane-decode: more than one input file\n";
      return 2;
    }
  }

  const DecodeMode* chosen = nullptr;
  for (const DecodeMode& mode : Modes()) {
    if (mode.flag.empty() ? chosen == nullptr : args.Has(mode.flag)) chosen = &mode;
  }
  if (chosen == nullptr) {
    std::cerr << "nubivane-decode: no decoding mode\n";
    return 2;
  }

  std::FILE* in = file.empty() ? stdin : std::fopen(file.c_str(), "rb");
  if (in == nullptr) {
    std::cerr << "nubivane-decode: cannot open " << file << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  const bool read = ReadAll(in, args.bytes);
  if (in != stdin) std::fclose(in);
  if (!read) {
    std::cerr << "nubivane-decode: cannot read " << (file.empty() ? "standard input" : file) << "\n";
    return 1;
  }
  return chosen->run(args, std::cout);
}
