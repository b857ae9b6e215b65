#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

// The record of the manual-weather dialog as the simulator receives it, written out byte by byte
// (little-endian): a list of runs at their offsets, every other byte of the 1024 zero.
namespace manualbytes {

struct Run {
  std::size_t offset;
  std::vector<std::uint8_t> bytes;
};

// The dialog as it opens: GLOB, wind 090/10 with variance 10 degrees, 20000 m, 12/8 at 10000 ft,
// cirrus 0/8 from 2000 to 10000 ft, rate 2.
inline const std::vector<Run>& AsItOpens() {
  static const std::vector<Run> runs = {
      {0, {0x01, 0x00}},                // command word 1
      {8, {'G', 'L', 'O', 'B'}},        // station
      {40, {0x50, 0x3F}},               // 16208: 1013 mb
      {44, {0xB8, 0x0B}},               // visibility upper altitude 3000 m
      {48, {0x20, 0x4E}},               // visibility range 20000, as typed
      {52, {0x01, 0x00, 0x00, 0x00}},   // one temperature layer
      {56, {0xE7, 0x0B}},               // 10000 ft: 3047 m
      {58, {0x0C, 0x00}},               // 12 C
      {62, {0x08, 0x00}},               // dew point 8 C
      {248, {0x01, 0x00, 0x00, 0x00}},  // one wind layer
      {252, {0x20, 0x4E}},              // wind layer altitude 20000 m
      {254, {0x0A, 0x00}},              // 10 kt
      {258, {0x00, 0x40}},              // 090: 16384
      {262, {0x1C, 0x07}},              // variance 10 degrees: 1820
      {264, {0xE8, 0xFD}},              // 65000
      {636, {0x01, 0x00, 0x00, 0x00}},  // one cloud layer
      {640, {0xE7, 0x0B}},              // top 10000 ft: 3047 m
      {642, {0x61, 0x02}},              // base 2000 ft: 609 m
      {647, {0x01}},                    // cirrus
      {653, {0x02}},                    // rate 2
  };
  return runs;
}

// The record as it opens with the runs given written over it.
inline std::vector<std::uint8_t> Record(const std::vector<Run>& changed = {}) {
  std::vector<std::uint8_t> record(1024, 0);
  for (const std::vector<Run>* runs : {&AsItOpens(), &changed}) {
    for (const Run& run : *runs) {
      for (std::size_t i = 0; i < run.bytes.size(); ++i) record.at(run.offset + i) = run.bytes[i];
    }
  }
  return record;
}

// The offsets where two records differ, with both bytes, for a readable failure.
inline std::string Differences(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want) {
  std::ostringstream text;
  if (got.size() != want.size()) text << "size " << got.size() << " instead of " << want.size() << "; ";
  for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) {
    if (got[i] != want[i]) text << "@" << i << ": " << int{got[i]} << " not " << int{want[i]} << "; ";
  }
  return text.str();
}

}  // namespace manualbytes
