// Block 507 (load sets): field placement in both read modes, the list rules,
// and malformed blocks that must log one line number and keep earlier sets.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

// The 21 head lines of a load set with zero values, in the counts the read
// mode asks for; `lcop` is the option number (read mode 1 only).
std::string Head(int id, const std::string& title, int readMode, int lcop = 1) {
  const bool m1 = readMode == 1;
  std::ostringstream s;
  auto zeros = [&](int n) {
    for (int i = 0; i < n; ++i) s << (i ? ",0" : "0");
    s << "\n";
  };
  s << id << "\n" << title << "\n";
  zeros(7);
  for (int i = 0; i < 4; ++i) zeros(3);
  for (int i = 0; i < 3; ++i) zeros(4);
  zeros(3);
  zeros(3);
  zeros(4);
  zeros(3);
  zeros(m1 ? 10 : 6);
  zeros(m1 ? 12 : 9);
  zeros(10);
  zeros(m1 ? 13 : 8);
  zeros(7);
  zeros(9);
  if (m1)
    s << "0,0,0,0,0,0,0,0,0," << lcop << "\n";
  else
    zeros(9);
  return s.str();
}

const char* kEmptyLists = "-1\n-1\n-1\n-1\n";

std::string FirstLines(const std::string& text, int n) {
  size_t p = 0;
  for (int i = 0; i < n; ++i) p = text.find('\n', p) + 1;
  return text.substr(0, p);
}

std::string Block(const std::string& body) { return "   -1\n507\n" + body + "   -1\n"; }

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
  EXPECT_EQ("", ReadModel(Block(body), pool, 1));
  T_LOAD_D l;
  ASSERT_TRUE(pool->loads.Lookup(9, l));
  EXPECT_EQ("WIND X", l.title);
  EXPECT_EQ(1, l.A1);
  EXPECT_EQ(2.5, l.A2);
  EXPECT_EQ(6, l.A3[3]);
  EXPECT_EQ(7.5, l.A7);
  EXPECT_EQ(-9.8, l.grav[2]);
  EXPECT_EQ(4, l.E4);
  EXPECT_EQ(0.001, l.K[0]);
  EXPECT_EQ(10, l.L[9]);
  EXPECT_EQ(0.4, l.M[11]);
  EXPECT_EQ(2, l.N[9]);
  EXPECT_EQ(77, l.P[12]);
  EXPECT_EQ(17, l.Q[1]);
  EXPECT_EQ(1, l.nonlinear);
  EXPECT_EQ(1, l.R[0]);
  EXPECT_EQ(1, l.R[6]);
  EXPECT_EQ(0, l.dynCode);
  EXPECT_EQ(1, l.S[0]);
  EXPECT_EQ(4, l.lcop);
  EXPECT_EQ(1.0, l.scale);

  ASSERT_EQ(1u, l.mbld.size());
  const T_MBLD_D& m = l.mbld[0];
  EXPECT_EQ(4, m.target);
  EXPECT_EQ(1, m.kind);
  EXPECT_EQ(1, m.extInt);
  EXPECT_EQ(2.5, m.extFactor);
  EXPECT_EQ(-1, m.dir[0]);  // a tail line starting with -1 is still a tail line
  EXPECT_EQ(8, m.dir[2]);
  EXPECT_EQ(12.5, m.val[0]);
  EXPECT_EQ(9, m.val[4]);
  EXPECT_EQ(1, m.proj);
  EXPECT_EQ(1, m.vec[2]);

  ASSERT_EQ(1u, l.gbld.size());
  const T_GBLD_D& g = l.gbld[0];
  EXPECT_EQ(1, g.num);
  EXPECT_EQ(2, g.head[0]);
  EXPECT_EQ(9, g.head[5]);
  EXPECT_EQ(3, g.final);
  EXPECT_EQ("first text", g.text1);
  EXPECT_EQ("second", g.text2);
  EXPECT_EQ(4, g.g17[3]);

  ASSERT_EQ(1u, l.ntld.size());
  EXPECT_EQ(5, l.ntld[0].node);
  EXPECT_EQ(4.5, l.ntld[0].d5);
  EXPECT_EQ(7, l.ntld[0].i7);

  ASSERT_EQ(2u, l.etld.size());
  EXPECT_EQ(7, l.etld[0].elem);
  EXPECT_EQ(2, l.etld[0].layout);
  EXPECT_EQ(20, l.etld[0].t[0]);
  EXPECT_EQ(1.2e-05, l.etld[0].t[4]);
  EXPECT_EQ(0.6, l.etld[0].t[5]);
  EXPECT_EQ(1, l.etld[1].layout);  // seven values suffice for layout 1
  EXPECT_EQ(0, l.etld[1].t[0]);
  EXPECT_EQ(0, l.etld[1].t[1]);
}

