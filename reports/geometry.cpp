#include "reports/geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadPerDegree = 0.017453292519;
constexpr double kDegreesPerRad = 57.29577951308;
constexpr double kFullCircleRad = 6.283185307179586;

// Rounding can carry a cosine just past +-1 for equal or antipodal positions; acos would give NaN
// and the station would fail every distance comparison.
double ClampedAcos(double x) { return std::acos(std::clamp(x, -1.0, 1.0)); }

}  // namespace

double GreatCircleAngle(double latitude1, double longitude1, double latitude2, double longitude2) {
  const double k = kRadPerDegree;
  const double s =
      std::cos((longitude2 - longitude1) * k) * (std::cos(latitude2 * k) * std::cos(latitude1 * k)) +
      std::sin(latitude2 * k) * std::sin(latitude1 * k);
  return ClampedAcos(s);
}

double InitialCourse(double latitude1, double longitude1, double latitude2, double longitude2) {
  const double k = kRadPerDegree;
  const double d = GreatCircleAngle(latitude1, longitude1, latitude2, longitude2);
  const double denominator = std::sin(d) * std::cos(latitude1 * k);
  if (denominator == 0.0) return 0.0;  // equal or antipodal positions, or a pole: no defined course
  const double c =
      ClampedAcos((std::sin(latitude2 * k) - std::cos(d) * std::sin(latitude1 * k)) / denominator);
  return std::sin((longitude2 - longitude1) * k) < 0.0 ? kFullCircleRad - c : c;
}

double Rad2Deg(double radians) { return radians * kDegreesPerRad; }
