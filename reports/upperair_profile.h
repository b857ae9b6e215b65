#pragma once

#include "reports/upperair_records.h"

// The sounding of one station as one vertical profile: TTBB significant levels, the merge of a
// decoded TTAA record with them, interpolation of missing values and relative humidities.

// Significant temperature levels (nnPPP TTTDD pairs) into Levels, heights and winds missing.
// False when the header "TTBB YYGGa4 IIiii" is not found.
bool DecodeTTBB(UpperairPart* part);

// PPBB winds by height are not used: Levels is emptied. False when the header is not found.
bool DecodePPBB(UpperairPart* part);

// Gathers the TTAA levels, surface, tropopause (1-499 hPa), maximum wind (51-1199 hPa) and the
// TTBB levels of pressures not already present into output's Levels, highest pressure first.
// output is expected new. False when the TTBB part belongs to another station (an empty part
// belongs to every station).
bool MergeUpperair(UpperairRecord* output, const UpperairRecord* ttaa, const UpperairPart* ttbb);

// Fills missing heights, temperatures, dew points and winds of a merged profile linearly in
// pressure between the nearest levels above and below that have the value. Reported values are
// never changed; a value without a level on both sides stays missing.
void InterpolateLevels(UpperairRecord* record);

// Relative humidity (percent, Magnus form over water or ice) of every level of Levels; missing
// where the temperature or the dew point is. Always true.
bool CalcHumidity(UpperairRecord* record);

// The sort order of a profile: true when a's pressure is higher than b's.
bool ComparePressure(const UpperLevel& a, const UpperLevel& b);
