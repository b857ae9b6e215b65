#pragma once

#include "reports/upperair_records.h"

// Decodes part A of a TEMP report (WMO FM 35) from Raw into Levels (the standard isobaric levels
// in report order), Surface, Tropopause and MaxWind. False when the header "TTAA YYGGI IIiii"
// with the surface groups is not found: Levels is then empty and there is no tropopause and no
// maximum wind. Values the report does not give hold the markers of upperair_records.h.
bool DecodeTTAA(UpperairRecord* record);
