// The group block (408): head lines, rules, entity lists, read modes, and the
// failures of malformed groups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

// Lines 2 to 23 of a group (title line to the last table line).
std::string Head(const char* title, const char* line3 = "1,2,3,0.05,0.25,0.5") {
  std::string s = std::string(title) + "\n" + line3 + "\n4,5,6,7,1.5,2.5\n8,9\n";
  for (int k = 1; k <= 6; ++k) {
    const std::string n = std::to_string(k);
    s += "1" + n + ",2" + n + "\n" + n + ".1," + n + ".2," + n + ".3\n-" + n + ".5,0," + n + "e2\n";
  }
  return s;
}

// A complete group without rules and lists: 27 lines.
std::string Empty(int number) { return std::to_string(number) + ",0,0\n" + Head("") + "90\n-1\n23\n-1\n"; }

TEST(GroupBlock, ReadsEveryField) {
  // File line 3 is line 1 of the group.
  const std::string model = TextBlock(408, "7.9,2,-3.5\n" + Head("   Cores  ") +
                                  "90\n"
                                  "17\n10,12,1,1\n20,0,2,0,99\n-1\n"
                                  "0\n-1\n"
                                  "21\n5,0,1,1\n-1\n"
                                  "-1\n"
                                  "23\n"
                                  "7\n101\n102,103,104\n-1\n"
                                  "8\n-1\n"
                                  "-1\n");
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(model, pool));
  ASSERT_EQ(1u, pool->groups.Count());
  const T_GRUP_D* g = pool->groups.Find(7);
  ASSERT_NE(nullptr, g);
  EXPECT_EQ("Cores", g->title);
  EXPECT_EQ((Ints{2, -3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 21, 90, 23}),
            (Ints{g->h2, g->h3, g->l3[0], g->l3[1], g->l3[2], g->l4i[0], g->l4i[1], g->l4i[2], g->l4i[3], g->l5[0],
                  g->l5[1], g->table[0].i[0], g->table[0].i[1], g->ruleCount, g->listCount}));
  EXPECT_EQ((Dbls{0.05, 0.25, 0.5, 1.5, 2.5, 6.3, -6.5, 600}),
            (Dbls{g->damp, g->massC, g->stiffC, g->l4d[0], g->l4d[1], g->table[5].a[2], g->table[5].b[0], g->table[5].b[2]}));
  ASSERT_EQ(3u, g->rules.size());
  ASSERT_EQ(2u, g->rules[0].comps.size());
  // A rule head of 0 starts a rule.
  EXPECT_EQ((Ints{17, 12, 20, 2, 0, 0, 21}), (Ints{g->rules[0].type, g->rules[0].comps[0].last, g->rules[0].comps[1].first,
                                                   g->rules[0].comps[1].step, g->rules[0].comps[1].write,
                                                   g->rules[1].type, g->rules[2].type}));
  EXPECT_TRUE(g->rules[1].comps.empty());
  ASSERT_EQ(2u, g->lists.size());
  EXPECT_EQ(7, g->lists[0].type);
  EXPECT_EQ((std::vector<int32_t>{101, 102}), g->lists[0].ids);  // only the first value of a line
  EXPECT_EQ(8, g->lists[1].type);
  EXPECT_TRUE(g->lists[1].ids.empty());
}

TEST(GroupBlock, ReadModes) {
  CDataPool* pool = nullptr;
  // Read mode 0: line 3 needs three values and the coefficients stay 0.
  EXPECT_EQ("", ReadModel(TextBlock(408, "4,0,0\n" + Head("A", "1,2,3") + "90\n-1\n23\n-1\n"), pool, 0));
  ASSERT_EQ(1u, pool->groups.Count());
  EXPECT_EQ(0.0, pool->groups.Find(4)->damp);
  EXPECT_EQ(3, pool->groups.Find(4)->l3[2]);
  EXPECT_EQ("", ReadModel(TextBlock(408, "4,0,0\n" + Head("A", "1,2,3,0.05,0.25,0.5") + "90\n-1\n23\n-1\n"), pool, 0));
  EXPECT_EQ(0.0, pool->groups.Find(4)->damp);
  // Read mode 1 needs six (line 3 of the group is file line 5).
  EXPECT_EQ(BadLine(5), ReadModel(TextBlock(408, "4,0,0\n" + Head("A", "1,2,3,4,5") + "90\n-1\n23\n-1\n"), pool, 1));
  EXPECT_EQ(0u, pool->groups.Count());
}

