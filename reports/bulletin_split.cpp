#include "reports/bulletin_split.h"

namespace {

// How many characters a pass reads between two questions whether it may go on.
constexpr std::size_t kCharsPerStopCheck = 1 << 16;

}  // namespace

bool BulletinPieces::Scan(const std::function<bool()>& keepGoing) {
  count_ = 0;
  taken_ = 0;
  next_ = 0;
  const wxStringCharType* chars = text_.wx_str();
  const std::size_t size = text_.length();
  // A piece starts at the text's start and after every "="; it counts when some character other
  // than "=" lies at its start or after it, so the pieces are the "=" before the last such
  // character, plus one.
  std::size_t equalsSeen = 0;
  std::size_t equalsBeforeLastOther = 0;
  bool otherSeen = false;
  for (std::size_t i = 0; i < size; ++i) {
    if (i % kCharsPerStopCheck == 0 && i > 0 && !keepGoing()) return false;
    if (chars[i] == '=') {
      ++equalsSeen;
    } else {
      equalsBeforeLastOther = equalsSeen;
      otherSeen = true;
    }
  }
  // The tokenizer gives the empty first piece of a text of "=" only, too.
  if (size > 0) count_ = otherSeen ? equalsBeforeLastOther + 1 : 1;
  return true;
}

bool BulletinPieces::Next(wxString* piece) {
  if (taken_ == count_) return false;
  std::size_t end = text_.find('=', next_);
  if (end == wxString::npos) end = text_.length();
  *piece = text_.substr(next_, end - next_);
  next_ = end + 1;
  ++taken_;
  return true;
}

std::vector<wxString> SplitBulletinPieces(const wxString& text) {
  BulletinPieces cutter(text);
  cutter.Scan([] { return true; });
  std::vector<wxString> pieces;
  pieces.reserve(cutter.Count());
  wxString piece;
  while (cutter.Next(&piece)) pieces.push_back(piece);
  return pieces;
}
