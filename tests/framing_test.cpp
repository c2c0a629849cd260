// Block framing, line counting, the header and analysis-settings blocks.
#include <gtest/gtest.h>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

TEST(Framing, LineCountsAndFailures) {
  const struct {
    const char* name;
    const char* model;
    std::string log;
    size_t nodes;
  } cases[] = {
      {"text before the first block is skipped and counted",
       "title\nmore\n   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n1,2\n   -1\n", BadLine(6), 1},
      {"a short node line on line 3", "   -1\n403\n1,2,3\n   -1\n", BadLine(3), 0},
      {"an empty block names its opening delimiter", "x\n   -1\n   -1\n   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n",
       BadLine(2), 0},
      {"a delimiter as the last line is an empty block", "   -1\n", BadLine(1), 0},
      {"a blank line in a node block fails", "   -1\n403\n\n   -1\n", BadLine(3), 0},
      {"unknown blocks are skipped and their lines not counted",
       "   -1\n413\na\nb\nc\n   -1\n   -1\n403\n1,2\n   -1\n", BadLine(6), 0},
      {"lines a block reader leaves unread are not counted",
       "   -1\n100\ntitle\n7.0\n1 2\nextra\n   -1\n   -1\n403\n1,2\n   -1\n", BadLine(9), 0},
      {"a delimiter may carry text after it", "   -1 nodes follow\n  403  NODES\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1 end\n", "",
       1},
      {"-1 without its three blanks is no delimiter", "-1\n403\n   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n", "", 1},
      {"a block without closing delimiter is still read", "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n2,0,0,0,0,0,0,0,0,0,0,1,2,3,0",
       "", 2},
      {"two blocks in a row", "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n   -1\n403\n2,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1\n", "",
       2},
      {"a <NULL> delimiter is an empty line", "   -1\n403\n1,0,0,0,0,0,0,0,0,0,0,1,2,3,0\n   -1 <NULL>\n   -1\n", BadLine(4),
       1},
  };
  for (const auto& c : cases) {
    CDataPool* pool = nullptr;
    EXPECT_EQ(c.log, ReadModel(c.model, pool)) << c.name;
    EXPECT_EQ(c.nodes, pool->nodes.Count()) << c.name;
  }
}

TEST(Framing, NodesAreStoredWithTheirValues) {
  CDataPool* pool = nullptr;
  ReadModel("   -1\n403\n5,0,0,0,46,1,1,1,0,0,0,1.5,2.,-3E-1,0\n12.9,0,0,0,0,0,0,0,0,0,0,10*2,0,0,0\n"
            "5,0,0,0,0,0,0,0,0,0,0,7,8,9,0\n   -1\n",
            pool);
  T_NODS_D n;
  ASSERT_TRUE(pool->nodes.Lookup(12, n));
  EXPECT_EQ(20.0, n.pos[0]);
  ASSERT_TRUE(pool->nodes.Lookup(5, n));
  EXPECT_EQ(7.0, n.pos[0]);  // the later line wins
  EXPECT_EQ(2u, pool->nodes.Count());
  ReadModel("   -1\n403\n5,0,0,0,46,1,1,1,0,0,0,1.5,2.,-3E-1,0\n   -1\n", pool);
  ASSERT_TRUE(pool->nodes.Lookup(5, n));
  EXPECT_EQ((std::vector<int>{1, 1, 1, 0, 0, 0}), std::vector<int>(n.cnst, n.cnst + 6));
  EXPECT_EQ(46, n.attr[3]);
  EXPECT_DOUBLE_EQ(-0.3, n.pos[2]);
  EXPECT_DOUBLE_EQ(-0.3, n.pos2[2]);
}

TEST(HeaderBlock, ReadModes) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel("   -1\n100\n<NULL>\n8.3\n2 1\n   -1\n", pool));
  EXPECT_EQ(1, pool->Header().present);
  EXPECT_EQ("", pool->Header().title);
  EXPECT_EQ(8.3, pool->Header().version);
  EXPECT_EQ(2, pool->Header().lengthUnit);
  EXPECT_EQ(1, pool->Header().forceUnit);

  ReadModel("   -1\n100\n  My  model \n8.3\n   -1\n", pool);  // no unit line: nothing stored
  EXPECT_EQ(0, pool->Header().present);
  EXPECT_EQ("", pool->Header().title);
  EXPECT_EQ(6.0, pool->Header().version);

  ReadModel("   -1\n100\n  My  model \n8.3\n3 2\n   -1\n", pool, 0);  // read mode 0 ignores line 3
  EXPECT_EQ(1, pool->Header().present);
  EXPECT_EQ("My  model", pool->Header().title);
  EXPECT_EQ(0, pool->Header().lengthUnit);

  EXPECT_EQ("File version is higher than supported (line 4); reading goes on.\n",
            ReadModel("   -1\n100\nT\n101\n1 1\n   -1\n", pool));
  EXPECT_EQ(101.0, pool->Header().version);
  EXPECT_EQ(1, pool->Header().present);

  EXPECT_EQ(BadLine(4), ReadModel("   -1\n100\nT\n\n1 1\n   -1\n", pool));
  EXPECT_EQ(0, pool->Header().present);
  EXPECT_EQ(BadLine(5), ReadModel("   -1\n100\nT\n7\n1\n   -1\n", pool));
  EXPECT_EQ(0, pool->Header().present);
}

TEST(AnalysisBlock, LastCompletePairWins) {
  CDataPool* pool = nullptr;
  const std::string zeros17 = "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n";
  ReadModel("   -1\n900\n1,2,9.806,0,0\n" + zeros17 + "   -1\n", pool);
  EXPECT_EQ(1, pool->Analysis().structCode);
  EXPECT_EQ(2, pool->Analysis().massCode);
  EXPECT_EQ(9.806, pool->Analysis().grav);

  ReadModel("   -1\n900\n1,2,9.8,4,5\n1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n3,0,0,0,0\n" + zeros17 + "7,7,7,7,7\n   -1\n",
            pool);
  EXPECT_EQ(3, pool->Analysis().structCode);
  EXPECT_EQ(0, pool->Analysis().set[16]);
  EXPECT_EQ(0.0, pool->Analysis().grav);

  EXPECT_EQ(BadLine(5), ReadModel("   -1\n900\n1,2,9.8,4,5\n" + zeros17 + "1,2,3,4\n   -1\n", pool));
  EXPECT_EQ(1, pool->Analysis().structCode);
  EXPECT_EQ(BadLine(4), ReadModel("   -1\n900\n1,2,9.8,4,5\n1,2\n   -1\n", pool));
  EXPECT_EQ(0, pool->Analysis().structCode);
}

}  // namespace
