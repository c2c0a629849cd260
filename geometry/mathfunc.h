// Vector helpers for the spring and link output: trigonometry that snaps
// results within rounding of 0, 1 and -1, the rotation of a vector about the
// global Z axis, and the beta angle that orients a two-node link.
#pragma once

#include <cstdint>

class CDataPool;

class CMathFunc {
 public:
  CMathFunc() = delete;

  // Set once when the library is loaded, in this order.
  static const double kPi;         // 4 * atan(1)
  static const double kDegToRad;   // pi / 180
  static const double kRadToDeg;   // 180 / pi

  // cos and sin of an angle in radians; a result below 1e-15 in magnitude is
  // 0, one within 1e-15 of 1 is 1, one within 1e-15 of -1 is -1.
  static double Cos(double rad);
  static double Sin(double rad);

  // Rotates (x, y, z) in place by thetaDeg degrees about the global Z axis;
  // components below 1e-10 in magnitude become 0.
  static void RotateAboutZ(double thetaDeg, double& x, double& y, double& z);

  // Beta angle, in degrees, of the element from node n1 to node n2 with the
  // orientation vector (vx, vy, vz). A node missing from the store is taken at
  // the origin (0, 0, 0). Returns 1.
  static int BetaAngle(const CDataPool& pool, int32_t n1, int32_t n2, double vx, double vy, double vz,
                       double& angle);
};
