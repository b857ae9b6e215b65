#include "support/download_scheme.h"

namespace download {

bool ParseLength(const std::string& text, std::uint64_t& length) {
  if (text.empty()) return false;
  constexpr std::uint64_t kLargest = ~std::uint64_t{0};
  length = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    length = length > (kLargest - digit) / 10 ? kLargest : length * 10 + digit;
  }
  return true;
}

}  // namespace download
