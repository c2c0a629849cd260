// Number helpers shared by the reader and the writer.
#pragma once

#include <cstdint>

namespace hvx {

// Integer from a number by truncation toward zero. Values outside the 32-bit
// range and NaN give INT32_MIN, as the x86 truncating conversion does.
inline int32_t TruncToInt(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace hvx
