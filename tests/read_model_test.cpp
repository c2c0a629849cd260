// Block readers: how odd but good lines fill the store (lines running on,
// overwriting, caps, later records replacing earlier ones whole), read mode
// 0, and records dropped silently when their block ends. The malformed twins
// (the failing line in the message window) are model cases in
// tests/model_cases/reader_*.txt; the plain fields reach the QSX text of the
// golden cases. Fields no output uses are not checked.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "tests/testutil.h"

using namespace hvx;

using namespace hvxtest;

namespace {

// Element lines A to G (and H when given): line A starts with number, colour, property and type.
std::string ElemLines(const std::string& a, const std::string& d = "0,0,1", bool h = true) {
  return a + ",0,0,0,0,0,0,0,0,0\n1,2,3,4,5,6,7,8,9,10\n11,12,13,14,15,16,17,18,19,20\n" + d +
         "\n0,0,0\n0,0,0\n0,0,0,0,0,0,0,0,0,0,0,0\n" + (h ? "7,0,0,3,0,0,0\n" : "");
}
const std::string kElemAtoG =
    "5,3,12.9,2,0,4,1,2,3,4,5,6,-7.5\n1,2,3,4,5,6,7,8,9,10\n11,12,13,14,15,16,17,18,19,20.7\n0.5,0,1,4,5,6\n"
    "0.1,0.2,0.3\n-1,-2,-3\n1,0,0,0,0,0,0,1,0,0,0,1\n";

// Lines 6 to 23 of a group: its table.
std::string GroupTable() {
  std::string t;
  for (int k = 0; k < 6; ++k) t += "1,2\n1,2,3\n1,2,3\n";
  return t;
}

std::string Text(const Lines& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

std::string WithLine(const std::string& text, int n, const std::string& with) {
  std::istringstream in(text);
  std::string line, out;
  for (int k = 1; std::getline(in, line); ++k) out += (k == n ? with : line) + "\n";
  return out;
}

TEST(ReadBlocks, OddButGoodLinesFillTheStore) {
  const std::string prop7 =
      "7,1,3,2,4,5\n  Column C30  \n1,2,3,4\n4\n1,2,3,4\n5.9\n3\n10,20\n30,40.5\n2\n0,0,1\n1.5,-2,0\n1\n3,4,1\n";
  // Line 6 runs on into the slice of line 7; line 13 overwrites entries 31 to 33 of the list line 12 filled.
  std::string steel =
      "3,1,2,0,4,5,6.7\n  Steel  S 355 \n7\n1,2,3,4,5,6,7,8,9,10,11,12\n25\n1,2,3,4,5,6,7,8,9,10,11\n\n"
      "21,22,23,24,25,26,27\n200\n210000,0,0,80000,0,0,0.3\n0\n21,22,23,24,25,26,27,28,29,30,31,32,33\n-31,-32,-33\n";
  for (int l = 14; l <= 43; ++l) steel += "0\n";
  // Line 3 holds 12 values for 10 entries; line 5 runs on into entries 11 and 12, which line 6 overwrites;
  // entry 131 on line 17 has no place. Data set 1 (n = 25) takes three lines per array.
  std::string curve =
      "7, 3, 11, 12, 2\n8\n1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12\n99\n1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12\n21, 22, "
      "23\n" +
      std::string(10, '\n') + "121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131\n25, 0.5\n";
  for (int j = 1; j <= 6; ++j)  // array 1 has extra values
    curve += std::to_string(j) + ", 1, 1, 1, 1, 1, 1, 1, 1, 1\n2, 2, 2, 2, 2, 2, 2, 2, 2, 2\n" +
             (j == 1 ? "3, 3, 3, 3, 3, 3, 3\n" : "3, 3, 3, 3, 3\n");
  curve += "0, 7.5\n";
  std::string load =
      "9\n  WIND X  \n1,2.5,3,4,5,6,7.5\n0,0,-9.8\n0,0,0\n0,0,0\n0,0,0\n1,2,3,4\n0,0,0,0\n0,0,0,0\n0,0,0\n"
      "0,0,0\n0,0,0,0\n0.001,0,0\n1,2,3,4,5,6,7,8,9,10\n0.05,0,0,0,0,0.01,0,0,0,0.25,0.3,0.4\n"
      "0,0,0,0,0,50,0,0,0,2\n20,0,0,0,0,0,0,0,0,0,1,2,77\n0,17,0,1000,0,0,0\n1,1,0,1,0,0,0,1,0\n"
      "0,1,1,0,0,0,0,0,0,4\n4,1,0,0,0,0,0,1,2.5\n-1,7,8\n12.5,0,0,0,9\n0,0,0,0,0\n0,0,0,1\n0,0,0\n0,0,1\n-1.5\n"
      "1,2,3,4,5,6,5\n1,2,3\n1,2,3,4,5\n1,2,3,4,5\n1,2,3,4,5\n1,2,3\n1,2,3\n1,2\n1,2,3\n1,2,3\n1,2\n"
      "a\nb\n1,2,3\n1,2,3\n1,2,3\n1,2,3\n1,2,3,4\n3,9\n-1.2\n5,1,2,3.5,4.5,6,7\n-1.8\n"
      "7,0,0,0,0,0,2,20,5,0.1,0.05,1.2e-05,0.6\n8,0,0,0,0,0,1\n-1.01\n";
  std::string group = "8.9,2,-3.5\n   Cores  \n1,2,3,0.05,0.25,0.5\n4,5,6,7,1.5,2.5\n8,9\n";
  for (int k = 1; k <= 6; ++k) group += "11,21\n1.1,1.2,1.3\n-1.5,0,1e2\n";
  group += "90\n17\n10,12,1,1\n20,0,2,0,99\n-1\n0\n-1\n21\n5,0,1,1\n-1\n-1\n23\n7\n101\n102,103,104\n-1\n8\n-1\n-1\n";
  RunReadCases({
      {"elements",
       TextBlock(404, kElemAtoG + "-2.9,1.5,4,2,9,0.5,0.25\n" + ElemLines("1,0,1,2", "1,2,3,4,5") +
                          ElemLines("2,0,1,2", "1,2,3,4,5,6,7") + ElemLines("9,0,1,1") + ElemLines("9,0,2,3") +
                          ElemLines("6,0,1,3", "0,0,1", false)),
       1, "",
       [](const CDataPool& p) {
         // The second vector only from exactly six values; a later element replaces one of its number;
         // element 6, cut off after line G, is dropped.
         EXPECT_EQ((Dbls{4, 6, 3, 0, 0}), (Dbls{Get(p.elements, 5).orient2[0], Get(p.elements, 5).orient2[2],
                                                Get(p.elements, 1).orient[2], Get(p.elements, 1).orient2[0],
                                                Get(p.elements, 2).orient2[0]}));
         EXPECT_EQ((Ints{3, 2, 4}), (Ints{Get(p.elements, 9).type, Get(p.elements, 9).prop, int(p.elements.Count())}));
       }},
      {"properties", TextBlock(402, prop7 + Text(PropertyLines("1,0,0,1,0,0", "2")) + Text(PropertyLines("1,0,0,11,0,0", "6"))), 1, "",
       [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 7);
         EXPECT_EQ("Column C30", r.title);
         EXPECT_EQ((Dbls{10, 40.5}), (Dbls{r.value[0], r.value[3]}));
         EXPECT_EQ((Dbls{11, 6, 0}), (Dbls{double(Get(p.properties, 1).type), Get(p.properties, 1).value[0],
                                           Get(p.properties, 1).value[1]}));  // the later one wins, nothing merged
       }},
      {"a point table of 150 keeps 100 points", TextBlock(402, [] {
         Lines l = PropertyLines("2,0,0,1,0,0");
         l[9] = "150";
         for (int i = 1; i <= 150; ++i) l.insert(l.begin() + 9 + i, std::to_string(i) + ",0,1");
         return Text(l);
       }()),
       1, "",
       [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 2);
         EXPECT_EQ((Dbls{100, 100}), (Dbls{double(r.outline1.size()), r.outline1.back().x}));
       }},
      {"materials", TextBlock(601, steel + Text(MaterialLines("-4,0,0,0,0,0,0"))), 1, "",
       [](const CDataPool& p) {
         const T_MATL601_D m = Get(p.materials, 3);
         EXPECT_EQ("Steel  S 355", m.title);
         EXPECT_EQ((Dbls{210000, 21, 30, -31, -33, 0}),
                   (Dbls{m.value[0], m.value[20], m.value[29], m.value[30], m.value[32], m.value[33]}));
         EXPECT_TRUE(p.materials.Contains(-4));
       }},
      {"functions",
       Block(420, {"12,2.7", "  El Centro NS  ", "1,0,0", "2,0.02,0.5", "3,0.04,-1.25", "-1", "13,1", "", "-1.5,9,9",
                   "13,5", "again", "1,1,1", "-1"}),
       1, "",
       [](const CDataPool& p) {
         const T_FUNC_D f = Get(p.functions, 12);
         EXPECT_EQ("El Centro NS", f.title);
         EXPECT_EQ((Dbls{0, 0.02, 0.04}), f.arg);
         EXPECT_EQ((Dbls{0, 0.5, -1.25}), f.value);
         EXPECT_EQ((Dbls{5, 1}), (Dbls{double(Get(p.functions, 13).type), double(Get(p.functions, 13).arg.size())}));
       }},
      {"hinge curves", TextBlock(892, curve), 1, "",
       [](const CDataPool& p) {
         const T_SKCV_D c = Get(p.curves, 7);
         EXPECT_EQ((Ints{3, 10}), (Ints{c.type, c.ints[9]}));
         EXPECT_EQ((Dbls{10, 21, 22, 23, 0, 121, 130}),
                   (Dbls{c.value[9], c.value[10], c.value[11], c.value[12], c.value[13], c.value[120], c.value[129]}));
         ASSERT_EQ(2u, c.sets.size());
         EXPECT_EQ((Dbls{25, 0.5, 27, 1, 25, 2, 3, 0, 7.5, 0}),
                   (Dbls{double(c.sets[0].n), c.sets[0].value, double(c.sets[0].arr[0].size()), c.sets[0].arr[0][0],
                         double(c.sets[0].arr[1].size()), c.sets[0].arr[1][0], c.sets[0].arr[5][24],
                         double(c.sets[1].n), c.sets[1].value, double(c.sets[1].arr[5].size())}));
       }},
      {"history output",
       Block(894, {"-1.7", "0, 2, 5", "   Roof disp  ", "1, 2, 3, 4, 5, 6", "0.5, 1.5, 2.5", "-1, 7", "1.9, 100.2, -3",
                   "A=1, B", "0, 0, 0, 0, 0, 0, 99", "1e-3, 2, 3", "1, 1, 1", "name"}),
       1, "",
       [](const CDataPool& p) {
         ASSERT_EQ(2u, p.histories.size());  // names kept as they stand, commas and all
         EXPECT_EQ((std::vector<std::string>{"   Roof disp  ", "A=1, B"}),
                   (std::vector<std::string>{p.histories[0].name, p.histories[1].name}));
         EXPECT_EQ((Ints{1, 100, -3}), (Ints{p.histories[1].cls, p.histories[1].type, p.histories[1].loadSet}));
       }},
      {"hinge properties",
       TextBlock(902,
                 "7, 1, 2, 3, 4, 5, 6, 1, 8, 9, 10\n   Column hinge   \n11, 0, 0, 0, 15, 16\n"
                 "9, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0\n\n0, 0, 0, 0, 21, 22, 31, 32\n"
                 "12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 99\ntitle\n1, 2, 3, 4, 5, 6, 7, 8, 9\n"
                 "7, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0\nsecond\n0, 0, 0, 0, 0, 6\n"),
       1, "",
       [](const CDataPool& p) {
         const T_IHPR_D h = Get(p.hinges, 7), g = Get(p.hinges, 9), k = Get(p.hinges, 12);
         // The later 7 replaces the first whole; six component values give no interaction curves.
         EXPECT_EQ((std::vector<std::string>{"second", "", "title"}),
                   (std::vector<std::string>{h.title, g.title, k.title}));
         EXPECT_EQ((Ints{0, 2, 0, 6, 0, 0}), (Ints{h.v[0], h.v[6], h.comp[0], h.comp[5], h.inter[0], h.inter[1]}));
         EXPECT_EQ((Ints{21, 31, 32, 7, 8}), (Ints{g.comp[4], g.inter[0], g.inter[1], k.inter[0], k.inter[1]}));
       }},
      {"initial forces",
       TextBlock(903, "12, 2.9\n1,2,3,4,5,6,7,8,9,10,11,12,13\n-1.5,2,3,4,5,6,7,8,9,10,11,12.25\n13, 1\n"), 1, "",
       [](const CDataPool& p) {
         EXPECT_EQ((Dbls{-1.5, 12.25, 1}), (Dbls{Get(p.initForces, 12).ends[0], Get(p.initForces, 12).ends[11],
                                                 double(p.initForces.Count())}));
       }},
      {"loads",
       TextBlock(507, load + LoadSetHead(4, "A", 1) + "-1\n-1\n-1\n-1\n" + LoadSetHead(4, "B", 1) + "-1\n-1\n-1\n-1\n"),
       1, "",
       [](const CDataPool& p) {
         const T_LOAD_D l = Get(p.loads, 9);
         ASSERT_EQ(1u, l.mbld.size());
         const T_MBLD_D& m = l.mbld[0];  // a tail line starting with -1 is still a tail line
         EXPECT_EQ((Dbls{4, -1, 8, 2.5, 12.5, 9, 1}),
                   (Dbls{double(m.target), double(m.dir[0]), double(m.dir[2]), m.extFactor, m.val[0], m.val[4], m.vec[2]}));
         ASSERT_EQ(2u, l.etld.size());  // seven values suffice for layout 1
         EXPECT_EQ((Ints{7, 2, 1}), (Ints{l.etld[0].elem, l.etld[0].layout, l.etld[1].layout}));
         EXPECT_EQ((Dbls{0.6, 0}), (Dbls{l.etld[0].t[5], l.etld[1].t[0]}));
         EXPECT_EQ("B", Get(p.loads, 4).title);  // the later set of a number wins
       }},
      {"groups",
       TextBlock(408, group + "7,0,0\nSecond\n1,2,3,0,0,0\n4,5,6,7,1,2\n8,9\n" + GroupTable() + "90\n-1\n23\n-1\n"), 1,
       "",
       [](const CDataPool& p) {
         const T_GRUP_D g = Get(p.groups, 7), f = Get(p.groups, 8);
         EXPECT_EQ("Second", g.title);  // the later 7 replaces the first, nothing merged
         EXPECT_TRUE(g.rules.empty());
         ASSERT_EQ(3u, f.rules.size());  // a rule head of 0 starts a rule
         EXPECT_EQ((Ints{2, 0, 21, 1}), (Ints{int(f.rules[0].comps.size()), int(f.rules[1].comps.size()),
                                              f.rules[2].type, int(f.rules[2].comps.size())}));
       }},
      {"constraints",
       TextBlock(506,
                 "4\n  SUPPORTS  \n12,1,1,1,1,0,0,0\n13,2,0,0,0,0,0,1\n-1.5\n1,0,0\n2\n5,3,-1\n9,3,1.0\n"
                 "2,0,0\n0\n-1.9\n6\n\n-1\n-1\n") +
           TextBlock(506, "3\nT\n1,0,1,1,1,0,0,0\n-1\n1,0,0\n"),
       1, "",
       [](const CDataPool& p) {
         EXPECT_EQ(3, p.modelConstraintSet.value_or(0));  // the first set of the last block, though cut short
         EXPECT_EQ((Ints{1, 1}), (Ints{p.constraints.Contains(6), !p.constraints.Contains(3)}));
         const T_CNST_D c = Get(p.constraints, 4);
         ASSERT_EQ(2u, c.nodes.size());
         const auto& n = c.nodes[0];
         EXPECT_EQ((Ints{12, 1, 1, 1, 0, 0, 0, 1}),
                   (Ints{n.ent, n.dof[0], n.dof[1], n.dof[2], n.dof[3], n.dof[4], n.dof[5], c.nodes[1].dof[5]}));
         ASSERT_EQ(2u, c.eqs.size());  // an equation of no terms is kept
         EXPECT_EQ((Ints{2, 0}), (Ints{int(c.eqs[0].terms.size()), int(c.eqs[1].terms.size())}));
       }},
  });
}

