#pragma once

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// The manual-weather dialog's generated layout: one wind layer, visibility, four temperature
// rows and one cloud layer, "Clear WX" and OK, Apply, Cancel, each button bound to a virtual
// handler that only skips the click. No logic here.
class SetFSWX : public wxDialog {
 public:
  SetFSWX(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos, const wxSize& size,
          long style);
  ~SetFSWX() override;

  // Children of the dialog; the library destroys them with it. ButtonSizer belongs to the
  // dialog's sizer.
  wxStaticText* StationLabel;
  wxTextCtrl* StationText;
  wxStaticText* IcaoHintLabel;
  wxStaticText* WindDirLabel;
  wxTextCtrl* WindDirText;
  wxStaticText* SpeedLabel;
  wxTextCtrl* SpeedText;
  wxStaticText* GustLabel;
  wxTextCtrl* GustText;
  wxStaticText* TurbLabel;
  wxSpinCtrl* TurbSpin;
  wxStaticText* ShearLabel;
  wxSpinCtrl* ShearSpin;
  wxStaticText* VarLabel;
  wxSpinCtrl* VarSpin;
  wxStaticText* VisibilityLabel;
  wxTextCtrl* VisibilityText;
  wxStaticText* TempLabel1;
  wxTextCtrl* TempText1;
  wxStaticText* DewLabel1;
  wxTextCtrl* DewText1;
  wxStaticText* HeightLabel1;
  wxTextCtrl* HeightText1;
  wxStaticText* TempLabel2;
  wxTextCtrl* TempText2;
  wxStaticText* DewLabel2;
  wxTextCtrl* DewText2;
  wxStaticText* HeightLabel2;
  wxTextCtrl* HeightText2;
  wxStaticText* TempLabel3;
  wxTextCtrl* TempText3;
  wxStaticText* DewLabel3;
  wxTextCtrl* DewText3;
  wxStaticText* HeightLabel3;
  wxTextCtrl* HeightText3;
  wxStaticText* TempLabel4;
  wxTextCtrl* TempText4;
  wxStaticText* DewLabel4;
  wxTextCtrl* DewText4;
  wxStaticText* HeightLabel4;
  wxTextCtrl* HeightText4;
  wxStaticText* CloudTypeLabel;
  wxChoice* CloudTypeChoice;
  wxStaticText* CoverLabel;
  wxChoice* CoverChoice;
  wxStaticText* CloudLowerLabel;
  wxTextCtrl* CloudLowerText;
  wxStaticText* CloudUpperLabel;
  wxTextCtrl* CloudUpperText;
  wxStaticText* SpareLabel;
  wxTextCtrl* SpareText;
  wxStaticText* CloudTurbLabel;
  wxSpinCtrl* CloudTurbSpin;
  wxStaticText* IcingLabel;
  wxSpinCtrl* IcingSpin;
  wxStaticText* TopShapeLabel;
  wxTextCtrl* TopShapeText;
  wxStaticText* PrecipBaseLabel;
  wxTextCtrl* PrecipBaseText;
  wxStaticText* PrecipTypeLabel;
  wxChoice* PrecipTypeChoice;
  wxStaticText* RateLabel;
  wxSpinCtrl* RateSpin;
  wxButton* ClearWXButton;
  wxStdDialogButtonSizer* ButtonSizer;
  wxButton* OkButton;
  wxButton* ApplyButton;
  wxButton* CancelButton;

  virtual void OnClearWX(wxCommandEvent& event) { event.Skip(); }
  virtual void OnApply(wxCommandEvent& event) { event.Skip(); }
  virtual void OnCancel(wxCommandEvent& event) { event.Skip(); }
  virtual void OnOK(wxCommandEvent& event) { event.Skip(); }

 private:
  wxSizer* BuildLeftColumn();
  wxSizer* BuildCloudColumn();
  wxSizer* BuildButtonArea();
  void BuildTemperatureRow(wxSizer* column, int proportion, const wxString& temp, const wxString& dew,
                           const wxString& height, wxStaticText** tempLabel, wxTextCtrl** tempText,
                           wxStaticText** dewLabel, wxTextCtrl** dewText, wxStaticText** heightLabel,
                           wxTextCtrl** heightText);
};
