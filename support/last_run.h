#pragma once

#include <wx/string.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The start-up's look at what the previous run left in "nubivane.log". The log is read once, in
// pieces, and only what the start-up needs of it is kept: whether that run needs a report, and
// the end of the log that a report carries. Memory stays the same whatever the log's size.

// A report carries at most this much of the end of the log.
constexpr std::size_t kReportTailBytes = 1024 * 1024;

class LastRunCheck {
 public:
  // The next piece of the log's bytes, in order.
  void Take(const char* bytes, std::size_t count);

  // True when the previous run needs a report: it did not end (no "Close"), or the program itself
  // logged an error. The per-station lines a normal conversion run writes for reports that do not
  // decode or convert ("Main: Error: Decode Metar -> ..." and its kind) do not count, nor does an
  // empty log (a first start). Looks at everything taken so far as a whole log.
  bool Failed() const;

  std::uint64_t LogBytes() const { return logBytes_; }
  // The last kReportTailBytes of the log at most, its bytes as they were.
  std::string Tail() const;

 private:
  // Where in its line the reading stands. A line that starts "<time> - " begins a message; any
  // other line belongs to the message before it (a bulletin's report text), or is a message of
  // its own when none came before it.
  enum class Stage {
    kLineStart,
    kSign,    // "-": a wrapped time
    kDigits,  // the time
    kBlank,   // "<time> "
    kDash,    // "<time> -"
    kKind,    // the first bytes of a message: is it a per-station line?
    kScan,    // looking for the two words
    kSkip,    // a line of a per-station message
  };

  void TakeByte(char c);
  void EndLine();
  // A line that does not start like a log line: c is its first byte that says so.
  void NotALogLine(char c, bool atLineStart);
  void BeginKind(char c);
  void KindByte(char c);
  void Scan(char c);
  void ScanKindBytes();

  std::uint64_t logBytes_ = 0;
  std::string tail_;  // grows to twice the report's tail, then keeps its last part

  Stage stage_ = Stage::kLineStart;
  bool haveMessage_ = false;
  bool perStation_ = false;  // the message the reading is in
  std::array<char, 64> kind_{};
  std::size_t kindLength_ = 0;
  std::uint32_t kindCandidates_ = 0;  // one bit per per-station prefix the message may still be
  std::size_t closeMatched_ = 0;      // how much of "Close" the last bytes of the line matched
  std::size_t errorMatched_ = 0;
  bool closed_ = false;
  bool error_ = false;
};

// The whole log at once, as the bytes it was read from (each character one ISO 8859-1 byte).
bool PreviousRunFailed(const wxString& previousLog);

// The mail body of the report: the end of the log that the check kept, with every ":" made "-",
// as the bytes it was read from. A log longer than that starts with a line that says it was cut.
std::string ErrorReportBody(const LastRunCheck& check);
