// Field parsing and line reading of the model file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "base/linesource.h"
#include "reader/strparser.h"

using namespace hvx;

namespace {

std::vector<double> Numbers(const std::string& line) {
  std::vector<double> v;
  CHalvexStrParser::SplitToNumbers(line, v);
  return v;
}
std::vector<std::string> Strings(const std::string& line) {
  std::vector<std::string> v;
  CHalvexStrParser::SplitToStrings(line, v);
  return v;
}

struct SplitCase {
  const char* line;
  std::vector<std::string> strings;
  std::vector<double> numbers;
};

TEST(SplitFields, CommaAndBlankModes) {
  const SplitCase cases[] = {
      {"1,2,3", {"1", "2", "3"}, {1, 2, 3}},
      {"1 2 3", {"1", "2", "3"}, {1, 2, 3}},
      {"  1\t2   3", {"1", "2", "3"}, {1, 2, 3}},
      {"1,2,", {"1", "2", ""}, {1, 2}},
      {"1,,3", {"1", "", "3"}, {1, 0, 3}},
      {",5", {"", "5"}, {0, 5}},
      {",", {"", ""}, {0}},
      {" 1 , 2 ,3 ", {"1", "2", "3"}, {1, 2, 3}},
      {"4 -1, 2", {"4 -1", "2"}, {4, 2}},     // a blank inside a comma field stays
      {"1 2 ", {"1", "2"}, {1, 2}},           // a trailing blank gives no field
      {"   ", {}, {}},
      {"", {}, {}},
      {"10 20 30 TITLE=abc", {"10", "20", "30"}, {10, 20, 30}},
      {"TITLE=abc", {"TITLE=abc"}, {0}},
      {"A B=1 C=2", {"A"}, {0}},
      {"1,2 X=3,4", {"1", "2"}, {1, 2}},      // the keyword cut comes before the comma test
      {"5\t,\t6", {"5", "6"}, {5, 6}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(c.strings, Strings(c.line)) << "line: " << c.line;
    EXPECT_EQ(c.numbers, Numbers(c.line)) << "line: " << c.line;
  }
}

TEST(EvalNumber, ExpressionsLeftToRight) {
  const struct {
    const char* field;
    double value;
  } cases[] = {
      {"2*3+1", 7},    {"1+2*3", 9},       {"-4", -4},        {"-1-2", -3},     {"1.5E-3", 0.0015},
      {"2.5e+2", 250}, {"6/0", 0},         {"6/1e-21", 0},    {"6/2", 3},       {"10*2", 20},
      {"4 -1", 4},     {"12.9", 12.9},     {"1e5-1", 99999},  {"3-", 3},        {"+7", 7},
      {"abc", 0},      {"1.5abc", 1.5},    {" 2", 2},         {"2 ", 2},        {"-", 0},
      {"1E+2*2", 200}, {"0x10", 16},       {".5", 0.5},       {"5.", 5},        {"1-2-3", -4},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.value, CHalvexStrParser::EvalNumber(c.field)) << c.field;
}

TEST(EvalNumber, NonFiniteAndOutOfRangeAreDefined) {
  EXPECT_TRUE(std::isinf(CHalvexStrParser::EvalNumber("1e999")));
  EXPECT_EQ(0.0, CHalvexStrParser::EvalNumber("1e-999"));
  EXPECT_TRUE(std::isnan(CHalvexStrParser::EvalNumber("nan")));
  EXPECT_TRUE(std::isinf(CHalvexStrParser::EvalNumber("-inf")));
  // Integers from such values are defined: the x86 "integer indefinite" value.
  const std::pair<double, int32_t> ints[] = {{std::numeric_limits<double>::quiet_NaN(), INT32_MIN}, {1e20, INT32_MIN},
                                             {-3e9, INT32_MIN}, {2147483647.9, INT32_MAX}, {-2147483648.5, INT32_MIN},
                                             {-2.9, -2}, {2.9, 2}};
  for (const auto& [d, i] : ints) EXPECT_EQ(i, hvx::TruncToInt(d)) << d;
}

std::vector<std::string> Lines(const std::string& data) {
  CMemoryLineSource src(data.data(), data.size());
  std::vector<std::string> lines;
  std::string l;
  while (src.ReadLine(l)) lines.push_back(l);
  return lines;
}

TEST(ReadLine, PiecesOfAtMost499LineEndsAndOddBytes) {
  const std::string a499(499, 'a');
  const struct {
    std::string data;
    std::vector<std::string> lines;
  } cases[] = {
      {std::string(600, 'a'), {a499, std::string(101, 'a')}},
      {a499 + "\nc\n", {a499, "", "c"}},  // exactly 499 leaves its line feed for an empty line
      {std::string(498, 'a') + "\nc\n", {std::string(498, 'a'), "c"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb", {"a\rb"}},
      {std::string("ab\0xy\nc", 7), {"ab", "c"}},
      {"\n\nx", {"", "", "x"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.lines, Lines(c.data)) << c.data.substr(0, 20);
}

TEST(ReadLine, FileSourceMatchesMemorySource) {
  // Lines straddling the file source's chunk boundary, and CRLF split across it.
  std::string data;
  for (int i = 0; i < 40000; ++i) {
    data += std::string(static_cast<size_t>(i % 613), static_cast<char>('a' + i % 26));
    data += (i % 3 == 0) ? "\r\n" : "\n";
  }
  FILE* f = std::tmpfile();
  ASSERT_NE(nullptr, f);
  std::fwrite(data.data(), 1, data.size(), f);
  std::rewind(f);
  CFileLineSource fs(f);
  std::vector<std::string> fromFile;
  std::string l;
  while (fs.ReadLine(l)) fromFile.push_back(l);
  std::fclose(f);
  EXPECT_EQ(Lines(data), fromFile);
}

}  // namespace
