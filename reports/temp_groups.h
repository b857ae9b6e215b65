#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>

// The group rules of TEMP reports (WMO FM 35), shared by the part decoders.

// The header "MiMiMjMj YYGGI IIiii" of each part; groups: 1 the part's word, 2 the day-hour
// group, 3 the station number.
inline constexpr const wxChar* kTtbbHeader = wxS("(TTBB)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})");
inline constexpr const wxChar* kPpbbHeader = wxS("(PPBB)[[:space:]]*([0-9/]{5})[[:space:]]*([0-9]{5})");

// Reads the five-character groups of a part (digits or "/", separated by white space or "|")
// one by one, from a position on. The first token that is not such a group ends the part: a
// following part or a word such as NIL or NNNN is never read as data.
class TempGroupReader {
 public:
  TempGroupReader(const wxString& text, std::size_t from) : text_(text), pos_(from) {}

  bool Next(wxString* group);
  // The next group without taking it.
  bool Peek(wxString* group) const;

 private:
  bool Find(std::size_t* start) const;

  const wxString& text_;
  std::size_t pos_;
};

// True when characters [from, from + count) of the group are all digits.
bool AllDigits(const wxString& group, std::size_t from, std::size_t count);

// The number in characters [from, from + count) of a group; only call it on digits.
int GroupNumber(const wxString& group, std::size_t from, std::size_t count);

// TTTDD: temperature in tenths (last digit odd below 0 degrees C), dew-point depression code.
// Slashes give the missing marker: a missing temperature makes the dew point missing too.
void ReadTemperatureGroup(const wxString& group, float* temperature, float* dewPoint);

// dddff: direction in 5-degree steps, the hundreds of the speed in the direction's last digit
// (27615 is 275 degrees, 115). knotsPerUnit turns the report's unit into knots. A group with
// slashes, or a direction past 360, gives the missing marker for both.
void ReadWindGroup(const wxString& group, double knotsPerUnit, std::uint16_t* direction,
                   std::uint16_t* speed);
