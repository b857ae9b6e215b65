#pragma once

#include <wx/string.h>

#include <array>
#include <vector>

#include "reports/metar_record.h"
#include "reports/upperair_records.h"

// What the main window shows of one station: the decoded METAR as lines of text and the
// upper-air profile as rows of the seven-column table ("Level", "Press", "Dir", "Speed", "Temp",
// "Dew", "Humidity"). Report texts only ever fill a "%s"; they are never a format.

// The decoded weather, one line per item, each ending in CR LF.
wxString FormatMetarText(const MetarRecord& metar);

// The progress label's notes on what the station lacks: " No Wind station " when no sounding
// was attached, " No Synop station " when no SYNOP was; empty when it has both.
wxString MissingStationNotes(const MetarRecord& metar);

constexpr int kUpperairColumns = 7;
using UpperairRow = std::array<wxString, kUpperairColumns>;

// How far the upper winds are turned for display: the METAR's direction less the sounding's
// surface direction (as a 16-bit signed difference), when aligning is on and the sounding has a
// surface wind; 0 otherwise.
int UpperairTurn(const UpperairRecord& sounding, const MetarRecord& metar, bool alignUpperWinds);

// The table's rows: every usable level in profile order (the surface row with the METAR's own
// wind), then the maximum wind and the tropopause when the sounding reports them. A value the
// sounding lacks is shown as "--"; a wind direction is always turned into 0-359.
std::vector<UpperairRow> BuildUpperairRows(const UpperairRecord& sounding, const MetarRecord& metar,
                                           bool alignUpperWinds);
