#pragma once

#include "base/units.h"

// Great-circle geometry on a sphere; every distance in the program comes from here.

constexpr double kEarthRadiusKm = 6378.137;

// Central angle between two positions (degrees, north and east positive), radians 0..pi.
double GreatCircleAngle(double latitude1, double longitude1, double latitude2, double longitude2);

// Initial true course from position 1 to position 2, radians 0..2pi; 0 for equal positions.
double InitialCourse(double latitude1, double longitude1, double latitude2, double longitude2);

double Rad2Deg(double radians);

inline double AngleToKm(double angle) { return angle * kEarthRadiusKm; }
inline double KmToNauticalMiles(double km) { return km / kKmPerNauticalMile; }

inline double DistanceKm(double latitude1, double longitude1, double latitude2, double longitude2) {
  return AngleToKm(GreatCircleAngle(latitude1, longitude1, latitude2, longitude2));
}
