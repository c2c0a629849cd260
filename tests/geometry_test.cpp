// Snapped trigonometry, rotation about global Z and the beta angle: the cases
// are tests/unit_cases/geometry.txt.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "geometry/mathfunc.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;

namespace {

std::vector<double> Numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<double> v;
  for (std::string t; in >> t;) v.push_back(std::strtod(t.c_str(), nullptr));
  return v;
}

TEST(MathFunc, Cases) {
  const std::map<std::string, std::pair<double (*)(double), double (*)(double)>> functions = {
      {"cos", {CMathFunc::Cos, [](double x) { return std::cos(x); }}},
      {"sin", {CMathFunc::Sin, [](double x) { return std::sin(x); }}},
      {"acos", {CMathFunc::Acos, [](double x) { return std::acos(x); }}}};
  for (const CaseRow& r : CaseRows("geometry.txt", 3)) {
    SCOPED_TRACE("geometry.txt:" + std::to_string(r.line));
    std::vector<double> in = Numbers(r.fields[1]), want = Numbers(r.fields[2]);
    if (r.fields[0] == "rotate") {
      ASSERT_EQ(4u, in.size());
      CMathFunc::RotateAboutZ(in[0], in[1], in[2], in[3]);
      EXPECT_EQ(want, std::vector<double>(in.begin() + 1, in.end()));
      for (int i = 1; i < 4; ++i) EXPECT_FALSE(std::signbit(in[i]) && in[i] == 0.0) << "negative zero";
    } else if (r.fields[0] == "beta") {
      ASSERT_EQ(9u, in.size());
      ASSERT_EQ(2u, want.size());
      double angle = -1;
      EXPECT_EQ(1, CMathFunc::BetaAngle(&in[0], &in[3], in[6], in[7], in[8], angle));
      EXPECT_NEAR(want[0], angle, want[1]);
    } else {
      ASSERT_EQ(1u, functions.count(r.fields[0])) << "no function " << r.fields[0];
      ASSERT_EQ(1u, in.size());
      const auto [f, raw] = functions.at(r.fields[0]);
      const double w = r.fields[2] == "raw" ? raw(in[0]) : want.at(0), got = f(in[0]);
      EXPECT_EQ(std::isnan(w), std::isnan(got)) << got;
      EXPECT_EQ(std::signbit(w), std::signbit(got)) << got;
      if (!std::isnan(w)) {
        EXPECT_EQ(w, got);
      }
    }
  }
}

// 30 degrees: cos and sin pass unsnapped.
TEST(MathFunc, RotationUnsnapped) {
  double x = 2, y = 0, z = 0;
  CMathFunc::RotateAboutZ(30, x, y, z);
  EXPECT_DOUBLE_EQ(std::sqrt(3.0), x);
  EXPECT_DOUBLE_EQ(1.0, y);
}

}  // namespace
