// Blocks 892 (hinge curves) and 894 (history output requests).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

// Curve head lines 1 to 17 with empty slices.
Lines CurveHead(const std::string& line1) {
  Lines v = {line1, "10", "", "130"};
  for (int i = 0; i < 13; ++i) v.push_back("");
  return v;
}

// The first data line of a block is line 3 of the file.
constexpr int kFirst = 3;

TEST(HingeCurveBlock, FillsHeadSlicesAndDataSets) {
  Lines lines = {
      "7, 3, 11, 12, 2",
      "8",
      "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12",  // only ten are kept
      "99",
      "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12",  // runs on into entries 11 and 12
      "21, 22, 23",                            // overwrites 11 and 12, then 13
      "", "", "", "", "", "", "", "", "", "",
      "121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131",  // 131 has no entry
      "25, 0.5"};
  // n = 25: three lines per array; the third line of array 1 holds extra values.
  for (int j = 1; j <= 6; ++j) {
    lines.push_back(std::to_string(j) + ", 1, 1, 1, 1, 1, 1, 1, 1, 1");
    lines.push_back("2, 2, 2, 2, 2, 2, 2, 2, 2, 2");
    lines.push_back(j == 1 ? "3, 3, 3, 3, 3, 3, 3" : "3, 3, 3, 3, 3");
  }
  lines.push_back("0, 7.5");  // n = 0: head line only; the count of 2 is reached
  lines = Cat({lines, CurveHead("8, 1, 0, 0, 1"), {"-3, 1"}});
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(Block(892, lines), pool));

  ASSERT_EQ(2u, pool->curves.Count());
  const T_SKCV_D* c = pool->curves.Find(7);
  ASSERT_NE(nullptr, c);
  EXPECT_EQ((Ints{3, 11, 12, 2, 8, 10, 99}), (Ints{c->type, c->c2, c->c3, c->nSets, c->intCount, c->ints[9], c->valueCount}));
  EXPECT_EQ((Dbls{10, 21, 22, 23, 0, 121, 130}), (Dbls{c->value[9], c->value[10], c->value[11], c->value[12], c->value[13],
                                                       c->value[120], c->value[129]}));
  ASSERT_EQ(2u, c->sets.size());
  EXPECT_EQ(25, c->sets[0].n);
  EXPECT_EQ(0.5, c->sets[0].value);
  EXPECT_EQ(27u, c->sets[0].arr[0].size());  // 10 + 10 + 7: more than n values are kept
  EXPECT_EQ(1.0, c->sets[0].arr[0][0]);
  for (int j = 1; j < 6; ++j) {
    ASSERT_EQ(25u, c->sets[0].arr[j].size());
    EXPECT_EQ(double(j + 1), c->sets[0].arr[j][0]);
    EXPECT_EQ(3.0, c->sets[0].arr[j][24]);
  }
  EXPECT_EQ(0, c->sets[1].n);
  EXPECT_EQ(7.5, c->sets[1].value);
  for (const auto& a : c->sets[1].arr) EXPECT_TRUE(a.empty());

  const T_SKCV_D* c8 = pool->curves.Find(8);
  ASSERT_NE(nullptr, c8);
  ASSERT_EQ(1u, c8->sets.size());
  EXPECT_EQ(-3, c8->sets[0].n);  // a negative count has no runs either
}

struct BadCurve {
  const char* what;
  Lines lines;
  std::string log;     // expected read log
  size_t stored;       // curves stored before the stop
};

class HingeCurveMalformed : public ::testing::TestWithParam<BadCurve> {};

TEST_P(HingeCurveMalformed, LogsTheLineOrDropsTheCurve) {
  CDataPool* pool = nullptr;
  EXPECT_EQ(GetParam().log, ReadModel(Block(892, GetParam().lines), pool)) << GetParam().what;
  EXPECT_EQ(GetParam().stored, pool->curves.Count()) << GetParam().what;
}

const Lines kGood = Cat({CurveHead("1, 0, 0, 0, 1"), {"0, 0"}});

