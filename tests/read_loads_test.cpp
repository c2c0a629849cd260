// Block 507 (load sets): field placement in both read modes, the list rules,
// and malformed blocks that must log one line number and keep earlier sets.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

const char* kEmptyLists = "-1\n-1\n-1\n-1\n";

std::string FirstLines(const std::string& text, int n) {
  size_t p = 0;
  for (int i = 0; i < n; ++i) p = text.find('\n', p) + 1;
  return text.substr(0, p);
}

// A structural load in read mode 1: head, then its six tail lines.
std::string Mbld(const std::string& head, const std::string& l1, const std::string& l2) {
  return head + "\n" + l1 + "\n" + l2 + "\n0,0,0,0,0\n0,0,0,1\n0,0,0\n0,0,1\n";
}

}  // namespace

TEST(ReadLoads, FillsEveryListInReadMode1) {
  std::string body = "9\n  WIND X  \n";
  body += "1,2.5,3,4,5,6,7.5\n0,0,-9.8\n0,0,0\n0,0,0\n0,0,0\n1,2,3,4\n0,0,0,0\n0,0,0,0\n0,0,0\n0,0,0\n";
  body += "0,0,0,0\n0.001,0,0\n1,2,3,4,5,6,7,8,9,10\n0.05,0,0,0,0,0.01,0,0,0,0.25,0.3,0.4\n";
  body += "0,0,0,0,0,50,0,0,0,2\n20,0,0,0,0,0,0,0,0,0,1,2,77\n0,17,0,1000,0,0,0\n1,1,0,1,0,0,0,1,0\n";
  body += "0,1,1,0,0,0,0,0,0,4\n";
  body += Mbld("4,1,0,0,0,0,0,1,2.5", "-1,7,8", "12.5,0,0,0,9");
  body += "-1\n";
  // Geometry load: head value 7 is 5, line 18 holds 3 and 9.
  body += "1,2,3,4,5,6,5\n1,2,3\n1,2,3,4,5\n1,2,3,4,5\n1,2,3,4,5\n1,2,3\n1,2,3\n1,2\n1,2,3\n1,2,3\n1,2\n";
  body += " first text \nsecond\n1,2,3\n1,2,3\n1,2,3\n1,2,3\n1,2,3,4\n3,9\n-1\n";
  body += "5,1,2,3.5,4.5,6,7\n-1\n";
  body += "7,0,0,0,0,0,2,20,5,0.1,0.05,1.2e-05,0.6\n8,0,0,0,0,0,1\n-1\n";
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(507, body), pool, 1));
  const T_LOAD_D l = Get(pool->loads, 9);
  EXPECT_EQ("WIND X", l.title);
  EXPECT_EQ((Ints{1, 6, 4, 2, 77, 17, 1, 1, 1, 0, 1, 4}), (Ints{l.A1, l.A3[3], l.E4, l.N[9], l.P[12], l.Q[1], l.nonlinear,
                                                                 l.R[0], l.R[6], l.dynCode, l.S[0], l.lcop}));
  EXPECT_EQ((Dbls{2.5, 7.5, -9.8, 0.001, 10, 0.4, 1}), (Dbls{l.A2, l.A7, l.grav[2], l.K[0], l.L[9], l.M[11], l.scale}));

  ASSERT_EQ(1u, l.mbld.size());
  const T_MBLD_D& m = l.mbld[0];
  // A tail line starting with -1 is still a tail line.
  EXPECT_EQ((Ints{4, 1, 1, -1, 8, 1}), (Ints{m.target, m.kind, m.extInt, m.dir[0], m.dir[2], m.proj}));
  EXPECT_EQ((Dbls{2.5, 12.5, 9, 1}), (Dbls{m.extFactor, m.val[0], m.val[4], m.vec[2]}));

  ASSERT_EQ(1u, l.gbld.size());
  const T_GBLD_D& g = l.gbld[0];
  EXPECT_EQ((Ints{1, 2, 9, 3}), (Ints{g.num, g.head[0], g.head[5], g.final}));
  EXPECT_EQ(4, g.g17[3]);
  EXPECT_EQ("first text", g.text1);
  EXPECT_EQ("second", g.text2);

  ASSERT_EQ(1u, l.ntld.size());
  EXPECT_EQ((Dbls{5, 4.5, 7}), (Dbls{double(l.ntld[0].node), l.ntld[0].d5, double(l.ntld[0].i7)}));

  ASSERT_EQ(2u, l.etld.size());
  EXPECT_EQ((Ints{7, 2, 1}), (Ints{l.etld[0].elem, l.etld[0].layout, l.etld[1].layout}));  // seven values suffice for layout 1
  EXPECT_EQ((Dbls{20, 1.2e-05, 0.6, 0, 0}), (Dbls{l.etld[0].t[0], l.etld[0].t[4], l.etld[0].t[5], l.etld[1].t[0], l.etld[1].t[1]}));
}

