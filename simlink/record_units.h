#pragma once

#include "base/units.h"

// The record's visibility range counts units of 15.92 m. The METAR conversion gives it metres,
// the SYNOP conversion kilometres; each keeps its own order of operations, so that the ranges
// come out as they always have.
constexpr double kVisRangeDivisor = 1.592;

inline double VisRangeOfMetres(double metres) { return metres / kVisRangeDivisor / 10.0; }
inline double VisRangeOfKilometres(double km) { return km / kVisRangeDivisor * 100.0; }
