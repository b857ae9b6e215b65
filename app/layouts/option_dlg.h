#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

// The options dialog's generated layout: the controls in their boxes and the three buttons, each
// bound to a virtual handler that only passes the click on. No logic here.
class OptionDlg : public wxDialog {
 public:
  OptionDlg(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos, const wxSize& size,
            long style);
  ~OptionDlg() override;

  // Children of the dialog; the library destroys them with it. ButtonSizer belongs to the
  // dialog's sizer.
  wxRadioButton* VatsimRadio;
  wxRadioButton* IvaoRadio;
  wxRadioButton* NoaaRadio;
  wxSlider* UpdateSlider;
  wxCheckBox* UpperairCheck;
  wxCheckBox* AddWeatherCheck;
  wxCheckBox* StartupUpdateCheck;
  wxCheckBox* StartupDownloadCheck;
  wxStaticText* RangeLabel;
  wxSpinCtrl* RangeSpin;
  wxCheckBox* CirrusCheck;
  wxCheckBox* MixedCloudsCheck;
  wxStaticText* CloudLayersLabel;
  wxSpinCtrl* CloudLayersSpin;
  wxCheckBox* GustyWindCheck;
  wxCheckBox* TurbulenceCheck;
  wxCheckBox* WindSmoothingCheck;
  wxStaticText* WindShiftLabel;
  wxSpinCtrl* WindShiftSpin;
  wxStdDialogButtonSizer* ButtonSizer;
  wxButton* OkButton;
  wxButton* ApplyButton;
  wxButton* CancelButton;

  virtual void OnApply(wxCommandEvent& event) { event.Skip(); }
  virtual void OnCancel(wxCommandEvent& event) { event.Skip(); }
  virtual void OnOK(wxCommandEvent& event) { event.Skip(); }

 private:
  wxSizer* BuildGeneralColumn();
  wxSizer* BuildWeatherColumn();
};
