#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "app/core/manual_weather.h"
#include "app/layouts/set_fswx.h"
#include "cycle/cycle_log.h"

// The manual-weather dialog: sends one typed record to the simulator, or clears its weather.
// Created by the main window's "Set FS Weather" item, shown modally and deleted; it keeps
// nothing between openings. It uses the link the writer thread keeps open and never opens or
// closes it itself.
class NubivaneSetFSWX : public SetFSWX {
 public:
  // The window's pause while it waits for the link, in milliseconds of the program's time.
  using LinkPause = std::function<void(std::uint32_t ms)>;

  // log: where a record written but not confirmed by the module is noted; may be empty.
  explicit NubivaneSetFSWX(wxWindow* parent, LogLine log = {});

  // The controls as the record is built from them.
  ManualWeatherForm ReadForm() const;
  // Builds the record and checks it; only a record that passes every check is written.
  void SendWeather();

  void OnClearWX(wxCommandEvent& event) override;
  void OnApply(wxCommandEvent& event) override;
  void OnCancel(wxCommandEvent& event) override;
  void OnOK(wxCommandEvent& event) override;

  // Every wait of the window for the link goes through this pause (tests watch it).
  void SetLinkPause(LinkPause pause) { linkPause_ = std::move(pause); }

 private:
  void FitControls();
  void Note(const wxString& line) const;

  LogLine log_;
  LinkPause linkPause_;
};
