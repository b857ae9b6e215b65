#include "support/last_run.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

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
constexpr std::size_t kKinds = std::size(kPerStationLines);
static_assert(kKinds <= 32, "one bit per kind");
constexpr std::uint32_t kAllKinds = (std::uint32_t{1} << kKinds) - 1;

constexpr std::size_t LongestKind() {
  std::size_t longest = 0;
  for (const char* kind : kPerStationLines) longest = std::max(longest, std::char_traits<char>::length(kind));
  return longest;
}

constexpr char kClose[] = "Close";
constexpr char kError[] = "Error";
constexpr std::size_t kWordLength = 5;

const char* const kCutNote = "(the log was cut, only its last %zu bytes follow)\r\n";

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// How much of word the bytes up to c match. Neither word repeats its own beginning inside it,
// so a byte that breaks a match can only begin a new one.
std::size_t Advance(std::size_t matched, char c, const char* word) {
  if (c == word[matched]) return matched + 1;
  return c == word[0] ? 1 : 0;
}

// The bytes a scan with no word begun must stop at: a line end or the first letter of a word.
struct StopBytes {
  bool at[256] = {};
  constexpr StopBytes() {
    for (const char c : {'\r', '\n', kClose[0], kError[0]}) at[static_cast<unsigned char>(c)] = true;
  }
};
constexpr StopBytes kStopBytes;

