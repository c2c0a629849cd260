// Field parsing and line reading of the model file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "base/linesource.h"
#include "reader/strparser.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;
using hvxtest::CaseRow, hvxtest::CaseRows;

namespace {

// The text of a field list apart by sep ("" is no field).
std::vector<std::string> Parts(const std::string& text, char sep) {
  std::vector<std::string> v;
  std::istringstream in(text);
  for (std::string p; !text.empty() && std::getline(in, p, sep);) v.push_back(p);
  if (!text.empty() && text.back() == sep) v.emplace_back();
  return v;
}

TEST(SplitFields, CommaAndBlankModes) {
  for (const CaseRow& r : CaseRows("split_fields.txt", 3)) {
    SCOPED_TRACE("split_fields.txt:" + std::to_string(r.line));
    std::vector<double> want, numbers;
    std::vector<std::string> strings;
    for (const std::string& n : Parts(r.fields[2], ' ')) want.push_back(std::stod(n));
    CHalvexStrParser::SplitToStrings(r.fields[0], strings);
    CHalvexStrParser::SplitToNumbers(r.fields[0], numbers);
    EXPECT_EQ(Parts(r.fields[1], '|'), strings);
    EXPECT_EQ(want, numbers);
  }
}

TEST(EvalNumber, ExpressionsLeftToRightAndOutOfRange) {
  for (const CaseRow& r : CaseRows("eval_number.txt", 2)) {
    SCOPED_TRACE("eval_number.txt:" + std::to_string(r.line) + ": " + r.fields[0]);
    const double want = std::strtod(r.fields[1].c_str(), nullptr), got = CHalvexStrParser::EvalNumber(r.fields[0]);
    if (std::isnan(want)) EXPECT_TRUE(std::isnan(got)) << got;
    else EXPECT_DOUBLE_EQ(want, got);
  }
}

TEST(EvalNumber, IntegersOfAnyValueAreDefined) {
  for (const CaseRow& r : CaseRows("trunc_to_int.txt", 2))
    EXPECT_EQ(std::stol(r.fields[1]), hvx::TruncToInt(std::strtod(r.fields[0].c_str(), nullptr))) << r.fields[0];
}

// The lines a source reads; of data in memory.
template <class Source>
std::vector<std::string> LinesOf(Source&& src) {
  std::vector<std::string> lines;
  for (std::string l; src.ReadLine(l);) lines.push_back(l);
  return lines;
}
std::vector<std::string> Lines(const std::string& data) { return LinesOf(CMemoryLineSource(data.data(), data.size())); }

TEST(ReadLine, PiecesOfAtMost499LineEndsAndOddBytes) {
  for (const CaseRow& r : CaseRows("read_line.txt", 2)) {
    SCOPED_TRACE("read_line.txt:" + std::to_string(r.line));
    EXPECT_EQ(Parts(r.fields[1], '|'), Lines(r.fields[0]));
  }
}

TEST(ReadLine, FileSourceMatchesMemorySource) {
  // Lines straddling the file source's chunk boundaries, and CRLF split across
  // them; texts whose last chunk (the first is 64 KiB) holds one byte or a CR
  // carried over; a file of one byte.
  std::string straddling;
  for (int i = 0; i < 40000; ++i) {
    straddling += std::string(static_cast<size_t>(i % 613), static_cast<char>('a' + i % 26));
    straddling += (i % 3 == 0) ? "\r\n" : "\n";
  }
  const std::string firstChunk(65535, 'x');
  for (const std::string& data :
       {straddling, firstChunk + "\ny", firstChunk + "\r\ny", firstChunk + "\r", std::string("y")}) {
    SCOPED_TRACE(std::to_string(data.size()) + " bytes");
    FILE* f = std::tmpfile();
    ASSERT_NE(nullptr, f);
    std::fwrite(data.data(), 1, data.size(), f);
    std::rewind(f);
    const std::vector<std::string> fromFile = LinesOf(CFileLineSource(f));
    std::fclose(f);
    EXPECT_EQ(Lines(data), fromFile);
  }
}

}  // namespace
