// Vector helpers for the spring and link output: trigonometry that snaps
// results within rounding of 0, 1 and -1, the rotation of a vector about the
// global Z axis, and the beta angle that orients a two-node link.
#pragma once

namespace hvx {

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

  // acos with the same result outside its domain on every platform: the C
  // libraries disagree on the sign of the NaN they return there, which shows
  // in the output ("nan" or "-nan"). Linux's C library is followed: acos of
  // an argument beyond [-1, 1] (rounding puts a cosine there) is a NaN with
  // the sign bit clear; a NaN argument comes back unchanged. Cos and Sin of an
  // infinity likewise give Linux's NaN, whose sign bit is set.
  static double Acos(double x);

  // Rotates (x, y, z) in place by thetaDeg degrees about the global Z axis;
  // components below 1e-10 in magnitude become 0.
  static void RotateAboutZ(double thetaDeg, double& x, double& y, double& z);

  // Beta angle, in degrees, of the element from position p1 to position p2
  // with the orientation vector (vx, vy, vz). Returns 1.
  static int BetaAngle(const double p1[3], const double p2[3], double vx, double vy, double vz, double& angle);
};

}  // namespace hvx
