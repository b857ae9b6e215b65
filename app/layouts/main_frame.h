#pragma once

#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

// Ids of the main window's menu items and controls.
enum MainFrameId : int {
  kIdDownloadWx = 1000,
  kIdSendWxToFs = 1001,
  kIdOption = 1002,
  kIdExit = 1003,
  kIdAbout = 1004,
  kIdCheckUpdates = 1005,
  kIdIcaoText = 1006,
  kIdUpperairList = 1007,
};

// The main window's generated layout: menus, controls, sizers and status bar, each menu item and
// the ICAO field's Enter key bound to a virtual handler that only skips the event. No logic here:
// the product and logic classes derived from it override the handlers.
class MainFrame : public wxFrame {
 public:
  MainFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos, const wxSize& size,
            long style);
  ~MainFrame() override;

  // Created by the constructor as children of the frame, its panel and its menu bar; the library
  // destroys them with the window.
  wxMenuBar* MenuBar;
  wxMenu* WeatherMenu;
  wxMenu* InfoMenu;
  wxPanel* Panel;
  wxListBox* StationList;
  wxStaticLine* UpperLine;
  wxStaticText* MetarLabel;
  wxTextCtrl* IcaoText;
  wxStaticLine* LowerLine;
  wxTextCtrl* ReportText;
  wxListCtrl* UpperairList;
  wxMenu* MainMenu;
  wxStatusBar* StatusBar;
  wxStaticText* ProgressLabel;
  wxGauge* ProgressGauge;

  virtual void OnDownloadWX(wxCommandEvent& event) { event.Skip(); }
  virtual void OnSendWXToFS(wxCommandEvent& event) { event.Skip(); }
  virtual void OnOption(wxCommandEvent& event) { event.Skip(); }
  virtual void OnExit(wxCommandEvent& event) { event.Skip(); }
  virtual void OnSetFSWeather(wxCommandEvent& event) { event.Skip(); }
  virtual void OnAbout(wxCommandEvent& event) { event.Skip(); }
  virtual void OnHelp(wxCommandEvent& event) { event.Skip(); }
  virtual void OnCheckUpdates(wxCommandEvent& event) { event.Skip(); }
  virtual void OnEnterICAO(wxCommandEvent& event) { event.Skip(); }

 private:
  void BuildMenus();
  void BuildControls();
  void BindHandlers();

  // The ids the library gave the items created with "any".
  wxWindowID SetFsWeatherId = wxID_ANY;
  wxWindowID HelpId = wxID_ANY;
};
