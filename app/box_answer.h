#pragma once

#include <wx/modalhook.h>

#include <memory>

// Runs without a person: with NUBIVANE_BOX_ANSWER=yes (or no) in the environment every message box
// is answered at once instead of being shown (Yes or OK, or No or Cancel where the box offers it)
// and its caption and text go to the standard error output, so scripts and the demo see them.
class BoxAnswer : public wxModalDialogHook {
 public:
  explicit BoxAnswer(bool yes) : yes_(yes) {}

  // The answer the environment asks for, registered; null when it asks for none.
  static std::unique_ptr<BoxAnswer> FromEnvironment();

 protected:
  int Enter(wxDialog* dialog) override;
  void Exit(wxDialog*) override {}

 private:
  bool yes_;
};
