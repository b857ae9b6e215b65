#include "support/last_run.h"

#include <wx/tokenzr.h>

#include <vector>

#include "base/ascii.h"

namespace {

// What the conversion run logs for one station it leaves out: a fact about a report of the feed,
// not a fault of the program.
constexpr const char* kPerStationLines[] = {
    "Main: Error: Decode Metar -> ",
    "Main: Error: Convert Metar to NewWeather -> ",
    "Main: Error: Decode Upperair -> ",
    "Main: Error: convert Upperair to NewWeather -> ",
    "Main: Error: convert Synop to NewWeather -> ",
    "Main: Error: Check NewWeather -> ",
    "Main: Error: No founded Upperair from -> ",
    "Main: Error: Decode Upperair from -> ",
    "Main: Error: No founded Synop from -> ",
    "Main: Error: Decode Synop from -> ",
};

// A log line starts "<time> - ": the time, a blank, a dash, a blank.
std::size_t MessageStart(const wxString& line) {
  std::size_t i = 0;
  if (i < line.length() && line[i] == '-') ++i;
  const std::size_t digits = i;
  while (i < line.length() && IsAsciiDigit(line[i])) ++i;
  if (i == digits || line.compare(i, 3, wxS(" - ")) != 0) return wxString::npos;
  return i + 3;
}

// The messages of the log. A message may run over several lines (a bulletin's report text):
// a line that does not start like a log line belongs to the message before it.
std::vector<wxString> Messages(const wxString& log) {
  std::vector<wxString> messages;
  wxStringTokenizer lines(log, wxS("\r\n"), wxTOKEN_STRTOK);
  while (lines.HasMoreTokens()) {
    const wxString line = lines.GetNextToken();
    const std::size_t start = MessageStart(line);
    if (start != wxString::npos) {
      messages.push_back(line.Mid(start));
    } else if (!messages.empty()) {
      messages.back() += wxS("\n") + line;
    } else {
      messages.push_back(line);
    }
  }
  return messages;
}

bool IsPerStationLine(const wxString& message) {
  for (const char* kind : kPerStationLines) {
    if (message.StartsWith(wxString::FromAscii(kind))) return true;
  }
  return false;
}

}  // namespace

bool PreviousRunFailed(const wxString& previousLog) {
  if (previousLog.empty()) return false;
  bool closed = false;
  bool error = false;
  for (const wxString& message : Messages(previousLog)) {
    if (IsPerStationLine(message)) continue;
    if (message.find(wxS("Close")) != wxString::npos) closed = true;
    if (message.find(wxS("Error")) != wxString::npos) error = true;
  }
  return error || !closed;
}

std::string ErrorReportBody(const wxString& previousLog) {
  std::string body;
  body.reserve(previousLog.length());
  for (const wxUniChar c : previousLog) {
    const wxUniChar::value_type code = c.GetValue();
    body.push_back(code == ':' ? '-' : static_cast<char>(code <= 0xFF ? code : '?'));
  }
  return body;
}