// Read mode 0 (the driver always reads with 1; a caller of the reader may not).
TEST(ReadBlocks, ReadMode0) {
  RunReadCases({
      {"elements store after line G", TextBlock(404, kElemAtoG + ElemLines("6,0,1,3", "0,0,1", false)), 0, "",
       [](const CDataPool& p) {
         EXPECT_EQ((Dbls{0, 0, 3}), (Dbls{Get(p.elements, 5).orient2[0], double(Get(p.elements, 5).mat),
                                          double(Get(p.elements, 6).type)}));
       }},
      {"loads keep the short groups",
       TextBlock(507, WithLine(LoadSetHead(3, "DEAD", 0), 15, "1,2,3,4,5,6,7,8,9,10") +
                          "2,1,0,0,0,0,0\n0,0,0\n5,0,0,0,0\n0,0,0,0,0\n0,0,0\n0,0,0\n0,0,0\n-1\n-1\n-1\n-1\n"),
       0, "",
       [](const CDataPool& p) {
         const T_LOAD_D l = Get(p.loads, 3);
         EXPECT_EQ((Dbls{6, 0, 0}), (Dbls{l.L[5], l.L[6], double(l.lcop)}));
         ASSERT_EQ(1u, l.mbld.size());
         EXPECT_EQ((Dbls{5, 1}), (Dbls{l.mbld[0].val[0], l.mbld[0].extFactor}));
       }},
      {"constraints in the plain layout",
       TextBlock(506,
                 "3\nT\n7,1,2,1,0,1,0,1,0,9\n-1.2\n1,0,0,1,1,1,1,1,1,0\n-1.7\n"
                 "2,0,0,0,0,0,0,0,1,0\n-1.99\n3,0,0,1,0,0,0,0,0,0\n-1\n-1\n"),
       0, "",
       [](const CDataPool& p) {
         const T_CNST_D c = Get(p.constraints, 3);
         ASSERT_EQ(1u, c.nodes.size());
         EXPECT_EQ((Ints{7, 1, 0, 1}), (Ints{c.nodes[0].ent, c.nodes[0].dof[0], c.nodes[0].dof[1], c.nodes[0].dof[2]}));
         EXPECT_EQ((Ints{1, 1, 1, 0}),
                   (Ints{int(c.points.size()), int(c.curves.size()), int(c.surfaces.size()), int(c.eqs.size())}));
       }},
      {"constraints: eight values are short, in the surface list too",
       TextBlock(506, "1\nT\n-1\n-1\n-1\n-1\n-1\n2\nU\n-1\n-1\n-1\n5,0,1,1,1,0,0,0\n-1\n-1\n"), 0, BadLine(15),
       [](const CDataPool& p) { EXPECT_FALSE(p.constraints.Contains(2)); }},
      {"groups take three values on line 3, no coefficients",
       TextBlock(408, "4,0,0\nA\n1,2,3,0.05,0.25,0.5\n4,5,6,7,1,2\n8,9\n" + GroupTable() +
                          "90\n-1\n23\n-1\n5,0,0\nB\n1,2,3\n4,5,6,7,1,2\n8,9\n" + GroupTable() + "90\n-1\n23\n-1\n"),
       0, "",
       [](const CDataPool& p) {
         EXPECT_EQ((Dbls{0, 3, 3}),
                   (Dbls{Get(p.groups, 4).damp, double(Get(p.groups, 4).l3[2]), double(Get(p.groups, 5).l3[2])}));
       }},
      {"header ignores line 3", "   -1\n100\n  My  model \n8.3\n3 2\n   -1\n", 0, "",
       [](const CDataPool& p) {
         EXPECT_EQ((Ints{1, 0}), (Ints{p.Header().present, p.Header().lengthUnit}));
       }},
  });
}

