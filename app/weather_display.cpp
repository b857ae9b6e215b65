// The main window's display of one station: the decoded report as text, the upper-air profile as
// rows of the table. The texts and rows are the plain functions of app/core.

#include <wx/wupdlock.h>

#include <algorithm>

#include "app/core/weather_text.h"
#include "app/weather.h"
#include "cycle/conversion_run.h"
#include "support/log_file.h"

namespace {

// The columns' widths were chosen for another platform's font: each grows to show its heading
// and every cell whole, and never shrinks below what it had.
void WidenColumnsToContent(wxListCtrl* list) {
  for (int column = 0; column < list->GetColumnCount(); ++column) {
    const int before = list->GetColumnWidth(column);
    list->SetColumnWidth(column, wxLIST_AUTOSIZE);
    const int cells = list->GetColumnWidth(column);
    list->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    const int heading = list->GetColumnWidth(column);
    list->SetColumnWidth(column, std::max({before, cells, heading}));
  }
}

}  // namespace

void Weather::ShowStation(MetarRecord& station, FailedDecode failed) {
  ClMetar decoder;
  if (!decoder.DecodeMetar(&station) && failed == FailedDecode::kLogAndStop) {
    Log->WriteToFile(wxS("Main: Error: Decode Metar -> ") + station.Raw);
    return;
  }
  // A station without a sounding or a SYNOP report is shown all the same.
  UpperairRecord upperair;
  SynopRecord synop;
  if (Options.DwlUpperair) DecodeUpperairFor(&station, &upperair, LookupLists(), CycleLog());
  if (Options.DwlAddWeather) DecodeSynopFor(&station, &synop, LookupLists(), CycleLog());
  ShowMetar(&station);
  ShowUpperair(&upperair, &station);
}

void Weather::ShowMetar(MetarRecord* metar) {
  ProgressLabel->SetLabel(MissingStationNotes(*metar));
  ReportText->SetValue(FormatMetarText(*metar));
}

void Weather::ShowUpperair(UpperairRecord* upperair, MetarRecord* metar) {
  // Windows' list redraws itself for every cell and every column width it is given: seconds for
  // one profile under wine. Frozen, it is drawn once.
  const wxWindowUpdateLocker frozen(UpperairList);
  UpperairList->DeleteAllItems();
  const std::vector<UpperairRow> rows = BuildUpperairRows(*upperair, *metar, Options.AlignUpperWinds);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const long row = UpperairList->InsertItem(static_cast<long>(i), rows[i][0]);
    for (int column = 1; column < kUpperairColumns; ++column)
      UpperairList->SetItem(row, column, rows[i][column]);
  }
  WidenColumnsToContent(UpperairList);
}
