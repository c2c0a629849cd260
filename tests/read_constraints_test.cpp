// Block 506 (constraint sets) in both layouts, with equations, the kept set
// number, and malformed blocks.
#include <gtest/gtest.h>

#include "tests/testutil.h"

using namespace hvxtest;

TEST(ReadConstraints, ExtendedLayoutGoesStraightToEquations) {
  const std::string body =
      "4\n  SUPPORTS  \n12,1,1,1,1,0,0,0\n13,2,0,0,0,0,0,1\n-1\n"
      "1,0,0\n2\n5,3,-1\n9,3,1.0\n"
      "2,0,0\n0\n"
      "-1\n"
      "6\n\n-1\n-1\n";
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(506, body), pool, 1));
  ASSERT_TRUE(pool->modelConstraintSet.has_value());
  EXPECT_EQ(4, *pool->modelConstraintSet);
  const T_CNST_D c = Get(pool->constraints, 4);
  EXPECT_EQ("SUPPORTS", c.title);
  ASSERT_EQ(2u, c.nodes.size());
  const auto& n = c.nodes[0];
  EXPECT_EQ((Ints{12, 1, 0, 1, 1, 1, 0, 0, 0, 0, 1}), (Ints{n.ent, n.colour, n.layer, n.dof[0], n.dof[1], n.dof[2], n.dof[3],
                                                            n.dof[4], n.dof[5], n.extra, c.nodes[1].dof[5]}));
  ASSERT_EQ(2u, c.eqs.size());
  ASSERT_EQ(2u, c.eqs[0].terms.size());
  EXPECT_EQ((Ints{1, 5, 3, 2}), (Ints{c.eqs[0].id, c.eqs[0].terms[0].node, c.eqs[0].terms[0].dof, c.eqs[1].id}));
  EXPECT_EQ(-1.0, c.eqs[0].terms[0].coef);
  EXPECT_TRUE(c.eqs[1].terms.empty());  // a count of 0 takes no term lines
  EXPECT_TRUE(pool->constraints.Contains(6));
}

TEST(ReadConstraints, PlainLayoutReadsFourLists) {
  const std::string body =
      "3\nT\n7,1,2,1,0,1,0,1,0,9\n-1\n"
      "1,0,0,1,1,1,1,1,1,0\n-1\n"
      "2,0,0,0,0,0,0,0,1,0\n-1\n"
      "3,0,0,1,0,0,0,0,0,0\n-1\n"
      "-1\n";
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(506, body), pool, 0));
  const T_CNST_D c = Get(pool->constraints, 3);
  ASSERT_EQ(1u, c.nodes.size());
  EXPECT_EQ((Ints{2, 1, 0, 9}), (Ints{c.nodes[0].layer, c.nodes[0].dof[0], c.nodes[0].dof[1], c.nodes[0].extra}));
  ASSERT_EQ(1u, c.points.size());
  ASSERT_EQ(1u, c.curves.size());
  EXPECT_EQ(1, c.curves[0].dof[5]);
  ASSERT_EQ(1u, c.surfaces.size());
  EXPECT_TRUE(c.eqs.empty());
}

TEST(ReadConstraints, KeptSetIsTheFirstOfTheLastBlock) {
  const std::string model = TextBlock(506, "8\nA\n-1\n-1\n2\nB\n-1\n-1\n") + TextBlock(506, "5\nC\n-1\n-1\n1\nD\n-1\n-1\n");
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(model, pool, 1));
  EXPECT_EQ(5, pool->modelConstraintSet.value_or(0));
  EXPECT_EQ(4u, pool->constraints.Count());
}

TEST(ReadConstraints, IncompleteSetIsDroppedButStillNamesTheKeptSet) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(506, "3\nT\n1,0,1,1,1,0,0,0\n-1\n1,0,0\n"), pool, 1));
  EXPECT_TRUE(pool->constraints.Empty());
  EXPECT_EQ(3, pool->modelConstraintSet.value_or(0));
}

// Set 1 takes lines 3 to 6; set 2 starts at line 7.
TEST(ReadConstraints, MalformedSetsLogTheLineAndKeepEarlierSets) {
  const std::string good = "1\nT\n-1\n-1\n";
  struct Twin {
    const char* what;
    int readMode;
    std::string body;
    int line;
  };
  const Twin twins[] = {
      {"extended node line with seven values", 1, "2\nU\n5,0,1,1,1,0,0\n-1\n-1\n", 9},
      {"plain node line with eight values", 0, "2\nU\n5,0,1,1,1,0,0,0\n-1\n-1\n-1\n-1\n-1\n", 9},
      {"empty set line", 1, "\n", 7},
      {"empty line in the node list", 1, "2\nU\n\n-1\n-1\n", 9},
      {"equation head with two values", 1, "2\nU\n-1\n1,0\n", 10},
      {"term line with two values", 1, "2\nU\n-1\n1,0,0\n2\n5,3\n", 12},
      {"term lines past the block", 1, "2\nU\n-1\n1,0,0\n3\n5,3,-1\n9,3,1\n", 14},
  };
  for (const Twin& t : twins) {
    const std::string goodSet = t.readMode == 1 ? good : std::string("1\nT\n-1\n-1\n-1\n-1\n-1\n");
    const int shift = t.readMode == 1 ? 0 : 3;
    CDataPool* pool = nullptr;
    const std::string log = ReadModel(TextBlock(506, goodSet + t.body), pool, t.readMode);
    EXPECT_EQ(BadLine(t.line + shift), log) << t.what;
    EXPECT_TRUE(pool->constraints.Contains(1)) << t.what;
    EXPECT_FALSE(pool->constraints.Contains(2)) << t.what;
  }
}
