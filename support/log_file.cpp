#include "support/log_file.h"

#include <wx/log.h>
#include <wx/time.h>

#include "support/support_ui.h"

namespace {

constexpr std::size_t kReadPieceBytes = 255;

// The log has always written a 32-bit time: from 2038 on it wraps to negative numbers.
std::int32_t LowWordAsSigned(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

// The previous content, each byte as the character of the same code. A read that fails ends
// the reading with what came before it.
wxString ReadPreviousContent(const wxString& fileName) {
  wxString content;
  // A missing file is the normal first run: the library must not report the failed open.
  wxLogNull quiet;
  wxFile file;
  if (!file.Open(fileName, wxFile::read)) {
    return content;
  }
  char piece[kReadPieceBytes];
  while (!file.Eof()) {
    const ssize_t n = file.Read(piece, sizeof piece);
    if (n == wxInvalidOffset || n <= 0) {
      break;
    }
    content.append(wxString(piece, wxConvISO8859_1, static_cast<std::size_t>(n)));
  }
  return content;
}

}  // namespace

// "%i - %s\r\n", with the message appended rather than formatted: a format's "%s" would end it at
// a NUL character, and the message is written whole.
wxString FormatLogLine(std::int64_t unixSeconds, const wxString& message) {
  return wxString::Format(wxS("%i - "), LowWordAsSigned(unixSeconds)) + message + wxS("\r\n");
}

ClLog::ClLog(wxString fileName) {
  LastLog = ReadPreviousContent(fileName);
  bool created = false;
  {
    // Our own box says it; the library's report of the failed open would be a second one.
    wxLogNull quiet;
    created = File.Create(fileName, true, wxS_DEFAULT);
  }
  if (!created) {
    // "Cloud't" is the text users and their reports know: kept as it is on purpose.
    CurrentSupportUi().ShowMessage(wxS("Cloud't open file ") + fileName, wxS("Log Error"), wxOK | wxCENTRE,
                                   nullptr);
  }
}

ClLog::~ClLog() {
  if (File.IsOpened()) {
    File.Close();
  }
}

void ClLog::Write(wxString message, bool toFile, bool asMessage, bool asError) {
  const wxString line = FormatLogLine(wxGetUTCTime(), message);
  RunLog += line;
  if (toFile && File.IsOpened()) {
    const wxScopedCharBuffer bytes = line.utf8_str();
    // A failed write loses the line for the file and nothing else; the library must not raise
    // a box for every line of a full disk.
    wxLogNull quiet;
    File.Write(bytes.data(), bytes.length());
  }
  // The line is the entry's text, never its format: a "%" in a message stays a "%".
  if (asMessage) {
    wxLogMessage(wxS("%s"), line);
  }
  if (asError) {
    wxLogError(wxS("%s"), line);
  }
}