// Records cut off by the end of their block are dropped without a log entry.
TEST(ReadBlocks, CutOffRecordsAreDroppedSilently) {
  const Lines curveHead = Cat({{"10", "", "130"}, Lines(13, "")});
  auto curve = [&](const std::string& line1, const Lines& rest) { return Block(892, Cat({{line1}, curveHead, rest})); };
  const std::string load1 = LoadSetHead(1, "FIRST", 1) + "-1\n-1\n-1\n-1\n", load2 = LoadSetHead(2, "S", 1);
  Lines cutMaterial = MaterialLines("5,0,0,0,0,0,0");
  cutMaterial.pop_back();
  size_t tenLines = 0;
  for (int i = 0; i < 10; ++i) tenLines = load2.find('\n', tenLines) + 1;
  const std::string head2 = "2,0,0\n\n1,2,3,0,0,0\n4,5,6,7,1,2\n8,9\n" + GroupTable();
  std::string group1 = head2 + "90\n-1\n23\n-1\n";
  group1[0] = '1';
  struct Row {
    const char* name;
    std::string model;
    std::function<size_t(const CDataPool&)> count;
    size_t expected;
  };
  auto curves = [](const CDataPool& p) { return p.curves.Count(); };
  auto loads = [](const CDataPool& p) { return p.loads.Count(); };
  auto groups = [](const CDataPool& p) { return p.groups.Count(); };
  const Row rows[] = {
      {"property in its point table",
       Block(402, Cat({PropertyLines("1,0,0,1,0,0"),
                       {"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "1", "0", "0", "2", "1,1,1"}})),
       [](const CDataPool& p) { return p.properties.Count(); }, 1},
      {"material after line 42", Block(601, Cat({MaterialLines("1,0,0,0,0,0,0"), cutMaterial})),
       [](const CDataPool& p) { return p.materials.Count(); }, 1},
      {"function without its closing line", Block(420, {"1,1", "t", "1,0,0", "-1", "14,1", "t", "1,0,0"}),
       [](const CDataPool& p) { return p.functions.Count(); }, 1},
      {"curve head", curve("1, 0, 0, 0, 1", {"0, 0", "2, 0, 0, 0, 1", "1"}), curves, 1},
      {"curve without its second data set", curve("2, 0, 0, 0, 2", {"0, 0"}), curves, 0},
      {"curve of count 0", curve("2, 0, 0, 0, 0", {"1, 0, 0, 0, 1", "1", "2", "3", "4", "5", "6", "0, 0"}), curves, 0},
      {"curve of count -1", curve("2, 0, 0, 0, -1", {"0, 0", "0, 0"}), curves, 0},
      {"curve of two billion data sets", curve("3, 0, 0, 0, 2000000000", {"0, 0", "0, 0"}), curves, 0},
      {"load head", TextBlock(507, load1 + load2.substr(0, tenLines)), loads, 1},
      {"load without lists", TextBlock(507, load1 + load2), loads, 1},
      {"load with element temperatures open", TextBlock(507, load1 + load2 + "-1\n-1\n-1\n7,0,0,0,0,0,1\n"), loads, 1},
      {"group after its head", TextBlock(408, group1 + head2), groups, 1},
      {"group without its list end", TextBlock(408, group1 + head2 + "90\n17\n1,0,1,1\n-1\n-1\n23\n7\n5\n-1\n"), groups,
       1},
      {"group without its list count", TextBlock(408, group1 + head2 + "90\n-1\n"), groups, 1},
      {"hinge property",
       TextBlock(902, "5, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0\nA\n1, 2, 3, 4, 5, 6\n6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\nB\n"),
       [](const CDataPool& p) { return p.hinges.Count(); }, 1},
      {"case options", "   -1\n901\n1\n3,0,0,0,0,0,0,0,0,0\n0,0,0,0,0,0\n2\n3,0,0,0,0,0,0,0,0,0\n   -1\n",
       [](const CDataPool& p) { return p.caseOptions.Count(); }, 1},
  };
  for (const Row& r : rows) {
    CDataPool* pool = nullptr;
    EXPECT_EQ("", ReadModel(r.model, pool)) << r.name;
    EXPECT_EQ(r.expected, r.count(*pool)) << r.name;
  }
}

}  // namespace
