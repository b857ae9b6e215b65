#pragma once

#include <wx/file.h>
#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "support/last_run.h"

// The run's log "nubivane.log": every run starts it afresh, after looking at what the previous
// run wrote, so that the start-up can tell whether that run ended cleanly. One line per message,
// "%i - %s\r\n" (Unix time, message), written in UTF-8 at once. GUI thread only.
class ClLog {
 public:
  // goOn, where given, is asked before every piece of the previous log; false ends the reading
  // there (the file is emptied all the same).
  explicit ClLog(wxString fileName, const std::function<bool()>& goOn = {});
  ~ClLog();
  ClLog(const ClLog&) = delete;
  ClLog& operator=(const ClLog&) = delete;

  void Write(wxString message, bool toFile, bool asMessage, bool asError);
  // The ways the program writes: nearly every line goes to the file only; a failure the user
  // must see at once also goes to the error box.
  void WriteToFile(wxString message) { Write(std::move(message), true, false, false); }
  void WriteToFileAndErrorBox(wxString message) { Write(std::move(message), true, false, true); }
  // The end of the previous content that a report carries (all of it up to a megabyte), each
  // byte as the character of the same code.
  wxString GetLastLog() const;
  // What the start-up needs of the previous content.
  const LastRunCheck& GetLastRun() const { return LastRun; }

  // Mails body to the error-report mailbox; always 0 (the mail fails quietly). Uses none of
  // the log's members. goOn, where given, is asked between the slices of every wait of the mail
  // and ends it at once when it says false.
  int SendErrorMail(std::string body, const std::function<bool()>& goOn = {});

 private:
  wxFile File;
  LastRunCheck LastRun;  // the file's content when the run started, looked at once
  wxString RunLog;       // every line of this run
};

// One log line: the low 32 bits of the time as a signed number, " - ", the message, "\r\n".
wxString FormatLogLine(std::int64_t unixSeconds, const wxString& message);
