#pragma once

#include <wx/regex.h>
#include <wx/string.h>

#include <atomic>
#include <cstddef>

// One regular expression of a report decoder, compiled once. wxRegEx keeps its last match inside
// the object, so every user holds it as a `static thread_local const ReportPattern` beside the
// step that uses it: compiled once per thread, never shared between threads.
//
// A pattern that does not compile matches nothing, so a decoder treats it as a group that is not
// there and never has to ask.
class ReportPattern {
 public:
  explicit ReportPattern(const wxChar* pattern) : regex_(pattern, wxRE_EXTENDED) { ++compilations_; }

  // Searches the whole text; a pattern that begins with "^" only matches at its start.
  bool Search(const wxString& text) const { return regex_.IsValid() && regex_.Matches(text); }

  // Start and length of a group of the last successful search; false for a group that took no
  // part in the match.
  bool Group(std::size_t index, std::size_t* start, std::size_t* length) const {
    if (!regex_.IsValid() || !regex_.GetMatch(start, length, index)) return false;
    return *start != static_cast<std::size_t>(-1);
  }

  // The text of a group of the last successful search in text; empty for a group that took no
  // part in the match.
  wxString GroupText(const wxString& text, std::size_t index) const {
    std::size_t start = 0, length = 0;
    return Group(index, &start, &length) ? text.Mid(start, length) : wxString();
  }

  // Where a group of the last successful search ends (the whole match by default); npos for a
  // group that took no part in the match.
  std::size_t End(std::size_t index = 0) const {
    std::size_t start = 0, length = 0;
    return Group(index, &start, &length) ? start + length : wxString::npos;
  }

  // How many patterns were compiled so far in the process, so tests can show that decoding
  // compiles nothing after the first report of a thread.
  static std::size_t Compilations() { return compilations_.load(); }

 private:
  wxRegEx regex_;
  static inline std::atomic<std::size_t> compilations_{0};
};