TEST(ReadLoads, ReadMode0KeepsOnlyTheShortGroups) {
  std::string head = Head(3, "DEAD", 0);
  // Line 15 (the 15th head line) with ten values: only six are kept.
  std::istringstream in(head);
  std::string line, out;
  for (int n = 1; std::getline(in, line); ++n) out += (n == 15 ? std::string("1,2,3,4,5,6,7,8,9,10") : line) + "\n";
  out += "2,1,0,0,0,0,0\n0,0,0\n5,0,0,0,0\n0,0,0,0,0\n0,0,0\n0,0,0\n0,0,0\n-1\n-1\n-1\n-1\n";
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(Block(out), pool, 0));
  T_LOAD_D l;
  ASSERT_TRUE(pool->loads.Lookup(3, l));
  EXPECT_EQ(6, l.L[5]);
  EXPECT_EQ(0, l.L[6]);
  EXPECT_EQ(0, l.lcop);
  ASSERT_EQ(1u, l.mbld.size());
  EXPECT_EQ(5, l.mbld[0].val[0]);
  EXPECT_EQ(1.0, l.mbld[0].extFactor);
}

TEST(ReadLoads, SameNumberTwiceKeepsTheLater) {
  CDataPool* pool = nullptr;
  EXPECT_EQ("", ReadModel(Block(Head(4, "A", 1) + kEmptyLists + Head(4, "B", 1) + kEmptyLists), pool, 1));
  T_LOAD_D l;
  ASSERT_TRUE(pool->loads.Lookup(4, l));
  EXPECT_EQ("B", l.title);
  EXPECT_EQ(1u, pool->loads.Count());
}

// Set 1 (lines 3 to 27) is complete; set 2 starts at line 28 and its head
// line k is file line 27 + k. Each twin breaks set 2 in one way.
TEST(ReadLoads, MalformedSetsLogTheLineAndKeepEarlierSets) {
  const std::string good = Head(1, "FIRST", 1) + kEmptyLists;
  const std::string h2 = Head(2, "SECOND", 1);
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
    const std::string log = ReadModel(Block(good + t.body), pool, 1);
    EXPECT_EQ("Invalid format in line " + std::to_string(t.line) + ".\n", log) << t.what;
    EXPECT_TRUE(pool->loads.Contains(1)) << t.what;
    EXPECT_FALSE(pool->loads.Contains(2)) << t.what;
  }
}

TEST(ReadLoads, UnclosedListsDropTheSetSilently) {
  const std::string good = Head(1, "FIRST", 1) + kEmptyLists;
  const std::string cuts[] = {
      FirstLines(Head(2, "S", 1), 10),  // head cut short
      Head(2, "S", 1),                // no lists at all
      Head(2, "S", 1) + "-1\n-1\n-1\n",  // element temperatures never closed
      Head(2, "S", 1) + "-1\n-1\n-1\n7,0,0,0,0,0,1\n",
  };
  for (const std::string& cut : cuts) {
    CDataPool* pool = nullptr;
    EXPECT_EQ("", ReadModel(Block(good + cut), pool, 1));
    EXPECT_TRUE(pool->loads.Contains(1));
    EXPECT_FALSE(pool->loads.Contains(2));
  }
}

