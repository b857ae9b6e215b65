#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "base/units.h"

// The two ways a value narrows into a record field, each named so no conversion is silent.

// Clamps to the range of To; a real number is truncated toward zero first, NaN gives 0. A
// quantity beyond its field thus stays at the field's edge, where the range check sees it.
template <typename To, typename From>
constexpr To saturate(From value) {
  static_assert(std::is_integral_v<To> && std::is_arithmetic_v<From>);
  using Limits = std::numeric_limits<To>;
  if constexpr (std::is_floating_point_v<From>) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<From>(Limits::min())) return Limits::min();
    if (value >= static_cast<From>(Limits::max())) return Limits::max();
    return static_cast<To>(value);
  } else if constexpr (std::is_signed_v<From>) {
    if (value < 0) {
      if constexpr (std::is_unsigned_v<To>) {
        return 0;
      } else if (static_cast<std::intmax_t>(value) < static_cast<std::intmax_t>(Limits::min())) {
        return Limits::min();
      }
      return static_cast<To>(value);
    }
    if (static_cast<std::uintmax_t>(value) > static_cast<std::uintmax_t>(Limits::max())) return Limits::max();
    return static_cast<To>(value);
  } else {
    if (static_cast<std::uintmax_t>(value) > static_cast<std::uintmax_t>(Limits::max())) return Limits::max();
    return static_cast<To>(value);
  }
}

// Keeps the low bits: only for quantities that are meant to go round, such as angles.
template <typename To, typename From>
constexpr To wrap(From value) {
  static_assert(std::is_unsigned_v<To> && std::is_integral_v<From>);
  return static_cast<To>(value);  // conversion to an unsigned type is modular by definition
}

// An angle in the record's form, degrees * 65536 / 360, truncated toward zero; 360 degrees and
// more fold back onto 0 and a negative angle comes in from the top (-1 degree gives 65354).
inline std::uint16_t AngleWord(double degrees) {
  constexpr double kWordsPerTurn = 65536.0;
  return wrap<std::uint16_t>(saturate<std::int64_t>(degrees * kWordsPerTurn / kDegreesPerTurn));
}
