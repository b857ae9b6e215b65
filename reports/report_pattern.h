#pragma once

#include <wx/regex.h>
#include <wx/string.h>

#include <atomic>
#include <cstddef>

// One regular expression of a report decoder, compiled once. wxRegEx keeps its last match inside
// the object, so every user holds it as a `static thread_local const ReportPattern`: compiled once
// per thread, never shared between threads.
class ReportPattern {
 public:
  explicit ReportPattern(const wxChar* pattern) : regex_(pattern, wxRE_EXTENDED) { ++compilations_; }

  // Searches the whole text; a pattern that begins with "^" only matches at its start.
  bool Search(const wxString& text) const { return regex_.Matches(text); }

  // Start and length of a group of the last successful search; false for a group that took no
  // part in the match.
  bool Group(std::size_t index, std::size_t* start, std::size_t* length) const {
    if (!regex_.GetMatch(start, length, index)) return false;
    return *start != static_cast<std::size_t>(-1);
  }

  bool IsValid() const { return regex_.IsValid(); }

  // How many patterns were compiled so far in the process, so tests can show that decoding
  // compiles nothing after the first report of a thread.
  static std::size_t Compilations() { return compilations_.load(); }

 private:
  wxRegEx regex_;
  static inline std::atomic<std::size_t> compilations_{0};
};
