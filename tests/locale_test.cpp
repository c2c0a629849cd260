// Reading and writing numbers never depends on the process locale: with a
// decimal-comma LC_NUMERIC the output is byte-identical.
#include <gtest/gtest.h>

#include <clocale>

#include "tests/testutil.h"

using namespace hvx;
using namespace hvxtest;

namespace {

TEST(Locale, DecimalCommaChangesNothing) {
  const std::string model =
      "   -1\n100\nLocale test\n7.5\n1 2\n   -1\n"
      "   -1\n900\n123456,0,9.80665,0,0\n0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n   -1\n"
      "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1.5,-2.25e-3,1234567.89,0\n2,0,0,0,0,0,0,0,0,0,0,0.1*3,7/2,1e300,0\n   -1\n"
      "   -1\n403\n3,2\n   -1\n";
  std::string readLogC, readLogDe;
  const std::string inC = ConvertCore(model, &readLogC);
  TestLocale de("de_DE.UTF-8", true);  // made when the machine lacks it
  if (!de.Active()) GTEST_SKIP() << "no decimal-comma locale can be made here";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", 1.5);
  ASSERT_STREQ("1,5", buf) << "the locale is not a decimal-comma one";
  const std::string inDe = ConvertCore(model, &readLogDe);
  EXPECT_EQ(inC, inDe) << FirstDifference(inC, inDe);
  EXPECT_EQ(readLogC, readLogDe);
  EXPECT_NE(std::string::npos, inDe.find("  1, 1.5, -0.00225, 1.23457e+06\n"));
  EXPECT_NE(std::string::npos, inDe.find("  0, 0, 9.80665, 0, NO, NO\n"));
}

}  // namespace
