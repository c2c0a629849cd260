// Arithmetic of runs of numbers (first, first + step, ..., last) without
// overflow, for numbers anywhere in the range of long long.
#pragma once

#include <climits>
#include <cstdint>

namespace hvx::qsxcheck {

// a - b, when it fits.
inline bool Difference(long long a, long long b, long long& d) {
  if ((b > 0 && a < LLONG_MIN + b) || (b < 0 && a > LLONG_MAX + b)) return false;
  d = a - b;
  return true;
}

// first + i * step for a number known to lie on the run (so in range).
inline long long RunNumber(long long first, long long step, long long i) {
  return static_cast<long long>(static_cast<uint64_t>(first) +
                                static_cast<uint64_t>(i) * static_cast<uint64_t>(step));
}

// The place of n on the run first, first + step, ... last, if it is on it.
inline bool RunIndex(long long first, long long last, long long step, long long n, long long& i) {
  uint64_t d, s;
  if (step > 0) {
    if (n < first || n > last) return false;
    d = static_cast<uint64_t>(n) - static_cast<uint64_t>(first);
    s = static_cast<uint64_t>(step);
  } else {
    if (n > first || n < last) return false;
    d = static_cast<uint64_t>(first) - static_cast<uint64_t>(n);
    s = uint64_t{0} - static_cast<uint64_t>(step);
  }
  if (d % s != 0) return false;
  i = static_cast<long long>(d / s);
  return true;
}

}  // namespace hvx::qsxcheck
