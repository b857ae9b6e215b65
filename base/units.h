#pragma once

// Units and their conversions, for every folder: reports give feet, knots and nautical miles,
// the simulator's record takes metres.

constexpr double kFeetPerMetre = 3.28084;
constexpr double kMetresPerSecondPerKnot = 0.5144444;
constexpr double kKmPerNauticalMile = 1.852;

// A whole turn; an int so that it serves modular arithmetic on whole degrees as well.
constexpr int kDegreesPerTurn = 360;

inline double FeetToMetres(double feet) { return feet / kFeetPerMetre; }