INSTANTIATE_TEST_SUITE_P(
    Cases, HingeCurveMalformed,
    ::testing::Values(
        BadCurve{"line 1 with four values", Cat({kGood, {"2, 0, 0, 0"}}), BadLine(kFirst + 18), 1},
        BadCurve{"empty count line", Lines{"2, 0, 0, 0, 1", ""}, BadLine(kFirst + 1), 0},
        BadCurve{"empty value count line", Lines{"2, 0, 0, 0, 1", "1", "", ""}, BadLine(kFirst + 3),
                 0},
        BadCurve{"data set head with one value", Cat({CurveHead("2, 0, 0, 0, 1"), {"5"}}),
                 BadLine(kFirst + 17), 0},
        // n = 11: two lines per run; the block ends inside run 2, and the
        // missing line (the closing delimiter's) is the one named.
        BadCurve{"run cut off", Cat({CurveHead("2, 0, 0, 0, 1"), {"11, 0", "1", "1", "1"}}),
                 BadLine(kFirst + 21), 0},
        BadCurve{"head cut off: dropped silently", Cat({kGood, {"2, 0, 0, 0, 1", "1"}}), "", 1},
        BadCurve{"second data set missing: dropped silently",
                 Cat({CurveHead("2, 0, 0, 0, 2"), {"0, 0"}}), "", 0},
        BadCurve{"count 0: never stored, later lines are data sets",
                 Cat({CurveHead("2, 0, 0, 0, 0"), {"1, 0, 0, 0, 1", "1", "2", "3", "4", "5", "6", "0, 0"}}),
                 "", 0},
        BadCurve{"count -1: never stored", Cat({CurveHead("2, 0, 0, 0, -1"), {"0, 0", "0, 0"}}),
                 "", 0}),
    [](const auto& i) { return "Case" + std::to_string(i.index); });

// Counts near the 32-bit limit must not be trusted for allocation or looping.
TEST(HingeCurveBlock, HugeCountsEndWithTheBlock) {
  CDataPool* pool = nullptr;
  // Two billion data sets, two given: the block ends at a group boundary.
  EXPECT_EQ("", ReadModel(Block(892, Cat({CurveHead("3, 0, 0, 0, 2000000000"), {"0, 0", "0, 0"}})),
                          pool));
  EXPECT_EQ(0u, pool->curves.Count());
  // Two billion data sets, the first with two billion points: its run runs out.
  EXPECT_EQ(BadLine(kFirst + 20), ReadModel(Block(892, Cat({CurveHead("3, 0, 0, 0, 2000000000"), {"2000000000, 0", "1", "2"}})),
                                        pool));
  EXPECT_EQ(0u, pool->curves.Count());
}

TEST(HistoryOutputBlock, ReadsGroupsInFileOrder) {
  CDataPool* pool = nullptr;
  const std::string text = Block(894, {"-1",
                                       "0, 2, 5",
                                       "   Roof disp  ",
                                       "1, 2, 3, 4, 5, 6",
                                       "0.5, 1.5, 2.5",
                                       "-1, 7",
                                       "1.9, 100.2, -3",
                                       "A=1, B",
                                       "0, 0, 0, 0, 0, 0, 99",
                                       "1e-3, 2, 3",
                                       "1, 1, 1",  // cut off: dropped
                                       "name"});
  EXPECT_EQ("", ReadModel(text, pool));
  ASSERT_EQ(2u, pool->histories.size());
  const T_THGR_D& a = pool->histories[0];
  EXPECT_EQ(0, a.cls);
  EXPECT_EQ(2, a.type);
  EXPECT_EQ(5, a.loadSet);
  EXPECT_EQ("   Roof disp  ", a.name);
  EXPECT_EQ(6, a.k[5]);
  EXPECT_EQ(2.5, a.r[2]);
  const T_THGR_D& b = pool->histories[1];
  EXPECT_EQ(1, b.cls);
  EXPECT_EQ(100, b.type);
  EXPECT_EQ(-3, b.loadSet);
  EXPECT_EQ("A=1, B", b.name);
  EXPECT_EQ(0.001, b.r[0]);
}

struct BadHistory {
  const char* what;
  Lines lines;
  int line;           // failing line within the block
  size_t stored;
};

class HistoryOutputMalformed : public ::testing::TestWithParam<BadHistory> {};

TEST_P(HistoryOutputMalformed, LogsTheLine) {
  CDataPool* pool = nullptr;
  EXPECT_EQ(BadLine(kFirst + GetParam().line - 1), ReadModel(Block(894, GetParam().lines), pool)) << GetParam().what;
  EXPECT_EQ(GetParam().stored, pool->histories.size()) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryOutputMalformed,
    ::testing::Values(BadHistory{"line 1 with two values", {"0, 2"}, 1, 0},
                      BadHistory{"empty line 1", {"0, 2, 1", "n", "1,2,3,4,5,6", "1,2,3", ""}, 5, 1},
                      BadHistory{"line 3 with five values", {"0, 2, 1", "n", "1,2,3,4,5"}, 3, 0},
                      BadHistory{"line 4 with two values", {"-1", "0, 2, 1", "n", "1,2,3,4,5,6", "1,2"}, 5, 0}),
    [](const auto& i) { return "Case" + std::to_string(i.index); });

}  // namespace
