#include "app/nubivane_frame.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>

#include "app/about_dialog.h"
#include "app/manual_weather_dialog.h"
#include "support/gui/modal_runs.h"

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

// The two fixed status fields, in pixels, and the longest texts they show: GTK's fonts need more
// room than the widths were chosen for.
constexpr int kCountdownWidth = 130;
constexpr int kCountsWidth = 220;
constexpr char kLongestCountdown[] = "Update in 99999s";
constexpr char kLongestCounts[] = "Metar: 99999 Upperair: 9999 Synop: 99999";

int FieldWidthFor(wxStatusBar* bar, int width, const char* longest) {
  return std::max(width,
                  bar->GetTextExtent(wxString::FromAscii(longest)).x + NubivaneFrame::kStatusFieldPadding);
}

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

// The library's best height of an empty list box is three rows; GTK's list box also has room
// for its horizontal scroll bar below them, and without it GTK lays the vertical scroll bar out
// with a negative size.
void KeepRoomForScrollBars(wxListBox* list) {
#ifdef __WXGTK__
  list->InvalidateBestSize();
  const wxSize best = list->GetBestSize();
  const int scrollBar = wxSystemSettings::GetMetric(wxSYS_HSCROLL_Y, list);
  list->SetMinSize(wxSize(best.x, best.y + std::max(scrollBar, 0)));
#else
  (void)list;
#endif
}

}  // namespace

NubivaneFrame::NubivaneFrame(wxWindow* parent)
    : MainFrame(parent, wxID_ANY, wxS("Nubivane lite"), wxDefaultPosition, wxSize(kFrameWidth, kFrameHeight),
                wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL) {
  long index = 0;
  for (const Column& column : kUpperairColumns) {
    UpperairList->InsertColumn(index++, wxString::FromAscii(column.heading), column.alignment, column.width);
  }
  // The link's and the version's fields share what the two fixed ones leave.
  int widths[kStatusFieldCount] = {};
  widths[kCountdownField] = FieldWidthFor(StatusBar, kCountdownWidth, kLongestCountdown);
  widths[kCountsField] = FieldWidthFor(StatusBar, kCountsWidth, kLongestCounts);
  widths[kLinkField] = -1;
  widths[kVersionField] = -1;
  StatusBar->SetStatusWidths(kStatusFieldCount, widths);
  FitIcaoField(IcaoText);
  KeepRoomForScrollBars(StationList);
  Panel->Layout();
}

void NubivaneFrame::OnExit(wxCommandEvent&) { Destroy(); }

void NubivaneFrame::OnSetFSWeather(wxCommandEvent&) {
  NubivaneSetFSWX dialog(this, DialogLog());
  modal_runs::ShowDialog(dialog);
}

void NubivaneFrame::OnAbout(wxCommandEvent&) {
  NubivaneAbout dialog(this);
  modal_runs::ShowDialog(dialog);
}
