// End marks of the constraint, load and history output blocks: a list ends on
// a line whose first value, truncated toward zero, is -1 (so -1.9 ends it and
// -0.5 does not). Line 1 is the opening delimiter and line 2 the block number.
#include <gtest/gtest.h>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

TEST(EndMarks, TruncatedMinusOneClosesListsElsewhereNot) {
  RunReadCases({
      {"constraints, read mode 1: -1.5 ends the nodes, -1.9 the equations",
       "   -1\n506\n4\nT\n12,1,1,1,1,0,0,0\n-1.5\n-1.9\n   -1\n", 1, "",
       [](const CDataPool& p) {
         const T_CNST_D* c = p.constraints.Find(4);
         ASSERT_NE(nullptr, c);
         EXPECT_EQ(1u, c->nodes.size());
         EXPECT_TRUE(c->eqs.empty());
       }},
      {"constraints, read mode 0: five truncated end marks",
       "   -1\n506\n5\nT\n-1.2\n-1.7\n-1.3\n-1.99\n-1.0\n   -1\n", 0, "",
       [](const CDataPool& p) { EXPECT_TRUE(p.constraints.Contains(5)); }},
      {"constraints: -0.5 is a node line, short of eight values (line 5)",
       "   -1\n506\n6\nT\n-0.5\n-1\n-1\n   -1\n", 1, "Invalid format in line 5.\n",
       [](const CDataPool& p) { EXPECT_TRUE(p.constraints.Empty()); }},
      {"loads: four truncated end marks store the set",
       "   -1\n507\n" + LoadSetHead(3, "L", 1, 0) + "-1.5\n-1.2\n-1.8\n-1.01\n   -1\n", 1, "",
       [](const CDataPool& p) {
         T_LOAD_D l;
         ASSERT_TRUE(p.loads.Lookup(3, l));
         EXPECT_TRUE(l.mbld.empty());
         EXPECT_TRUE(l.etld.empty());
       }},
      // Head lines 3 to 23, then the -0.9 line as a structural load head (line 24).
      {"loads: -0.9 heads a structural load, short of nine values (line 24)",
       "   -1\n507\n" + LoadSetHead(3, "L", 1, 0) + "-0.9\n-1\n-1\n-1\n-1\n   -1\n", 1, "Invalid format in line 24.\n",
       [](const CDataPool& p) { EXPECT_TRUE(p.loads.Empty()); }},
      {"history output: -1.7 is passed over",
       "   -1\n894\n-1.7\n0,1,2\nN\n1,2,3,4,5,6\n1,2,3\n   -1\n", 1, "",
       [](const CDataPool& p) {
         ASSERT_EQ(1u, p.histories.size());
         EXPECT_EQ(2, p.histories[0].loadSet);
       }},
      {"history output: -0.5 starts a record and is short of three values (line 3)",
       "   -1\n894\n-0.5\n0,1,2\nN\n1,2,3,4,5,6\n1,2,3\n   -1\n", 1, "Invalid format in line 3.\n",
       [](const CDataPool& p) { EXPECT_TRUE(p.histories.empty()); }},
  });
}

}  // namespace
