// A counting check that takes pieces of *NODE and *ELEMENT lines by the
// numbers recorded as they were formatted: it must count what the check of
// the whole text finds (cases in tests/tables/counting.txt).
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/piece_numbers.h"
#include "check/qsxcheck.h"
#include "tests/recorded_numbers.h"
#include "tests/testutil.h"

using namespace hvx;

namespace {

// Records the numbers of a node line ("n|") or an element line ("e|") as the
// writer records the lines it formats: false for a line of neither kind.
bool Record(const std::string& line, CPieceNumbers& numbers) {
  if (line.rfind("n|", 0) == 0) return numbers.FirstNumber(std::stoi(line.substr(2))), true;
  if (line.rfind("e|", 0) != 0) return false;
  int n = 0, material = 0, property = 0, used = 0;
  char word[8] = "";
  std::sscanf(line.c_str() + 2, "%d , %7[A-Z] , %d , %d%n", &n, word, &material, &property, &used);
  size_t type = 0;
  while (type < kElementLineKinds && std::string(word) != kElementKinds[type].name) ++type;
  std::vector<int32_t> v;
  std::istringstream fields(hvxtest::Replaced(line.substr(2 + static_cast<size_t>(used)), ",", " "));
  for (int32_t f; fields >> f;) v.push_back(f);
  if (used == 0 || type == kElementLineKinds || (v.size() != 2 && v.size() != 5 && v.size() != 8)) {
    ADD_FAILURE() << "not an element line of 2, 5 or 8 nodes: " << line;
    return true;
  }
  const auto t = static_cast<EElementKind>(type);
  if (v.size() == 2) numbers.Element(n, t, material, property, {v[0], v[1]});
  else if (v.size() == 5) numbers.Element(n, t, material, property, {v[0], v[1], v[2], v[3], v[4]});
  else numbers.Element(n, t, material, property, {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
  return true;
}

// The text of numbered lines, with their numbers.
std::string Numbered(const std::string& lines, CPieceNumbers& numbers) {
  std::string text, line;
  for (std::istringstream in(lines); std::getline(in, line);) text += line.substr(2) + "\n", Record(line, numbers);
  return text;
}

// Pieces of plain text and of numbered lines, fed to a counting checker (the
// numbers, or the text where it does not take them) and to a listing one.
TEST(CountingCheck, CountsWhatTheWholeTextGives) {
  std::istringstream file(hvxtest::ReadFile(hvxtest::SourceDir() + "/tests/tables/counting.txt"));
  std::string name, whole, plain, body;
  std::optional<CQsxChecker> counting, lister;
  CPieceNumbers numbers;
  bool allByNumbers = true;
  int cases = 0, lineNo = 0, at = 0;
  const auto feed = [&] {
    counting->Feed(plain), lister->Feed(plain);
    if (!body.empty() && !counting->FeedNumbers(numbers, body.size())) allByNumbers = false, counting->Feed(body);
    if (!body.empty()) lister->Feed(body, numbers);
    whole += plain + body;
    plain.clear(), body.clear(), numbers = CPieceNumbers();
  };
  for (std::string l; std::getline(file, l);) {
    ++lineNo;
    if (l.rfind("=== ", 0) == 0) {
      EXPECT_EQ("", name) << "no \"--- \" line";
      name = l.substr(4), at = lineNo, whole.clear(), allByNumbers = true;
      counting.emplace(CQsxChecker::kPendingBytes, true), lister.emplace();
    } else if (name.empty()) {
      continue;  // remarks
    } else if (Record(l, numbers)) {
      body += l.substr(2) + "\n";
    } else if (l.rfind("--- ", 0) != 0) {
      feed();
      plain = !l.empty() && l.back() == '\\' ? l.substr(0, l.size() - 1) : l + "\n";
    } else {
      SCOPED_TRACE("tests/tables/counting.txt:" + std::to_string(at) + ": " + name);
      feed();
      plain = "*MATERIAL\n  1, STEEL, x\n  4095, STEEL, x\n*SECTION\n  1, DBUSER, x\n*THICKNESS\n  2, VALUE, x\n";
      feed();
      counting->Finish();
      const CDanglingList listed = CheckQsxText(whole);
      std::istringstream expected(l.substr(4));
      std::string dangling, by;
      ASSERT_TRUE(expected >> dangling >> by && (by == "numbers" || by == "text"));
      EXPECT_EQ(listed.References(), counting->Counted()) << whole;
      if (dangling != "?") {
        EXPECT_EQ(std::stoll(dangling), counting->Counted()) << whole;
      }
      EXPECT_EQ(by == "numbers", allByNumbers);
      EXPECT_EQ(static_cast<long long>(whole.size()), counting->Stats().bytes);
      EXPECT_TRUE(lister->Finish() == listed);
      name.clear(), ++cases;
    }
  }
  EXPECT_EQ("", name) << "no \"--- \" line";
  EXPECT_GE(cases, 11);
}

// The comparison the conversion cases make of what the writer records with
// its text tells every difference: each edit (a text replaced, or appended
// when none is given) is one.
TEST(RecordedNumbersMatch, NamesEveryDifference) {
  const std::string nodes = "n|  4, 0, 0, 0\nn|  5, 0, 0, 0\nn|  6, 0, 0, 0\n";
  const std::string elements = "e|     1, BEAM  ,     3,     4, 5, 6\ne|     2, PLATE ,     3,     4, 5, 6, 7, 0, 2\n";
  const struct {
    const std::string& part;
    std::string from, to;
    bool match;
  } rows[] = {
      {nodes, "", "", true},                      // as recorded
      {elements, "", "", true},                   //
      {nodes, "5,", "7,", false},                 // a node number
      {nodes, "", "  7, 0, 0, 0\n", false},       // a line too many
      {nodes, "  6, 0, 0, 0\n", "", false},       // a line too few
      {nodes, "  4, 0, 0, 0\n", "; x\n", false},  // a comment line
      {elements, "    3,", "    9,", false},      // a material
      {elements, ", 6\n", ", 8\n", false},        // a node of an element
      {elements, "7, 0", "7, 1", false},          // a corner
      {elements, "PLATE ", "PLSTRS", false},      // a type
  };
  for (const auto& r : rows) {
    CPieceNumbers numbers;
    const std::string text = Numbered(r.part, numbers);
    const std::string edited = r.from.empty() ? text + r.to : hvxtest::Replaced(text, r.from, r.to);
    EXPECT_EQ(r.match, hvxtest::RecordedNumbersMatch(edited, numbers)) << r.from << " -> " << r.to;
  }
}

}  // namespace
