// Block 901 (load-case options).
#include <gtest/gtest.h>

#include "tests/testutil.h"

using namespace hvxtest;

TEST(ReadCaseOptions, FillsAllSixteenFields) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel("   -1\n901\n4\n1,2,3,4,5,6,7,8,9,10\n11,12,13,14,1.5,0\n   -1\n", pool, 1));
  T_LCOP_D o;
  ASSERT_TRUE(pool->caseOptions.Lookup(4, o));
  const int32_t ints[] = {o.caseType,  o.modalMethod, o.resMethod,  o.dampMethod, o.excitType,  o.dynaType,
                          o.extlType,  o.intgMethod,  o.combMethod, o.initLoad,   o.nEigen,     o.printCount,
                          o.fileCount, o.iterLimit};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(i + 1, ints[i]) << "field " << i + 1;
  EXPECT_EQ(1.5, o.freqShift);
  EXPECT_EQ(0.0, o.tol);
}

TEST(ReadCaseOptions, LaterGroupWinsAndIncompleteGroupIsDropped) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel("   -1\n901\n1\n3,0,0,0,0,0,0,0,0,0\n0,0,0,0,0,0\n"
                          "1\n1,0,0,0,0,0,0,0,0,0\n0,0,0,0,0,0\n2\n3,0,0,0,0,0,0,0,0,0\n   -1\n",
                          pool, 1));
  T_LCOP_D o;
  ASSERT_TRUE(pool->caseOptions.Lookup(1, o));
  EXPECT_EQ(1, o.caseType);
  EXPECT_FALSE(pool->caseOptions.Contains(2));
}

TEST(ReadCaseOptions, ShortLinesLogTheirNumber) {
  struct Twin {
    std::string body;
    int line;
  };
  const Twin twins[] = {
      {"\n", 6},
      {"2\n3,0,0,0,0,0,0,0,0\n0,0,0,0,0,0\n", 7},
      {"2\n3,0,0,0,0,0,0,0,0,0\n0,0,0,0,0\n", 8},
  };
  for (const Twin& t : twins) {
    CDataPool* pool = nullptr;
    const std::string log = ReadModel("   -1\n901\n1\n3,0,0,0,0,0,0,0,0,0\n0,0,0,0,0,0\n" + t.body + "   -1\n", pool, 1);
    EXPECT_EQ(BadLine(t.line), log);
    EXPECT_TRUE(pool->caseOptions.Contains(1));
    EXPECT_FALSE(pool->caseOptions.Contains(2));
  }
}
