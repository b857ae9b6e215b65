#include "reports/metar.h"

#include "reports/report_pattern.h"
#include "reports/report_text.h"

namespace {

constexpr std::size_t kMinReportLength = 20;
constexpr std::size_t kIcaoLength = 4;

// The text between two commas (to the end of the line when there is no closing comma).
wxString Field(const wxString& line, std::size_t afterComma, std::size_t* nextComma) {
  if (afterComma == wxString::npos) {
    *nextComma = wxString::npos;
    return wxString();
  }
  *nextComma = line.find(',', afterComma + 1);
  const std::size_t end = *nextComma == wxString::npos ? line.length() : *nextComma;
  return line.Mid(afterComma + 1, end - afterComma - 1);
}

}  // namespace

bool ParseAirportLine(const wxString& line, StationEntry& entry) {
  const std::size_t first = line.find(',');
  if (first == wxString::npos) return false;
  std::size_t second = line.find(',', first + 1);
  if (second == wxString::npos) return false;

  entry = StationEntry();
  entry.Id = line.Left(kIcaoLength);  // always the first four characters, whatever the field's length
  entry.Name = line.Mid(first + 1, second - first - 1);
  std::size_t third = wxString::npos;
  entry.Elevation = static_cast<std::int32_t>(ReadWholeNumber(Field(line, second, &third)));
  std::size_t fourth = wxString::npos;
  entry.Latitude = static_cast<float>(ReadDecimalNumber(Field(line, third, &fourth)));
  std::size_t fifth = wxString::npos;
  entry.Longitude = static_cast<float>(ReadDecimalNumber(Field(line, fourth, &fifth)));
  return true;
}

void ClMetar::AddAirports(const wxString& text) {
  StationEntry entry;
  for (const wxString& line : SplitLines(text)) {
    if (ParseAirportLine(line, entry)) Airports.push_back(entry);
  }
  Index.Build(Airports);
}

bool ClMetar::LoadAirports(const wxString& path, wxString* problem) {
  wxString text;
  if (!AppendCatalogueFile(path, text, problem)) return false;
  AirportText += text;
  AddAirports(text);
  return true;
}

bool ClMetar::FindMetarStation(MetarRecord* record) const {
  if (record->Raw.length() < kMinReportLength || record->Raw.length() > kMaxMetarLength) return false;
  static thread_local const ReportPattern kHeader(wxS("^([A-Z]{4}) ([0-9]{6}Z)"));
  if (!kHeader.Search(record->Raw)) return false;
  record->Icao = kHeader.GroupText(record->Raw, 1);
  record->Time = kHeader.GroupText(record->Raw, 2);

  const std::size_t found = Index.Find(record->Icao);
  if (found == StationIndex::npos) return false;
  const StationEntry& airport = Airports[found];
  record->Latitude = airport.Latitude;
  record->Longitude = airport.Longitude;
  record->Elevation = airport.Elevation;
  record->Name = airport.Name;
  return true;
}
