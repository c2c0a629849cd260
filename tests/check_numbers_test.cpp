// A counting check that takes pieces of *NODE and *ELEMENT lines by the
// numbers recorded as they were formatted: it must count what the check of
// the whole text finds.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/piece_numbers.h"
#include "check/qsxcheck.h"
#include "tests/recorded_numbers.h"
#include "tests/testutil.h"

using namespace hvx;
using hvxtest::ParamName;

namespace {

using EType = CPieceNumbers::EType;

struct Element {
  int32_t n;
  EType type;
  int32_t material, property;
  std::vector<int32_t> fields;
};

// A part of a text: plain text, node lines, or element lines.
struct Part {
  std::string text;
  std::vector<int32_t> nodes;
  std::vector<Element> elements;
};

std::string NodeLine(int32_t n) { return "  " + std::to_string(n) + ", 0, 0, 0\n"; }

std::string ElementLine(const Element& e) {
  char head[64];
  std::snprintf(head, sizeof head, "%6d, %-6s, %5d, %5d", e.n, hvx::ElementKind(e.type).name,
                e.material, e.property);
  std::string line = head;
  for (const int32_t f : e.fields) line += ", " + std::to_string(f);
  return line + "\n";
}

// The part's text, and the numbers of its lines.
std::string TextOf(const Part& p, CPieceNumbers* numbers) {
  std::string text = p.text;
  for (const int32_t n : p.nodes) {
    text += NodeLine(n);
    numbers->FirstNumber(n);
  }
  for (const Element& e : p.elements) {
    text += ElementLine(e);
    const std::vector<int32_t>& f = e.fields;
    if (f.size() == 2) numbers->Element(e.n, e.type, e.material, e.property, {f[0], f[1]});
    else if (f.size() == 5) numbers->Element(e.n, e.type, e.material, e.property, {f[0], f[1], f[2], f[3], f[4]});
    else numbers->Element(e.n, e.type, e.material, e.property, {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
  }
  return text;
}

const std::string kDefinitions =
    "*MATERIAL\n  1, STEEL, x\n  4095, STEEL, x\n"
    "*SECTION\n  1, DBUSER, x\n"
    "*THICKNESS\n  2, VALUE, x\n";

// Parts, then kDefinitions and `after` as plain text.
struct CountCase {
  const char* name;
  std::vector<Part> parts;
  std::string after;
  long long dangling;  // what the check of the whole text finds
  bool allByNumbers;   // every numbered part is taken by its numbers
};

const std::vector<CountCase>& CountCases() {
  static const std::vector<CountCase> cases = {
      {"clean",
       {{"*NODE\n", {1, 2, 3, 4, 10}, {}},
        {"*ELEMENT\n", {}, {{1, EType::kBeam, 1, 1, {1, 2}}, {2, EType::kPlate, 1, 2, {1, 2, 3, 0, 2}}}}},
       "", 0, true},
      {"a missing node and a missing corner of a quadrangle",
       {{"*NODE\n", {1, 2, 3}, {}},
        {"*ELEMENT\n", {}, {{1, EType::kTruss, 1, 1, {1, 9}}, {2, EType::kPlstrs, 1, 2, {1, 2, 3, 8, 1}}}}},
       "", 2, true},
      {"missing materials and sections, counted per line",
       {{"*NODE\n", {1, 2}, {}},
        {"*ELEMENT\n",
         {},
         {{1, EType::kBeam, 7, 5, {1, 2}}, {2, EType::kBeam, 7, 5, {1, 2}}, {3, EType::kBeam, 1, 5, {1, 2}},
          {4, EType::kPlate, 5000, 3, {1, 2, 1, 2, 2}}}}},
       "", 7, true},
      {"a solid's unused corners and its property field refer to nothing",
       {{"*NODE\n", {1, 2, 3, 5}, {}},
        {"*ELEMENT\n",
         {},
         {{1, EType::kSolid, 4095, 0, {1, 2, 3, 5, 0, 0, 0, 0}}, {2, EType::kSolid, 1, 0, {1, 2, 3, 0, 6, 0, 0, 0}}}}},
       "", 1, true},
      {"nodes and materials defined after the elements",
       {{"*ELEMENT\n", {}, {{1, EType::kBeam, 1, 1, {11, 12}}, {2, EType::kBeam, 1, 1, {12, 13}}}},
        {"*NODE\n", {11, 12}, {}}},
       "", 1, true},
      {"negative numbers",
       {{"*NODE\n", {-3, -2, -1, 0, 1}, {}}, {"*ELEMENT\n", {}, {{-7, EType::kBeam, -1, 1, {-3, -4}}}}},
       "*FRAME-RLS\n  -7, NO, 000011, 0, 0, 0, 0, 0, 0\n", 2, true},
      {"element numbers in ranges and apart, referred to by later sections",
       {{"*NODE\n", {1, 2}, {}},
        {"*ELEMENT\n",
         {},
         {{5, EType::kBeam, 1, 1, {1, 2}}, {6, EType::kBeam, 1, 1, {1, 2}}, {9, EType::kBeam, 1, 1, {1, 2}}}}},
       "*BEAMLOAD\n5, BEAM\n6, BEAM\n7, BEAM\n9, BEAM\n*CONLOAD\n2, 0\n3, 0\n", 2, true},
      {"first numbers that refer to nodes", {{"*NODE\n", {1, 2}, {}}, {"*CONLOAD\n", {1, 2, 3}, {}}}, "", 1, true},
      {"node lines in an element section are read from the text",
       {{"*NODE\n", {1, 2}, {}}, {"*ELEMENT\n", {3, 4}, {}}}, "", -1, false},
      {"element lines in a node section are read from the text",
       {{"*NODE\n", {1, 2}, {{3, EType::kBeam, 1, 1, {1, 5}}}}}, "", -1, false},
      {"lines after a command line without its line end are read from the text",
       {{"*NODE", {1, 2}, {}}, {"\n*ELEMENT\n", {}, {{3, EType::kBeam, 1, 1, {1, 5}}}}}, "", 2, false},
  };
  return cases;
}

class CountingCheck : public ::testing::TestWithParam<size_t> {};

// A checker that lists reads the text, numbers or not.
TEST_P(CountingCheck, CountsWhatTheWholeTextGives) {
  const CountCase& c = CountCases()[GetParam()];
  std::string whole;
  CQsxChecker counting(CQsxChecker::kPendingBytes, true), lister;
  bool allByNumbers = true;
  std::vector<Part> parts = c.parts;
  parts.push_back({kDefinitions + c.after, {}, {}});
  for (const Part& p : parts) {
    CPieceNumbers numbers;
    const std::string body = TextOf(Part{"", p.nodes, p.elements}, &numbers);
    counting.Feed(p.text);
    lister.Feed(p.text);
    if (!body.empty() && !counting.FeedNumbers(numbers, body.size())) {
      allByNumbers = false;
      counting.Feed(body);
    }
    if (!body.empty()) lister.Feed(body, numbers);
    whole += p.text + body;
  }
  counting.Finish();
  const CDanglingList listed = CheckQsxText(whole);
  EXPECT_EQ(listed.References(), counting.Counted()) << whole;
  EXPECT_TRUE(c.dangling < 0 || c.dangling == counting.Counted()) << counting.Counted() << " in\n" << whole;
  EXPECT_EQ(c.allByNumbers, allByNumbers);
  EXPECT_EQ(static_cast<long long>(whole.size()), counting.Stats().bytes);
  EXPECT_TRUE(lister.Finish() == listed);
}

INSTANTIATE_TEST_SUITE_P(Cases, CountingCheck, ::testing::Range<size_t>(0, CountCases().size()),
                         [](const ::testing::TestParamInfo<size_t>& i) {
                           return ParamName(CountCases()[i.param].name);
                         });

// The comparison the conversion cases make of what the writer records with
// its text tells every difference: each edit (a text replaced, or appended
// when none is given) is one.
TEST(RecordedNumbersMatch, NamesEveryDifference) {
  const Part nodes{"", {4, 5, 6}, {}};
  const Part elements{"", {}, {{1, EType::kBeam, 3, 4, {5, 6}}, {2, EType::kPlate, 3, 4, {5, 6, 7, 0, 2}}}};
  const struct {
    const Part& part;
    std::string from, to;
    bool match;
  } rows[] = {
      {nodes, "", "", true},                     // as recorded
      {elements, "", "", true},                  //
      {nodes, "5,", "7,", false},                // a node number
      {nodes, "", NodeLine(7), false},           // a line too many
      {nodes, NodeLine(6), "", false},           // a line too few
      {nodes, NodeLine(4), "; x\n", false},      // a comment line
      {elements, "    3,", "    9,", false},     // a material
      {elements, ", 6\n", ", 8\n", false},       // a node of an element
      {elements, "7, 0", "7, 1", false},         // a corner
      {elements, "PLATE ", "PLSTRS", false},     // a type
  };
  for (const auto& r : rows) {
    CPieceNumbers numbers;
    const std::string text = TextOf(r.part, &numbers);
    const std::string edited = r.from.empty() ? text + r.to : hvxtest::Replaced(text, r.from, r.to);
    EXPECT_EQ(r.match, hvxtest::RecordedNumbersMatch(edited, numbers)) << r.from << " -> " << r.to;
  }
}

}  // namespace
