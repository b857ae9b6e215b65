#pragma once

#include "app/core/manual_weather.h"
#include "app/layouts/set_fswx.h"

// The manual-weather dialog: sends one typed record to the simulator, or clears its weather.
// Created by the main window's "Set FS Weather" item, shown modally and deleted; it keeps
// nothing between openings. It uses the link the writer thread keeps open and never opens or
// closes it itself.
class NubivaneSetFSWX : public SetFSWX {
 public:
  explicit NubivaneSetFSWX(wxWindow* parent);

  // The controls as the record is built from them.
  ManualWeatherForm ReadForm() const;
  // Builds the record and checks it; only a record that passes every check is written.
  void SendWeather();

  void OnClearWX(wxCommandEvent& event) override;
  void OnApply(wxCommandEvent& event) override;
  void OnCancel(wxCommandEvent& event) override;
  void OnOK(wxCommandEvent& event) override;

 private:
  void FitControls();
};