TEST(ReadLoads, ReadMode0KeepsOnlyTheShortGroups) {
  std::string head = LoadSetHead(3, "DEAD", 0);
  // Line 15 (the 15th head line) with ten values: only six are kept.
  std::istringstream in(head);
  std::string line, out;
  for (int n = 1; std::getline(in, line); ++n) out += (n == 15 ? std::string("1,2,3,4,5,6,7,8,9,10") : line) + "\n";
  out += "2,1,0,0,0,0,0\n0,0,0\n5,0,0,0,0\n0,0,0,0,0\n0,0,0\n0,0,0\n0,0,0\n-1\n-1\n-1\n-1\n";
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(507, out), pool, 0));
  const T_LOAD_D l = Get(pool->loads, 3);
  EXPECT_EQ(6, l.L[5]);
  EXPECT_EQ(0, l.L[6]);
  EXPECT_EQ(0, l.lcop);
  ASSERT_EQ(1u, l.mbld.size());
  EXPECT_EQ(5, l.mbld[0].val[0]);
  EXPECT_EQ(1.0, l.mbld[0].extFactor);
}

TEST(ReadLoads, SameNumberTwiceKeepsTheLater) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(TextBlock(507, LoadSetHead(4, "A", 1) + kEmptyLists + LoadSetHead(4, "B", 1) + kEmptyLists), pool, 1));
  EXPECT_EQ("B", Get(pool->loads, 4).title);
  EXPECT_EQ(1u, pool->loads.Count());
}

// Set 1 (lines 3 to 27) is complete; set 2 starts at line 28 and its head
// line k is file line 27 + k. Each twin breaks set 2 in one way.
TEST(ReadLoads, MalformedSetsLogTheLineAndKeepEarlierSets) {
  const std::string good = LoadSetHead(1, "FIRST", 1) + kEmptyLists;
  const std::string h2 = LoadSetHead(2, "SECOND", 1);
  auto replaceLine = [](const std::string& text, int n, const std::string& with) {
    std::istringstream in(text);
    std::string line, out;
    for (int k = 1; std::getline(in, line); ++k) out += (k == n ? with : line) + "\n";
    return out;
  };
  const std::string mb = "3,1,0,0,0,0,0,0,1\n0,0,0\n1,0,0,0,0\n0,0,0,0,0\n0,0,0,0\n0,0,0\n0,0,0\n";
  struct Twin {
    const char* what;
    std::string body;
    int line;
  };
  const Twin twins[] = {
      {"line 3 with six values", replaceLine(h2, 3, "0,0,0,0,0,0") + kEmptyLists, 30},
      {"line 15 with six values", replaceLine(h2, 15, "0,0,0,0,0,0") + kEmptyLists, 42},
      {"line 21 without the option number", replaceLine(h2, 21, "0,0,0,0,0,0,0,0,0") + kEmptyLists, 48},
      {"structural head with eight values", h2 + "3,1,0,0,0,0,0,0\n", 49},
      {"structural line 4 with three values", h2 + replaceLine(mb, 5, "0,0,0") + kEmptyLists, 53},
      {"structural tail past the block", h2 + "3,1,0,0,0,0,0,0,1\n0,0,0\n", 51},
      {"geometry tail past the block", h2 + "-1\n1,2,3,4,5,6,7\n1,2,3\n", 52},
      {"geometry line 18 with one value",
       h2 + "-1\n1,2,3,4,5,6,7\n0,0,0\n0,0,0,0,0\n0,0,0,0,0\n0,0,0,0,0\n0,0,0\n0,0,0\n0,0\n0,0,0\n0,0,0\n0,0\n"
            "a\nb\n0,0,0\n0,0,0\n0,0,0\n0,0,0\n0,0,0,0\n3\n-1\n-1\n-1\n",
       68},
      {"nodal temperature with six values", h2 + "-1\n-1\n5,0,0,0,0,0\n-1\n-1\n", 51},
      {"layout 2 temperature with seven values", h2 + "-1\n-1\n-1\n7,0,0,0,0,0,2\n-1\n", 52},
      {"empty line where a list end is due", h2 + "-1\n\n-1\n-1\n", 50},
  };
  for (const Twin& t : twins) {
    CDataPool* pool = nullptr;
    const std::string log = ReadModel(TextBlock(507, good + t.body), pool, 1);
    EXPECT_EQ(BadLine(t.line), log) << t.what;
    EXPECT_TRUE(pool->loads.Contains(1)) << t.what;
    EXPECT_FALSE(pool->loads.Contains(2)) << t.what;
  }
}

TEST(ReadLoads, UnclosedListsDropTheSetSilently) {
  const std::string good = LoadSetHead(1, "FIRST", 1) + kEmptyLists;
  const std::string cuts[] = {
      FirstLines(LoadSetHead(2, "S", 1), 10),  // head cut short
      LoadSetHead(2, "S", 1),                // no lists at all
      LoadSetHead(2, "S", 1) + "-1\n-1\n-1\n",  // element temperatures never closed
      LoadSetHead(2, "S", 1) + "-1\n-1\n-1\n7,0,0,0,0,0,1\n",
  };
  for (const std::string& cut : cuts) {
    CDataPool* pool = nullptr;
    EXPECT_EQ("", ReadModel(TextBlock(507, good + cut), pool, 1));
    EXPECT_TRUE(pool->loads.Contains(1));
    EXPECT_FALSE(pool->loads.Contains(2));
  }
}

