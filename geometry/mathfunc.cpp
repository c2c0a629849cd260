#include "geometry/mathfunc.h"

#include <cmath>
#include <limits>

namespace hvx {

const double CMathFunc::kPi = 4.0 * std::atan(1.0);
const double CMathFunc::kDegToRad = CMathFunc::kPi / 180.0;
const double CMathFunc::kRadToDeg = 180.0 / CMathFunc::kPi;

namespace {

constexpr double kTrigSnap = 1e-15;
constexpr double kRotSnap = 1e-10;
constexpr double kAxisTol = 0.0001;
// The beta angle converts to degrees with this literal rather than kPi.
constexpr double kBetaPi = 3.141592653589793;

double Snap(double v) {
  if (std::fabs(v) < kTrigSnap) return 0.0;
  if (std::fabs(v - 1.0) < kTrigSnap) return 1.0;
  if (std::fabs(v + 1.0) < kTrigSnap) return -1.0;
  return v;
}

double Length(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

// The NaNs Linux's C library returns outside a function's domain.
const double kNanSignClear = std::numeric_limits<double>::quiet_NaN();
const double kNanSignSet = std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0);

double CheckedCos(double rad) { return std::isinf(rad) ? kNanSignSet : std::cos(rad); }
double CheckedSin(double rad) { return std::isinf(rad) ? kNanSignSet : std::sin(rad); }

}  // namespace

double CMathFunc::Cos(double rad) { return Snap(CheckedCos(rad)); }

double CMathFunc::Sin(double rad) { return Snap(CheckedSin(rad)); }

double CMathFunc::Acos(double x) {
  if (std::isnan(x)) return x;
  if (x > 1.0 || x < -1.0) return kNanSignClear;
  return std::acos(x);
}

void CMathFunc::RotateAboutZ(double thetaDeg, double& x, double& y, double& z) {
  const double r = thetaDeg * kDegToRad;
  const double c = Cos(r);
  const double s = Sin(r);
  double out[3] = {x * c - y * s, x * s + y * c, z};
  for (double& v : out)
    if (std::fabs(v) < kRotSnap) v = 0.0;
  x = out[0];
  y = out[1];
  z = out[2];
}

int CMathFunc::BetaAngle(const double p1[3], const double p2[3], double vx, double vy, double vz, double& angle) {
  angle = 0.0;
  if (vx == 0.0 && vy == 0.0 && vz == 0.0) return 1;
  const double d[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
  // a = d x v; b = a x d, the part of v at right angles to d (scaled).
  const double a[3] = {d[1] * vz - d[2] * vy, d[2] * vx - d[0] * vz, d[0] * vy - d[1] * vx};
  const double b[3] = {a[1] * d[2] - a[2] * d[1], a[2] * d[0] - a[0] * d[2], a[0] * d[1] - a[1] * d[0]};
  if (b[0] == 0.0 && b[1] == 0.0 && b[2] == 0.0) return 1;
  if (a[0] == 0.0 && a[1] == 0.0 && a[2] == 0.0) return 1;

  if (std::fabs(p1[0] - p2[0]) < kAxisTol && std::fabs(p1[1] - p2[1]) < kAxisTol) {
    // Parallel to global Z.
    angle = Acos(b[0] / Length(b[0], b[1], b[2])) * 180.0 / kBetaPi + 90.0;
    if (angle >= 360.0) angle -= 360.0;
  } else if (std::fabs(d[2]) < kAxisTol) {
    // Level.
    angle = Acos(a[2] / Length(a[0], a[1], a[2])) * 180.0 / kBetaPi;
  } else {
    // Inclined: measured from the level direction across the element's plan.
    const double w[3] = {-d[1], d[0], 0.0};
    const double dot = w[0] * b[0] + w[1] * b[1] + w[2] * b[2];
    angle = Acos(dot / (Length(w[0], w[1], w[2]) * Length(b[0], b[1], b[2]))) * 180.0 / kBetaPi - 90.0;
  }
  return 1;
}

}  // namespace hvx
