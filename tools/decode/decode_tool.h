#pragma once

#include <wx/string.h>

#include <map>
#include <ostream>
#include <set>
#include <string>

// nubivane-decode: reads report text and prints one JSON object per report. Each mode lives in
// its own file and registers itself; the default mode decodes METAR lines.

struct DecodeArgs {
  std::map<std::string, std::string> values;  // --airports FILE, --stations FILE, --options FILE
  std::set<std::string> flags;                // --synop, --ttaa, --record, --profile, ...
  std::string bytes;                          // the whole input as read

  // The input as text, each byte the character of the same code (ISO 8859-1).
  wxString Text() const;

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::string Value(const std::string& key) const {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  }
};

struct DecodeMode {
  std::string flag;  // "" for the default mode
  std::string help;  // lines for --help
  int (*run)(const DecodeArgs& args, std::ostream& out);
};

// Called from a static initialiser in each mode's file.
bool RegisterDecodeMode(const DecodeMode& mode);

// Options that take a value (so the parser knows "--airports FILE" from a flag).
bool RegisterDecodeValueOption(const std::string& name);
