#pragma once

#include "app/layouts/main_frame.h"
#include "cycle/cycle_log.h"

// The main window's product class: title, size and style, the upper-air table's columns, the
// status bar's field widths, and the simple handlers (Exit, the manual-weather and the About
// dialogs). The handlers whose work lies in the logic
// class consume their event here and do nothing.
class NubivaneFrame : public MainFrame {
 public:
  // The status bar's fields, left to right.
  enum StatusField : int {
    kCountdownField,  // "Update in %is"
    kCountsField,     // the loader's counts of identified reports
    kLinkField,       // the simulator link: its version, or what went wrong
    kVersionField,    // the program's version
    kStatusFieldCount,
  };
  // What a status field needs around its text, in pixels.
  static constexpr int kStatusFieldPadding = 16;

  explicit NubivaneFrame(wxWindow* parent);
  ~NubivaneFrame() override = default;

  void OnDownloadWX(wxCommandEvent&) override {}
  void OnSendWXToFS(wxCommandEvent&) override {}
  void OnOption(wxCommandEvent&) override {}
  void OnExit(wxCommandEvent& event) override;
  // Each opens its dialog modally and deletes it when it closes.
  void OnSetFSWeather(wxCommandEvent& event) override;
  void OnAbout(wxCommandEvent& event) override;
  void OnHelp(wxCommandEvent&) override {}
  void OnCheckUpdates(wxCommandEvent&) override {}
  void OnEnterICAO(wxCommandEvent&) override {}

 protected:
  // Where the manual-weather dialog notes what it cannot show in a box; none here.
  virtual LogLine DialogLog() { return {}; }
};
