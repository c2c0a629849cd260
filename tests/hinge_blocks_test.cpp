// Blocks 902 (hinge properties) and 903 (initial element forces): a good block
// and its malformed twins. Line 1 of each model is the opening delimiter and
// line 2 the block number, so data line k is file line k + 2.
#include <gtest/gtest.h>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

const char* const kHingeGood =
    "7, 1, 2, 3, 4, 5, 6, 1, 8, 9, 10\n"
    "   Column hinge   \n"
    "11, 0, 0, 0, 15, 16\n"
    "9, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0\n"
    "\n"
    "0, 0, 0, 0, 21, 22, 31, 32\n"
    "12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 99\n"
    "title\n"
    "1, 2, 3, 4, 5, 6, 7, 8, 9\n";

TEST(HingePropertyBlock, StoresEachGroupOfThreeLines) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(902, kHingeGood), pool));
  ASSERT_EQ(3u, pool->hinges.Count());

  const T_IHPR_D* h = pool->hinges.Find(7);
  ASSERT_NE(nullptr, h);
  const int32_t v[10] = {1, 2, 3, 4, 5, 6, 1, 8, 9, 10};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(v[i], h->v[i]) << i;
  EXPECT_EQ("Column hinge", h->title);
  const int32_t comp[6] = {11, 0, 0, 0, 15, 16};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(comp[i], h->comp[i]) << i;
  EXPECT_EQ(0, h->inter[0]);  // six values: no interaction curves
  EXPECT_EQ(0, h->inter[1]);

  h = pool->hinges.Find(9);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ("", h->title);
  EXPECT_EQ(21, h->comp[4]);
  EXPECT_EQ(31, h->inter[0]);
  EXPECT_EQ(32, h->inter[1]);

  h = pool->hinges.Find(12);  // values beyond the eighth are ignored
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(7, h->inter[0]);
  EXPECT_EQ(8, h->inter[1]);
}

TEST(HingePropertyBlock, LaterGroupReplacesAndCutGroupIsDropped) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(902,
                                "5, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0\nfirst\n1, 2, 3, 4, 5, 6\n"
                                "5, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0\nsecond\n0, 0, 0, 0, 0, 6\n"
                                "6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\ncut off\n"),
                          pool));
  ASSERT_EQ(1u, pool->hinges.Count());
  const T_IHPR_D* h = pool->hinges.Find(5);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ("second", h->title);
  EXPECT_EQ(2, h->v[6]);
  EXPECT_EQ(0, h->comp[0]);  // nothing of the first group is merged in
  EXPECT_EQ(6, h->comp[5]);
}

struct Malformed {
  const char* name;
  int block;
  const char* lines;
  std::string log;
  size_t kept;  // records stored before the failure
};

class MalformedHingeBlock : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedHingeBlock, LogsTheLineAndKeepsEarlierRecords) {
  const Malformed& m = GetParam();
  CDataPool* pool = nullptr;
  EXPECT_EQ(m.log, ReadModel(TextBlock(m.block, m.lines), pool));
  EXPECT_EQ(m.kept, m.block == 902 ? pool->hinges.Count() : pool->initForces.Count());
}

const Malformed kMalformed[] = {
    {"HingeLine1TenValues", 902, "1, 0, 0, 0, 0, 0, 0, 0, 0, 0\nA\n1, 0, 0, 0, 0, 0\n",
     BadLine(3), 0},
    {"HingeLine3FiveValues", 902, "1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\nA\n1, 0, 0, 0, 0\n",
     BadLine(5), 0},
    {"HingeLine3SevenValues", 902, "1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\nA\n1, 0, 0, 0, 0, 0, 9\n",
     BadLine(5), 0},
    {"HingeSecondGroupLine3Empty", 902, "1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\nA\n1, 0, 0, 0, 0, 0\n"
                                        "2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\nB\n\n",
     BadLine(8), 1},
    {"ForceLine1OneValue", 903, "4\n1,2,3,4,5,6,7,8,9,10,11,12\n1,2,3,4,5,6,7,8,9,10,11,12\n",
     BadLine(3), 0},
    {"ForceLine2ElevenValues", 903, "4, 2\n1,2,3,4,5,6,7,8,9,10,11\n1,2,3,4,5,6,7,8,9,10,11,12\n",
     BadLine(4), 0},
    {"ForceSecondGroupLine3ElevenValues", 903,
     "4, 2\n1,2,3,4,5,6,7,8,9,10,11,12\n1,2,3,4,5,6,7,8,9,10,11,12\n"
     "5, 1\n1,2,3,4,5,6,7,8,9,10,11,12\n1,2,3,4,5,6,7,8,9,10,11\n",
     BadLine(8), 1},
};

INSTANTIATE_TEST_SUITE_P(Twins, MalformedHingeBlock, ::testing::ValuesIn(kMalformed),
                         [](const ::testing::TestParamInfo<Malformed>& i) { return std::string(i.param.name); });

TEST(InitialForceBlock, StoresKindAndEndForces) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(903,
                                "12, 2.9\n"
                                "1,2,3,4,5,6,7,8,9,10,11,12,13\n"
                                "-1.5,2,3,4,5,6,7,8,9,10,11,12.25\n"
                                "13, 1\n0,0,0,0,0,0,0,0,0,0,0,0\n"),
                          pool));
  ASSERT_EQ(1u, pool->initForces.Count());  // 13 is cut off
  const T_INFC_D* f = pool->initForces.Find(12);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(2, f->kind);  // truncated
  EXPECT_EQ(12.0, f->row1[11]);
  EXPECT_EQ(-1.5, f->ends[0]);
  EXPECT_EQ(12.25, f->ends[11]);
}

}  // namespace
