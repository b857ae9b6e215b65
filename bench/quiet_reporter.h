#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "cycle/report_split.h"

// A split that reports nothing and never pauses. A missing airport catalogue is said on the
// error output when the bench gives the words for it.
class QuietReporter : public SplitReporter {
 public:
  QuietReporter() = default;
  explicit QuietReporter(std::string airportsMissing) : airportsMissing_(std::move(airportsMissing)) {}

  void Preparing() override {}
  void Counted(SplitStep, int) override {}
  void Item(SplitStep, int, int, int) override {}
  bool AfterItem() override { return true; }
  bool KeepGoing() override { return true; }
  void Counts(const wxString&) override {}
  void AirportsMissing(const wxString&) override {
    if (!airportsMissing_.empty()) std::fprintf(stderr, "%s\n", airportsMissing_.c_str());
  }

 private:
  std::string airportsMissing_;
};
