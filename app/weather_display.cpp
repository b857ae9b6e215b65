// The main window's display of one station: the decoded report as text, the upper-air profile as
// rows of the table. The texts and rows are the plain functions of app/core.

#include "app/core/weather_text.h"
#include "app/weather.h"

void Weather::ShowMetar(MetarRecord* metar) {
  ProgressLabel->SetLabel(MissingStationNotes(*metar));
  ReportText->SetValue(FormatMetarText(*metar));
}

void Weather::ShowUpperair(UpperairRecord* upperair, MetarRecord* metar) {
  UpperairList->DeleteAllItems();
  const std::vector<UpperairRow> rows = BuildUpperairRows(*upperair, *metar, Options.AlignUpperWinds);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const long row = UpperairList->InsertItem(static_cast<long>(i), rows[i][0]);
    for (int column = 1; column < kUpperairColumns; ++column)
      UpperairList->SetItem(row, column, rows[i][column]);
  }
}
