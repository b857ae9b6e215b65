#pragma once

// Units shared by the conversions: reports give feet, the record takes metres.
constexpr double kFeetPerMetre = 3.28084;

inline double FeetToMetres(double feet) { return feet / kFeetPerMetre; }
