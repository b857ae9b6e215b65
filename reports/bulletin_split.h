#pragma once

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <vector>

// Cuts a downloaded upper-air or SYNOP text into its pieces at every "=", the way the library's
// tokenizer does in its default mode: an empty piece between two "=" counts as long as some other
// character follows later, the piece after the last "=" counts when it holds any character, and
// a text of nothing but "=" gives one empty piece. Unlike the tokenizer, which looks through a
// run of "=" again from each of its characters, every pass here reads each character once.
class BulletinPieces {
 public:
  explicit BulletinPieces(const wxString& text) : text_(text) {}

  // Counts the pieces in one pass. keepGoing is asked every few ten thousand characters; when it
  // says no, the scan ends at once with false and no piece.
  bool Scan(const std::function<bool()>& keepGoing);
  std::size_t Count() const { return count_; }

  // The next piece after a scan, in order; false after the last one.
  bool Next(wxString* piece);

 private:
  const wxString& text_;
  std::size_t count_ = 0;
  std::size_t taken_ = 0;
  std::size_t next_ = 0;  // where the next piece starts
};

// All pieces of a text at once (the tools and the decoders' tests).
std::vector<wxString> SplitBulletinPieces(const wxString& text);
