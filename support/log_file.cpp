#include "support/log_file.h"

#include <wx/log.h>
#include <wx/time.h>

#include <vector>

#include "support/support_ui.h"

namespace {

// Large pieces: the previous log can be hundreds of megabytes, and every piece is a system call.
constexpr std::size_t kReadPieceBytes = 64 * 1024;

// The log has always written a 32-bit time: from 2038 on it wraps to negative numbers.
std::int32_t LowWordAsSigned(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

// The previous content through the check, piece by piece; goOn is asked before every piece. A
// read that fails ends the reading with what came before it.
void ReadPreviousContent(const wxString& fileName, LastRunCheck& check, const std::function<bool()>& goOn) {
  // A missing file is the normal first run: the library must not report the failed open.
  wxLogNull quiet;
  wxFile file;
  if (!file.Open(fileName, wxFile::read)) {
    return;
  }
  std::vector<char> piece(kReadPieceBytes);
  while (!goOn || goOn()) {
    const ssize_t n = file.Read(piece.data(), piece.size());
    if (n == wxInvalidOffset || n <= 0) {
      break;
    }
    check.Take(piece.data(), static_cast<std::size_t>(n));
  }
}

}  // namespace

// "%i - %s\r\n", with the message appended rather than formatted: a format's "%s" would end it at
// a NUL character, and the message is written whole.
wxString FormatLogLine(std::int64_t unixSeconds, const wxString& message) {
  return wxString::Format(wxS("%i - "), LowWordAsSigned(unixSeconds)) + message + wxS("\r\n");
}

ClLog::ClLog(wxString fileName, const std::function<bool()>& goOn) {
  ReadPreviousContent(fileName, LastRun, goOn);
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

wxString ClLog::GetLastLog() const {
  const std::string tail = LastRun.Tail();
  return wxString(tail.data(), wxConvISO8859_1, tail.size());
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