const char* NextStopByte(const char* p, const char* end) {
  while (p < end && !kStopBytes.at[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

bool Holds(const char* bytes, std::size_t count, const char* word) {
  return std::search(bytes, bytes + count, word, word + kWordLength) != bytes + count;
}

}  // namespace

void LastRunCheck::Take(const char* bytes, std::size_t count) {
  logBytes_ += count;
  if (count >= kReportTailBytes) {
    tail_.assign(bytes + count - kReportTailBytes, kReportTailBytes);
  } else {
    if (tail_.size() + count > 2 * kReportTailBytes) tail_.erase(0, tail_.size() + count - kReportTailBytes);
    tail_.append(bytes, count);
  }
  const char* const end = bytes + count;
  for (const char* p = bytes; p < end && !error_; ++p) {
    // Most bytes change nothing: they are passed over in bulk.
    if (stage_ == Stage::kSkip) {
      p = std::find_if(p, end, IsLineEnd);
    } else if (stage_ == Stage::kScan && closeMatched_ == 0 && errorMatched_ == 0) {
      p = NextStopByte(p, end);
    }
    if (p == end) break;
    TakeByte(*p);
  }
}

void LastRunCheck::TakeByte(char c) {
  switch (stage_) {
    case Stage::kLineStart:
      if (IsLineEnd(c)) return;  // an empty line is no line at all
      if (c == '-') {
        stage_ = Stage::kSign;
      } else if (IsDigit(c)) {
        stage_ = Stage::kDigits;
      } else {
        NotALogLine(c, true);
      }
      return;
    case Stage::kSign:
      if (!IsDigit(c)) break;
      stage_ = Stage::kDigits;
      return;
    case Stage::kDigits:
      if (IsDigit(c)) return;
      if (c != ' ') break;
      stage_ = Stage::kBlank;
      return;
    case Stage::kBlank:
      if (c != '-') break;
      stage_ = Stage::kDash;
      return;
    case Stage::kDash:
      if (c != ' ') break;
      haveMessage_ = true;
      perStation_ = false;
      stage_ = Stage::kKind;
      kindLength_ = 0;
      kindCandidates_ = kAllKinds;
      return;
    case Stage::kKind:
      KindByte(c);
      return;
    case Stage::kScan:
      Scan(c);
      return;
    case Stage::kSkip:
      if (IsLineEnd(c)) EndLine();
      return;
  }
  // The start of the line broke off before " - ".
  if (IsLineEnd(c)) {
    EndLine();
  } else {
    NotALogLine(c, false);
  }
}

void LastRunCheck::NotALogLine(char c, bool atLineStart) {
  if (haveMessage_) {
    // A line of the message before it.
    if (perStation_) {
      stage_ = Stage::kSkip;
    } else {
      stage_ = Stage::kScan;
      Scan(c);
    }
    return;
  }
  // The first message of the log is this whole line. What the start of the line took ("-" and
  // digits) begins no per-station prefix.
  haveMessage_ = true;
  perStation_ = false;
  if (atLineStart) {
    stage_ = Stage::kKind;
    kindLength_ = 0;
    kindCandidates_ = kAllKinds;
    KindByte(c);
  } else {
    stage_ = Stage::kScan;
    Scan(c);
  }
}

void LastRunCheck::KindByte(char c) {
  // The bytes of a message's start are kept only until a per-station prefix is whole.
  static_assert(LongestKind() <= sizeof kind_, "the longest per-station prefix fits");
  if (IsLineEnd(c)) {
    EndLine();
    return;
  }
  std::uint32_t still = 0;
  for (std::size_t i = 0; i < kKinds; ++i) {
    const std::uint32_t bit = std::uint32_t{1} << i;
    if ((kindCandidates_ & bit) == 0 || kPerStationLines[i][kindLength_] != c) continue;
    if (kPerStationLines[i][kindLength_ + 1] == '\0') {
      perStation_ = true;
      stage_ = Stage::kSkip;
      return;
    }
    still |= bit;
  }
  kind_[kindLength_++] = c;
  kindCandidates_ = still;
  if (still == 0) ScanKindBytes();
}

// The first bytes of a message that is no per-station line are looked at like the rest.
void LastRunCheck::ScanKindBytes() {
  stage_ = Stage::kScan;
  for (std::size_t i = 0; i < kindLength_; ++i) Scan(kind_[i]);
  kindLength_ = 0;
}

void LastRunCheck::Scan(char c) {
  if (IsLineEnd(c)) {
    EndLine();
    return;
  }
  closeMatched_ = Advance(closeMatched_, c, kClose);
  if (closeMatched_ == kWordLength) {
    closed_ = true;
    closeMatched_ = 0;
  }
  errorMatched_ = Advance(errorMatched_, c, kError);
  if (errorMatched_ == kWordLength) {
    error_ = true;
    errorMatched_ = 0;
  }
}

void LastRunCheck::EndLine() {
  switch (stage_) {
    case Stage::kSign:
    case Stage::kDigits:
    case Stage::kBlank:
    case Stage::kDash:
      // A line that only began like a log line: a message of its own when it is the first.
      if (!haveMessage_) {
        haveMessage_ = true;
        perStation_ = false;
      }
      break;
    case Stage::kKind:
      ScanKindBytes();  // shorter than any per-station prefix
      break;
    default:
      break;
  }
  stage_ = Stage::kLineStart;
  closeMatched_ = 0;
  errorMatched_ = 0;
}

bool LastRunCheck::Failed() const {
  if (logBytes_ == 0) return false;
  bool closed = closed_;
  bool error = error_;
  // The log ended inside the first bytes of a message, too short for a per-station prefix.
  if (stage_ == Stage::kKind) {
    closed = closed || Holds(kind_.data(), kindLength_, kClose);
    error = error || Holds(kind_.data(), kindLength_, kError);
  }
  return error || !closed;
}

std::string LastRunCheck::Tail() const {
  return tail_.size() <= kReportTailBytes ? tail_ : tail_.substr(tail_.size() - kReportTailBytes);
}

bool PreviousRunFailed(const wxString& previousLog) {
  std::string bytes;
  bytes.reserve(previousLog.length());
  for (const wxUniChar c : previousLog) {
    const wxUniChar::value_type code = c.GetValue();
    bytes.push_back(static_cast<char>(code <= 0xFF ? code : '?'));
  }
  LastRunCheck check;
  check.Take(bytes.data(), bytes.size());
  return check.Failed();
}

std::string ErrorReportBody(const LastRunCheck& check) {
  std::string body = check.Tail();
  std::replace(body.begin(), body.end(), ':', '-');
  if (check.LogBytes() > body.size()) {
    char note[96];
    std::snprintf(note, sizeof note, kCutNote, body.size());
    body.insert(0, note);
  }
  return body;
}
