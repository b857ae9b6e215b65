#pragma once

#include <wx/file.h>
#include <wx/string.h>

#include <cstdint>
#include <string>
#include <utility>

// The run's log "nubivane.log": every run starts it afresh, after keeping what the previous run
// wrote, so that the start-up can tell whether that run ended cleanly. One line per message,
// "%i - %s\r\n" (Unix time, message), written in UTF-8 at once. GUI thread only.
class ClLog {
 public:
  explicit ClLog(wxString fileName);
  ~ClLog();
  ClLog(const ClLog&) = delete;
  ClLog& operator=(const ClLog&) = delete;

  void Write(wxString message, bool toFile, bool asMessage, bool asError);
  // The ways the program writes: nearly every line goes to the file only; a failure the user
  // must see at once also goes to the error box.
  void WriteToFile(wxString message) { Write(std::move(message), true, false, false); }
  void WriteToFileAndErrorBox(wxString message) { Write(std::move(message), true, false, true); }
  wxString GetLastLog() const { return LastLog; }

  // Mails body to the error-report mailbox; always 0 (the mail fails quietly). Uses none of
  // the log's members.
  int SendErrorMail(std::string body);

 private:
  wxFile File;
  wxString LastLog;  // the file's content when the run started, bytes as ISO 8859-1
  wxString RunLog;   // every line of this run
};

// One log line: the low 32 bits of the time as a signed number, " - ", the message, "\r\n".
wxString FormatLogLine(std::int64_t unixSeconds, const wxString& message);
