#pragma once

#include <functional>

#include "app/layouts/option_dlg.h"
#include "cycle/cycle_log.h"
#include "options/option_data.h"

// The options dialog's product class: its title and style. Its handlers consume the clicks and
// do nothing; the logic class below gives them their work.
class NubivaneOptionDlg : public OptionDlg {
 public:
  explicit NubivaneOptionDlg(wxWindow* parent);

  void OnApply(wxCommandEvent&) override {}
  void OnCancel(wxCommandEvent&) override {}
  void OnOK(wxCommandEvent&) override {}
};

// The options dialog with "Nubivane.ini": created once at start, shown on demand, deleted at the
// end. It edits the one option block of the run, which its owner keeps and which must outlive
// it; OK and Apply store the controls into the block and the file, and so does the deletion.
// Each showing fills the controls from the block: what Cancel, Escape or the close box dismissed
// is gone.
class ClOption : public NubivaneOptionDlg {
 public:
  // Sets the block to its defaults, loads the ini file into it and shows it in the controls. log
  // takes the line of a save that failed.
  ClOption(wxWindow* parent, OptionData* options, LogLine log = {});
  ~ClOption() override;

  void LoadIni();
  void SaveIni();

  bool Show(bool show = true) override;

  void OnApply(wxCommandEvent& event) override;
  void OnCancel(wxCommandEvent& event) override;
  void OnOK(wxCommandEvent& event) override;

  OptionData* Options;
  // Runs after OK or Apply has taken the controls into the block (the writer's copy, say).
  std::function<void(const OptionData&)> Taken;

 private:
  void ShowOptions();
  void TakeControls();
  void Save(bool inBox);
  void FitControls();

  LogLine Log;
};
