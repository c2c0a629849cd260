// Snapped trigonometry, rotation about global Z and the beta angle.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/mathfunc.h"
#include "tests/testutil.h"

using namespace hvx;

namespace {

TEST(MathFunc, SnappedCosineAndSine) {
  const double pi = CMathFunc::kPi;
  // Raw results within rounding of 0, 1 and -1 snap; others pass unchanged.
  EXPECT_EQ(0.0, CMathFunc::Cos(pi / 2));  // raw 6.1e-17
  EXPECT_EQ(0.0, CMathFunc::Sin(pi));      // raw 1.2e-16
  EXPECT_EQ(-1.0, CMathFunc::Cos(pi));
  EXPECT_EQ(1.0, CMathFunc::Sin(pi / 2));
  EXPECT_EQ(1.0, CMathFunc::Cos(4e-8));    // raw 1 - 8e-16
  EXPECT_NE(1.0, CMathFunc::Cos(1e-7));    // raw 1 - 5e-15: outside the band
  EXPECT_EQ(-1.0, CMathFunc::Cos(pi + 4e-8));
  EXPECT_EQ(0.0, CMathFunc::Sin(9e-16));
  EXPECT_EQ(2e-15, CMathFunc::Sin(2e-15));
  EXPECT_EQ(std::cos(0.5), CMathFunc::Cos(0.5));
  EXPECT_EQ(std::sin(-0.5), CMathFunc::Sin(-0.5));
}

TEST(MathFunc, RotationAboutZ) {
  const struct {
    double theta;
    double in[3];
    double out[3];
  } cases[] = {
      {90, {1, 0, 0}, {0, 1, 0}},
      {90, {1, 1, 0}, {-1, 1, 0}},
      {90, {2, -3, 7}, {3, 2, 7}},     // z is kept
      {90, {-1, 0, 0}, {0, -1, 0}},
      {180, {1, 2, 0}, {-1, -2, 0}},
      {-90, {1, 0, 0}, {0, -1, 0}},
      {0, {1e-11, 5, -7e-11}, {0, 5, 0}},  // tiny components become 0
      {0, {2e-10, 0, 0}, {2e-10, 0, 0}},
  };
  for (const auto& c : cases) {
    double x = c.in[0], y = c.in[1], z = c.in[2];
    CMathFunc::RotateAboutZ(c.theta, x, y, z);
    EXPECT_EQ(c.out[0], x) << c.theta << " " << c.in[0] << "," << c.in[1];
    EXPECT_EQ(c.out[1], y) << c.theta << " " << c.in[0] << "," << c.in[1];
    EXPECT_EQ(c.out[2], z) << c.theta << " " << c.in[0] << "," << c.in[1];
    EXPECT_FALSE(std::signbit(x) && x == 0.0) << "no negative zero";
  }
  // 30 degrees: cos and sin pass unsnapped.
  double x = 2, y = 0, z = 0;
  CMathFunc::RotateAboutZ(30, x, y, z);
  EXPECT_DOUBLE_EQ(std::sqrt(3.0), x);
  EXPECT_DOUBLE_EQ(1.0, y);
}

TEST(MathFunc, BetaAngle) {
  const double pos[][3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 2, 0},
                           {1, 2, 5}, {2, 0, 0}, {4, 3, 0}, {1.00005, 2.00005, 3}};  // 9: within 0.0001 of 5 in plan
  const auto at = [&](int n) { return pos[n - 1]; };

  // The usual orientations are pinned by the golden case beta-angle-cases;
  // these are the edge cases.
  const struct {
    const char* name;
    int n1, n2;
    double v[3];
    double angle;
  } cases[] = {
      {"zero vector", 1, 2, {0, 0, 0}, 0},
      {"vertical, vector Y: b.x = 0", 1, 3, {0, 1, 0}, 180},
      {"inclined, vector Z", 1, 4, {0, 0, 1}, 0},
      {"vector parallel to the element", 1, 2, {3, 0, 0}, 0},
      {"vector parallel to a vertical element", 1, 3, {0, 0, -2}, 0},
      {"both ends at one point: zero length", 1, 1, {0, 1, 0}, 0},
  };
  for (const auto& c : cases) {
    double angle = -1;
    EXPECT_EQ(1, CMathFunc::BetaAngle(at(c.n1), at(c.n2), c.v[0], c.v[1], c.v[2], angle)) << c.name;
    EXPECT_NEAR(c.angle, angle, 1e-12) << c.name;
  }
  // Within 0.0001 of vertical in plan: the vertical rule applies (the inclined
  // one would give about 0).
  double angle = 0;
  CMathFunc::BetaAngle(at(5), at(9), 1, 1, 0, angle);
  EXPECT_NEAR(135, angle, 1e-6);
  // Inclined (1, 0, 1) with vector (0, 1, 1): b = (-1, 2, 1), w = (0, 1, 0),
  // cos = 2 / sqrt(6).
  CMathFunc::BetaAngle(at(1), at(4), 0, 1, 1, angle);
  EXPECT_DOUBLE_EQ(std::acos(2 / std::sqrt(6.0)) * 180 / 3.141592653589793 - 90, angle);
}

// Outside their domains the functions give Linux's NaNs on every platform (the
// sign shows in the output as "nan" or "-nan"); inside, the usual values.
TEST(MathFunc, SameNaNOnEveryPlatform) {
  const double inf = std::numeric_limits<double>::infinity();
  const double negativeNan = std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0);
  const double pastOne = std::nextafter(1.0, 2.0);
  const struct {
    const char* name;
    double value;
    bool nan, signSet;
  } cases[] = {
      {"acos(1 + ulp)", CMathFunc::Acos(pastOne), true, false},
      {"acos(-1 - ulp)", CMathFunc::Acos(-pastOne), true, false},
      {"acos(-inf)", CMathFunc::Acos(-inf), true, false},
      {"acos(-nan) keeps its sign", CMathFunc::Acos(negativeNan), true, true},
      {"acos(1)", CMathFunc::Acos(1.0), false, false},
      {"cos(inf)", CMathFunc::Cos(inf), true, true},
      {"sin(-inf)", CMathFunc::Sin(-inf), true, true},
      {"cos(-nan) keeps its sign", CMathFunc::Cos(negativeNan), true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.nan, std::isnan(c.value)) << c.name;
    EXPECT_EQ(c.signSet, std::signbit(c.value)) << c.name;
  }
  EXPECT_EQ(CMathFunc::kPi, CMathFunc::Acos(-1.0));
  // The beta angle of a cosine rounded past 1 is golden case beta-angle-rounded-past-one.
}

}  // namespace
