#include "app/nubivane_frame.h"

#include <wx/dcclient.h>

#include "app/about_dialog.h"
#include "app/manual_weather_dialog.h"

namespace {

constexpr int kFrameWidth = 743;
constexpr int kFrameHeight = 417;

struct Column {
  const char* heading;
  wxListColumnFormat alignment;
  int width;  // -1: the list's default width
};

constexpr Column kUpperairColumns[] = {
    {"Level", wxLIST_FORMAT_LEFT, -1},    {"Press", wxLIST_FORMAT_LEFT, 50}, {"Dir", wxLIST_FORMAT_LEFT, 37},
    {"Speed", wxLIST_FORMAT_LEFT, 45},    {"Temp", wxLIST_FORMAT_RIGHT, 55}, {"Dew", wxLIST_FORMAT_RIGHT, 55},
    {"Humidity", wxLIST_FORMAT_LEFT, -1},
};

constexpr int kStatusWidths[] = {130, 220, -1, -1};

// GTK's fonts are wider than the ones the field's width was chosen for: it must show four
// capital letters whole.
void FitIcaoField(wxTextCtrl* field) {
  const wxSize text = field->GetTextExtent(wxS("WWWW"));
  const wxSize best = field->GetSizeFromTextSize(text.x);
  if (best.x > field->GetMinSize().x) {
    field->SetMinSize(wxSize(best.x, -1));
    field->SetSize(wxSize(best.x, -1));
  }
}

}  // namespace

NubivaneFrame::NubivaneFrame(wxWindow* parent)
    : MainFrame(parent, wxID_ANY, wxS("Nubivane lite"), wxDefaultPosition, wxSize(kFrameWidth, kFrameHeight),
                wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL) {
  long index = 0;
  for (const Column& column : kUpperairColumns) {
    UpperairList->InsertColumn(index++, wxString::FromAscii(column.heading), column.alignment, column.width);
  }
  StatusBar->SetStatusWidths(4, kStatusWidths);
  FitIcaoField(IcaoText);
  Panel->Layout();
}

void NubivaneFrame::OnExit(wxCommandEvent&) { Destroy(); }

void NubivaneFrame::OnSetFSWeather(wxCommandEvent&) {
  NubivaneSetFSWX dialog(this);
  dialog.ShowModal();
}

void NubivaneFrame::OnAbout(wxCommandEvent&) {
  NubivaneAbout dialog(this);
  dialog.ShowModal();
}
