// Differential checks of the number fast paths against the C library:
// reading against strtod in the C locale, formatting against snprintf.
#include <gtest/gtest.h>

#include <locale.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "reader/strparser.h"
#include "base/format.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;

namespace {

locale_t CLocaleT() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

double StrtodC(const std::string& s) { return strtod_l(s.c_str(), nullptr, CLocaleT()); }

// Same number, bit for bit (NaN against NaN of either sign and payload).
::testing::AssertionResult SameDouble(double expected, double actual, const std::string& text) {
  if (std::isnan(expected) && std::isnan(actual)) return ::testing::AssertionSuccess();
  if (std::bit_cast<uint64_t>(expected) == std::bit_cast<uint64_t>(actual)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "'" << text << "': " << std::hexfloat << expected << " != " << actual;
}

std::string Printf(const char* fmt, double v) {
  const locale_t old = uselocale(CLocaleT());
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, v);
  uselocale(old);
  return buf;
}

// The texts of one kind in tests/unit_cases/numbers.txt.
std::vector<std::string> CaseTexts(const std::string& kind) {
  std::vector<std::string> texts;
  for (const hvxtest::CaseRow& r : hvxtest::CaseRows("numbers.txt", 2))
    if (r.fields[0] == kind) texts.push_back(r.fields[1]);
  EXPECT_FALSE(texts.empty()) << kind;
  return texts;
}

// Doubles worth printing and reading back: random bit patterns, subnormals,
// powers of ten and their neighbours, values that round at the sixth digit,
// signed zeros, infinities and NaN.
std::vector<double> Specimens(size_t randomCount) {
  std::vector<double> v;
  for (const std::string& t : CaseTexts("specimen")) v.push_back(StrtodC(t));
  for (int e = -30; e <= 30; ++e) {
    const double p = std::pow(10.0, e);
    v.push_back(p);
    v.push_back(std::nextafter(p, 0.0));
    v.push_back(std::nextafter(p, 1e300));
    v.push_back(-p);
  }
  std::mt19937_64 rng(12345);
  // Values near a rounding boundary of the sixth digit: d.dddddd5 * 10^e.
  for (int i = 0; i < 2000; ++i) {
    const double mant = static_cast<double>(100000 + rng() % 900000) + 0.5;
    const int e = static_cast<int>(rng() % 30) - 15;
    const double x = mant * std::pow(10.0, e - 5);
    v.push_back(x);
    v.push_back(std::nextafter(x, 0.0));
    v.push_back(std::nextafter(x, 1e300));
  }
  for (size_t i = 0; i < randomCount; ++i) {
    v.push_back(std::bit_cast<double>(rng()));  // any bit pattern, NaNs included
    // Model-like values: short decimals of moderate size.
    const double s = static_cast<double>(static_cast<int64_t>(rng() % 2000001) - 1000000);
    v.push_back(s / std::pow(10.0, static_cast<double>(rng() % 8)));
    // The formatting fast path's range, 1e-4 to 1e15: any magnitude, and integers.
    v.push_back(std::pow(10.0, -4.5 + 20.0 * static_cast<double>(rng() % 1000000) / 1e6));
    v.push_back(static_cast<double>(rng() % 100000000));
  }
  return v;
}

TEST(NumberReading, AtofMatchesStrtod) {
  std::vector<std::string> texts = CaseTexts("atof");
  for (double d : Specimens(3000)) {
    for (const char* f : {"%.17g", "%g", "%.3f", "%e", "%.10e", "%.0f", "%a"}) texts.push_back(Printf(f, d));
  }
  std::mt19937_64 rng(7);
  for (int i = 0; i < 5000; ++i) {  // long digit strings with a point somewhere
    std::string s = rng() % 2 ? "-" : "";
    const int n = 1 + static_cast<int>(rng() % 40);
    const int dot = static_cast<int>(rng() % (n + 1));
    for (int k = 0; k < n; ++k) {
      if (k == dot) s += '.';
      s += static_cast<char>('0' + rng() % 10);
    }
    texts.push_back(s);
  }
  for (const std::string& t : texts)
    EXPECT_TRUE(SameDouble(StrtodC(t), CHalvexStrParser::Atof(t), t));
}

// Splits a line of plain fields at its commas and evaluates each field alone:
// what the general rules give for such a line.
std::vector<double> Expected(const std::string& line) {
  std::vector<double> out;
  std::istringstream in(line);  // a trailing comma adds nothing
  for (std::string f; std::getline(in, f, ',');) out.push_back(f.empty() ? 0.0 : StrtodC(f));
  return out;
}

TEST(NumberReading, PlainLinesMatchTheGeneralRules) {
  std::mt19937_64 rng(99);
  std::vector<std::string> lines = CaseTexts("split");
  for (int i = 0; i < 20000; ++i) {
    std::string line;
    const int fields = 1 + static_cast<int>(rng() % 15);
    for (int f = 0; f < fields; ++f) {
      if (f) line += ',';
      switch (rng() % 6) {
        case 0: break;  // empty field
        case 1: line += std::to_string(static_cast<int64_t>(rng() % 2000000) - 1000000); break;
        case 2: line += Printf("%.10g", std::bit_cast<double>(rng() % 0x7FF0000000000000ull)); break;
        case 3: line += Printf("%.3f", static_cast<double>(rng() % 100000) / 7.0); break;
        case 4: line += std::string(rng() % 2 ? "-" : "") + "." + std::to_string(rng() % 100000); break;
        default: line += std::to_string(rng() % 1000) + "."; break;
      }
    }
    if (rng() % 8 == 0) line += ',';
    lines.push_back(line);
  }
  for (const std::string& line : lines) {
    // Only lines of digits, signs, points and commas are checked here; the
    // others (exponents from %.10g) go the general way, which other tests cover.
    if (line.find_first_not_of("0123456789+-.,") != std::string::npos) continue;
    std::vector<double> got;
    CHalvexStrParser::SplitToNumbers(line, got);
    const std::vector<double> want = Expected(line);
    ASSERT_EQ(want.size(), got.size()) << line;
    for (size_t k = 0; k < want.size(); ++k) EXPECT_TRUE(SameDouble(want[k], got[k], line)) << "field " << k;
  }
}

TEST(NumberFormatting, MatchesPrintf) {
  const std::vector<std::string> formats = CaseTexts("double format");
  for (double d : Specimens(20000)) {
    for (const std::string& f : formats) {
      const std::string want = Printf(f.c_str(), d);
      ASSERT_EQ(want, hvx::Format(f.c_str(), d)) << f << " of " << Printf("%a", d);
    }
    std::string appended = "x", want = "x";  // the writer's shortcut for "%g" appends
    hvx::AppendG(appended, d);
    want += Printf("%g", d);
    ASSERT_EQ(want, appended) << Printf("%a", d);
  }
}

TEST(NumberFormatting, IntegersMatchPrintf) {
  std::vector<long long> values;
  for (const std::string& t : CaseTexts("integer")) values.push_back(std::stoll(t));
  std::mt19937_64 rng(5);
  for (int i = 0; i < 20000; ++i) values.push_back(static_cast<long long>(rng()) >> (rng() % 64));
  const std::vector<std::string> formats = CaseTexts("integer format");
  for (long long v : values) {
    for (const std::string& f : formats) {
      char want[64];
      std::string directive(f);
      directive.insert(directive.find_first_of("di"), "ll");
      std::snprintf(want, sizeof want, directive.c_str(), v);
      ASSERT_EQ(std::string(want), hvx::Format(f.c_str(), v)) << f << " of " << v;
    }
  }
}

TEST(NumberFormatting, WholeLinesAsTheWriterBuildsThem) {
  // Several fields per call, literal text between them, padding both ways.
  const std::pair<std::string, const char*> cases[] = {
      {hvx::Format("%6d, BEAM  , %5d, %5d, %5d, %5d, REF, %g, %g, %g\n", 12, 3, 2, 4, 3, 0.25, 0.5, 1.0),
       "    12, BEAM  ,     3,     2,     4,     3, REF, 0.25, 0.5, 1\n"},
      {hvx::Format("  %d, %g, %g, %g\n", -7, 1234567.0, -0.000012345678, 100000.0),
       "  -7, 1.23457e+06, -1.23457e-05, 100000\n"},
      {hvx::Format("%-8s|%5s|%.2s|%c%%\n", "ab", "xyz", "long", 'Q'), "ab      |  xyz|lo|Q%\n"},
      {hvx::Format("%d %g %s\n"), "0 0 \n"},  // missing arguments write nothing
      {hvx::Format("%5d|%-5d|%5g\n", 1234567, -3, -0.0), "1234567|-3   |   -0\n"},
      {hvx::Format("%.*f|%*d|%-*d|\n", 2, 3.14159, 4, 7, 3, 8), "3.14|   7|8  |\n"},
  };
  for (const auto& [got, want] : cases) EXPECT_EQ(want, got);
  // A line longer than any internal buffer comes out whole.
  std::string longText(3000, 'x');
  EXPECT_EQ(">" + longText + "<  7", hvx::Format(">%s<%3d", longText, 7));
  EXPECT_EQ(std::string(3999, ' ') + "1", hvx::Format("%4000d", 1));
}

}  // namespace
