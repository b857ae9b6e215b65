#pragma once

#include "support/support_ui.h"

// The support services' windows: message boxes (modal_runs::ShowBox) and wxProgressDialog. The application installs
// one with InstallSupportUi before the log is created.
class GuiSupportUi : public SupportUi {
 public:
  void ShowMessage(const wxString& text, const wxString& caption, long style, wxWindow* parent) override;
  std::unique_ptr<ProgressView> ShowProgress(const wxString& title, const wxString& message, int maximum,
                                             wxWindow* parent, int style) override;
};