TEST(GroupBlock, MalformedGroupsFailAndKeepEarlierOnes) {
  // Group 1 is complete on file lines 3 to 29; group 2 starts on line 30.
  const std::string first = Empty(1);
  const std::string head2 = "2,0,0\n";
  const struct {
    const char* name;
    std::string second;  // text after group 1
    std::string log;
    size_t groups;
  } cases[] = {
      {"a well-formed second group", Empty(2), "", 2},
      {"end marks are truncated: -1.5 is -1", head2 + Head("B") + "90\n17\n1,2,1,1\n-1.5\n-1.9\n23\n-1.2\n", "", 2},
      {"line 1 with two values", "2,0\n", BadLine(30), 1},
      {"line 4 with five values",
       head2 + Head("B").replace(Head("B").find("4,5,6,7,1.5,2.5"), 15, "4,5,6,7,1.5"), BadLine(33), 1},
      {"line 5 with one value", head2 + Head("B").replace(Head("B").find("8,9"), 3, "8"), BadLine(34), 1},
      {"a table line with one value", head2 + Head("B").replace(Head("B").find("11,21"), 5, "11"), BadLine(35), 1},
      {"a table line with two doubles", head2 + Head("B").replace(Head("B").find("1.1,1.2,1.3"), 11, "1.1,1.2"),
       BadLine(36), 1},
      {"an empty rule count line", head2 + Head("B") + "\n-1\n23\n-1\n", BadLine(53), 1},
      {"an empty rule head line", head2 + Head("B") + "90\n\n", BadLine(54), 1},
      {"a component line with three values", head2 + Head("B") + "90\n17\n1,2,1,1\n3,4,1\n", BadLine(56), 1},
      {"an entity list line without values", head2 + Head("B") + "90\n-1\n23\n7\n5\n\n-1\n-1\n", BadLine(58), 1},
      {"an empty list count line", head2 + Head("B") + "90\n-1\n\n-1\n", BadLine(55), 1},
      // The block ends inside a rule or a list: the closing delimiter's line.
      {"a rule open at the end of the block", head2 + Head("B") + "90\n17\n1,2,1,1\n", BadLine(56), 1},
      {"a rule head as the last line", head2 + Head("B") + "90\n21\n", BadLine(55), 1},
      {"a list open at the end of the block", head2 + Head("B") + "90\n-1\n23\n7\n5\n", BadLine(58), 1},
      // Cut short elsewhere: the group is dropped without a log entry.
      {"a group ending after its head", head2 + Head("B"), "", 1},
      {"a group ending after line 10", head2 + "B\n1,2,3,4,5,6\n4,5,6,7,1,2\n8,9\n1,2\n1,2,3\n1,2,3\n1,2\n1,2,3\n", "",
       1},
      {"a group without its list end", head2 + Head("B") + "90\n17\n1,0,1,1\n-1\n-1\n23\n7\n5\n-1\n", "", 1},
      {"a group without its list count", head2 + Head("B") + "90\n-1\n", "", 1},
  };
  for (const auto& c : cases) {
    CDataPool* pool = nullptr;
    EXPECT_EQ(c.log, ReadModel(TextBlock(408, first + c.second), pool)) << c.name;
    EXPECT_EQ(c.groups, pool->groups.Count()) << c.name;
    EXPECT_NE(nullptr, pool->groups.Find(1)) << c.name;
  }
}

TEST(GroupBlock, FailureStopsReadingTheFile) {
  CDataPool* pool = nullptr;
  // The bad component line is file line 28; the node block after it is not read.
  const std::string model =
      TextBlock(408, "3,0,0\n" + Head("") + "90\n21\n1,2\n-1\n-1\n23\n-1\n") + "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n";
  EXPECT_EQ(BadLine(28), ReadModel(model, pool));
  EXPECT_EQ(0u, pool->groups.Count());
  EXPECT_EQ(0u, pool->nodes.Count());
}

TEST(GroupBlock, LaterGroupReplacesEarlierOne) {
  CDataPool* pool = nullptr;
  const std::string later = "5,0,0\n" + Head("Second") + "90\n-1\n23\n-1\n";
  EXPECT_EQ("", ReadModel(TextBlock(408, "5,0,0\n" + Head("First") + "90\n17\n1,0,1,1\n-1\n-1\n23\n-1\n" + later), pool));
  ASSERT_EQ(1u, pool->groups.Count());
  EXPECT_EQ("Second", pool->groups.Find(5)->title);
  EXPECT_TRUE(pool->groups.Find(5)->rules.empty());  // nothing merged
}

}  // namespace
