// A counting check that takes pieces of *NODE and *ELEMENT lines by the
// numbers recorded as they were formatted: it must count what the check of
// the whole text finds; and the comparison of recorded numbers with their
// text that the conversion cases make (cases in tests/tables/counting.txt).
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
using hvxtest::RecordedNumbersMatch, hvxtest::Replaced;

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

// Pieces of plain text and of numbered lines, fed to a counting checker (the
// numbers, or the text where it does not take them) and to a listing one;
// and numbered lines edited after their numbers were recorded.
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
    } else if (l.rfind("--- edit ", 0) == 0) {
      SCOPED_TRACE("tests/tables/counting.txt:" + std::to_string(at) + ": " + name);
      const size_t to = l.find(" =>", 9);
      ASSERT_NE(std::string::npos, to);
      const std::string from = Replaced(l.substr(9, to - 9), "\\n", "\n");
      const std::string into = l.size() > to + 4 ? Replaced(l.substr(to + 4), "\\n", "\n") : "";
      ASSERT_TRUE(from.empty() || into.find(from) == std::string::npos) << "TO holds FROM";
      const std::string edited = from.empty() ? body + into : Replaced(body, from, into);
      EXPECT_EQ(from.empty() && into.empty(), edited == body) << "an edit that changes nothing";
      EXPECT_EQ(edited == body, RecordedNumbersMatch(edited, numbers)) << edited;
      name.clear(), body.clear(), numbers = CPieceNumbers(), ++cases;
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
  EXPECT_GE(cases, 21);
}

}  // namespace
