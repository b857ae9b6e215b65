#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "reports/synop_record.h"
#include "reports/weather_station.h"

// The longest piece (and carried header) taken as a SYNOP report. Real pieces, a bulletin's
// heading included, stay within about a thousand characters; a longer one (a feed that arrives
// without "=", an error page) is refused before any pattern runs, so that it cannot hold the
// loader or the GUI thread.
constexpr std::size_t kMaxSynopPieceLength = 4096;

// The SYNOP station class: identifies the reporting station of a SYNOP piece in "station.dat".
class ClSynop : private ClWeatherStation {
 public:
  explicit ClSynop(const wxString& path = wxS("station.dat")) : ClWeatherStation(path) {}
  ~ClSynop() override = default;
  using ClWeatherStation::CatalogueRead;
  using ClWeatherStation::ReadProblem;

  // True when the piece (of at least 40 characters) holds "AAXX YYGGi IIiii", taken together with
  // SynopRecord::Header when the piece has no section-0 header of its own, and the station IIiii
  // is in the catalogue; then Station is the first catalogue entry with that number. A NIL report
  // is not identified, nor a piece or header longer than kMaxSynopPieceLength. Reads Raw and
  // Header, writes only Station.
  bool FindSynopStation(SynopRecord* record) const;
};

// Index of the nearest report within 300 km (inclusive) of the position, the later one of equal
// distances; -1 when there is none.
std::int32_t NearestSynop(float latitude, float longitude, const std::vector<SynopRecord>* synops);

// Decodes time, visibility and clouds of an identified piece. False when the five-group header
// "AAXX YYGGi IIiii iRixhVV Nddff" does not decode (a NIL report, a cut-off piece) and for a
// piece or header longer than kMaxSynopPieceLength; the record then holds no time, no visibility
// and no cloud type.
bool DecodeSynop(SynopRecord* record);

// The "AAXX YYGGi" header in force after a piece, given the one in force before it: a piece that
// opens a new section 0 or a new bulletin replaces it (with empty for ship and mobile sections,
// bulletin headings and message ends); any other piece keeps it. A piece longer than
// kMaxSynopPieceLength gives empty: what follows it belongs to no known section 0.
wxString SynopHeaderAfter(const wxString& piece, const wxString& previous);

// The text identification and decoding work on: the piece itself, or the bulletin's header
// followed by the piece when the piece has no header of its own.
wxString SynopWorkingText(const SynopRecord& record);
