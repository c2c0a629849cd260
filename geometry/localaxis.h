// Node local axis: carried from the general spring output, which creates it,
// to the local-axis output, which writes it.
#pragma once

#include <cstdint>

namespace hvx {

class CLocalAxis {
 public:
  CLocalAxis() = default;
  virtual ~CLocalAxis() = default;
  CLocalAxis(const CLocalAxis&) = default;
  CLocalAxis& operator=(const CLocalAxis&) = default;

  int32_t node = 0;
  int32_t method = 0;      // 1 three angles, 2 three points, 3 two vectors
  double angle[3] = {};    // about x, y, z
  double p0[3] = {};       // origin
  double p1[3] = {};       // on the local x axis
  double p2[3] = {};       // in the local x-y plane
  double v1[3] = {};       // local x direction
  double v2[3] = {};       // in the local x-y plane
};

}  // namespace hvx
