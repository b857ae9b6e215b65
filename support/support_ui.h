#pragma once

#include <wx/string.h>

#include <memory>

class wxWindow;

// The few windows the support services show: a message box and the updater's progress dialog.
// The services call this seam and link without the GUI library; the application installs the
// window implementation (support/gui/), tests install recorders.

// The GUI library's progress dialog flags, so that callers need no GUI header (the window
// implementation checks that they match).
namespace progress_style {
constexpr int kAppModal = 0x0002;       // wxPD_APP_MODAL
constexpr int kAutoHide = 0x0004;       // wxPD_AUTO_HIDE
constexpr int kElapsedTime = 0x0008;    // wxPD_ELAPSED_TIME
constexpr int kEstimatedTime = 0x0010;  // wxPD_ESTIMATED_TIME
constexpr int kSmooth = 0x0020;         // wxPD_SMOOTH
constexpr int kRemainingTime = 0x0040;  // wxPD_REMAINING_TIME
}  // namespace progress_style

class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // value lies between 0 and the maximum the view was created with.
  virtual void Update(int value, const wxString& message) = 0;
  // For a download of unknown length: shows activity without a position.
  virtual void Pulse(const wxString& message) = 0;
};

class SupportUi {
 public:
  virtual ~SupportUi() = default;
  // style: the GUI library's message box flags (wxOK, wxCENTRE, wxICON_ERROR, ...). Any thread
  // may ask; the window implementation shows a worker's box on the GUI thread, without waiting,
  // over the parent if that window still stands then.
  virtual void ShowMessage(const wxString& text, const wxString& caption, long style, wxWindow* parent) = 0;
  // style: the GUI library's progress dialog flags (wxPD_APP_MODAL, wxPD_AUTO_HIDE, ...). GUI
  // thread only.
  virtual std::unique_ptr<ProgressView> ShowProgress(const wxString& title, const wxString& message,
                                                     int maximum, wxWindow* parent, int style) = 0;
};

// The implementation in use. Until one is installed, messages go to the standard error output
// and no progress is shown (a program without windows, such as a command-line tool).
SupportUi& CurrentSupportUi();

// Installs ui (not owned; it must outlive its use); null restores the default. Returns the
// previous one.
SupportUi* InstallSupportUi(SupportUi* ui);
