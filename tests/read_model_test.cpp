// Block readers of the structure: elements (404), properties (402), materials
// (601) and functions (420). Each table holds a good block and its malformed
// twins; a row names the read log it must leave (with the line number of the
// failing line) and checks what the pool holds afterwards.
#include <gtest/gtest.h>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

// ---- elements ---------------------------------------------------------------

// Lines A to G (and H when given) of one element.
Lines ElemLines(const std::string& a, const std::string& d = "0,0,1", const std::string& h = "7,0,0,3,0,0,0") {
  Lines l = {a, "1,2,3,4,5,6,7,8,9,10", "11,12,13,14,15,16,17,18,19,20", d, "0,0,0", "0,0,0",
             "0,0,0,0,0,0,0,0,0,0,0,0"};
  if (!h.empty()) l.push_back(h);
  return l;
}


TEST(ReadElements, GoodBlockAndMalformedTwins) {
  const Lines full = {"5,3,12.9,2,0,4,1,2,3,4,5,6,-7.5",
                      "1,2,3,4,5,6,7,8,9,10",
                      "11,12,13,14,15,16,17,18,19,20.7",
                      "0.5,0,1,4,5,6",
                      "0.1,0.2,0.3",
                      "-1,-2,-3",
                      "1,0,0,0,0,0,0,1,0,0,0,1",
                      "-2.9,1.5,4,2,9,0.5,0.25"};
  std::vector<ReadCase> rows = {
      {"all fields, read mode 1", Block(404, full), 1, "",
       [](const CDataPool& p) {
         const T_ELEM_D e = Get(p.elements, 5);
         EXPECT_EQ((Ints{3, 12, 2, 0, 4, 0, 1, -7, 1, 20}), (Ints{e.colour, e.prop, e.type, e.topo, e.layer, e.pointFlag,
                                                                 e.attr[0], e.attr[6], e.node[0], e.node[19]}));
         EXPECT_EQ((Dbls{0.5, 1, 4, 6, 0.3, -3}),
                   (Dbls{e.orient[0], e.orient[2], e.orient2[0], e.orient2[2], e.offI[2], e.offJ[2]}));
         EXPECT_EQ((Ints{1, 1, 1, -2, 4, 2, 9}), (Ints{e.release[0], e.release[7], e.release[11], e.mat, e.hinge, e.ext4, e.ext5}));
         EXPECT_EQ((Dbls{1.5, 0.5, 0.25}), (Dbls{e.axial, e.ext6, e.ext7}));
       }},
      {"read mode 0 stores after line G and ignores the second vector",
       Block(404, Cat({Lines(full.begin(), full.end() - 1), ElemLines("6,0,1,3,0,0,0,0,0,0,0,0,0", "0,0,1", "")})), 0,
       "",
       [](const CDataPool& p) {
         EXPECT_EQ(2u, p.elements.Count());
         const T_ELEM_D e = Get(p.elements, 5);
         EXPECT_EQ(0.0, e.orient2[0]);
         EXPECT_EQ(0, e.mat);
         EXPECT_EQ(3, e.ext4);
         EXPECT_EQ(3, Get(p.elements, 6).type);
       }},
      {"second vector only from exactly six values",
       Block(404, Cat({ElemLines("1,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,3,4,5"),
                       ElemLines("2,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,3,4,5,6,7"),
                       ElemLines("3,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,3,4")})),
       1, "",
       [](const CDataPool& p) {
         for (int id = 1; id <= 3; ++id) {
           const T_ELEM_D e = Get(p.elements, id);
           EXPECT_EQ(3.0, e.orient[2]);
           EXPECT_EQ(0.0, e.orient2[0]) << id;
         }
       }},
      {"only the number line", Block(404, Lines{}), 1, "", [](const CDataPool& p) { EXPECT_TRUE(p.elements.Empty()); }},
      {"read mode 1 block ending after line G drops the element",
       Block(404, Cat({full, ElemLines("6,0,1,3,0,0,0,0,0,0,0,0,0", "0,0,1", "")})), 1, "",
       [](const CDataPool& p) {
         EXPECT_EQ(1u, p.elements.Count());
         EXPECT_FALSE(p.elements.Contains(6));
       }},
      {"a later element replaces one of the same number",
       Block(404, Cat({ElemLines("9,0,1,1,0,0,0,0,0,0,0,0,0"), ElemLines("9,0,2,3,0,0,0,0,0,0,0,0,0")})), 1, "",
       [](const CDataPool& p) {
         EXPECT_EQ(1u, p.elements.Count());
         EXPECT_EQ(3, Get(p.elements, 9).type);
         EXPECT_EQ(2, Get(p.elements, 9).prop);
       }},
  };
  // Each line of the second element one value short (line A also as an empty
  // line): the failure names that line, and the first element stays.
  const Lines second = ElemLines("8,0,1,2,0,0,0,0,0,0,0,0,0");
  const size_t need[] = {13, 10, 10, 3, 3, 3, 12, 7};
  for (size_t k = 0; k < second.size(); ++k) {
    Lines bad = second;
    std::string shortLine;
    for (size_t i = 0; i + 1 < need[k]; ++i) shortLine += i ? ",1" : "1";
    bad[k] = shortLine;
    rows.push_back({"element line " + std::to_string(k) + " short", Block(404, Cat({full, bad})), 1,
                    BadLine(static_cast<int>(3 + full.size() + k)), [](const CDataPool& p) {
                      EXPECT_EQ(1u, p.elements.Count());
                      EXPECT_TRUE(p.elements.Contains(5));
                    }});
  }
  rows.push_back({"empty line where line A is due", Block(404, Cat({full, {""}})), 1, BadLine(11),
                  [](const CDataPool& p) { EXPECT_EQ(1u, p.elements.Count()); }});
  RunReadCases(rows);
}

// ---- properties ---------------------------------------------------------------

const Lines kProp7 = {
    "7,1,3,2,4,5",    // head 1
    "  Column C30  ", // title
    "1,2,3,4",        // flags
    "4",              // first list count
    "1,2,3,4",        // four numbers on the first list line...
    "5.9",            // ...so the next line is taken as well
    "3",              // value count
    "10,20",          // value list
    "30,40.5",
    "2",              // first point count
    "0,0,1",
    "1.5,-2,0",
    "1",              // second point count
    "3,4,1",
};



TEST(ReadProperties, GoodBlockAndMalformedTwins) {
  std::vector<ReadCase> rows = {
      {"all fields", Block(402, kProp7), 1, "",
       [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 7);
         EXPECT_EQ("Column C30", r.title);
         EXPECT_EQ((Ints{1, 3, 2, 4, 5, 4, 4, 4, 5, 0, 3, 2, 1}), (Ints{r.colour, r.mat, r.type, r.layer, r.head6, r.flag[3],
                                                                       r.count1, r.list1[3], r.list1[4], r.list1[5],
                                                                       r.valueCount, r.nPts1, r.nPts2}));
         EXPECT_EQ((Dbls{10, 40.5}), (Dbls{r.value[0], r.value[3]}));
         ASSERT_EQ(2u, r.outline1.size());
         ASSERT_EQ(1u, r.outline2.size());
         EXPECT_EQ((Dbls{1.5, -2, 1, 4}), (Dbls{r.outline1[1].x, r.outline1[1].y, double(r.outline1[0].pen), r.outline2[0].y}));
       }},
      {"read mode 0 reads the same", Block(402, kProp7), 0, "",
       [](const CDataPool& p) { EXPECT_EQ(40.5, Get(p.properties, 7).value[3]); }},
      {"two properties, the later of the same number wins",
       Block(402, Cat({kProp7, PropertyLines("7,0,0,11,0,0"), PropertyLines("8,0,0,3,0,0")})), 1, "",
       [](const CDataPool& p) {
         EXPECT_EQ(2u, p.properties.Count());
         EXPECT_EQ(11, Get(p.properties, 7).type);
         EXPECT_TRUE(Get(p.properties, 7).title.empty());
         EXPECT_EQ(3, Get(p.properties, 8).type);
       }},
      {"property cut short inside a point table is dropped",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "1", "0", "0", "2", "1,1,1"}})), 1,
       "", [](const CDataPool& p) { EXPECT_FALSE(p.properties.Contains(9)); }},
      {"head line 1 short", Block(402, Cat({kProp7, {"9,0,0,1,0"}})), 1, BadLine(17),
       [](const CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"flag line short", Block(402, Cat({kProp7, {"9,0,0,1,0,0", "x", "0,0,0"}})), 1, BadLine(19),
       [](const CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"first list count line empty", Block(402, Cat({kProp7, {"9,0,0,1,0,0", "x", "0,0,0,0", ""}})), 1, BadLine(20),
       [](const CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"value count line empty",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "x", "0,0,0,0", "1", "0", "0", " "}})), 1, BadLine(23),
       [](const CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"point line short", Block(402, Cat({{"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "1", "0", "0", "1", "1,2"}})),
       1, BadLine(13), [](const CDataPool& p) { EXPECT_TRUE(p.properties.Empty()); }},
      {"the next count line taken as the missing third point",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "1", "0", "0", "3", "1,1,1", "2,2,2",
                                "0"}})),
       1, BadLine(29), [](const CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"a counted list that runs out names the line after the block",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "30", "1,2,3", "4,5,6"}})), 1,
       BadLine(26), [](const CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"a first list line alone runs out", Block(402, {"9,0,0,1,0,0", "", "0,0,0,0", "0", "1"}), 1, BadLine(8),
       [](const CDataPool& p) { EXPECT_TRUE(p.properties.Empty()); }},
  };
  RunReadCases(rows);
}

// Ten consecutive numbers from first on, comma-separated.
std::string Ten(int first) {
  std::string s = std::to_string(first);
  for (int i = 1; i < 10; ++i) {
    s += ',';
    s += std::to_string(first + i);
  }
  return s;
}

TEST(ReadProperties, ListLengthsAndOversizedInput) {
  // Count 90 in lines of ten: nine lines, then the value count line.
  Lines ninety = {"1,0,0,1,0,0", "", "0,0,0,0", "90"};
  for (int l = 0; l < 9; ++l) ninety.push_back(Ten(l * 10 + 1));
  ninety = Cat({ninety, {"2", "7.5", "8.5", "0", "0"}});

  // 250 numbers for a count of 250, and 150 points: cut off at 200 and 100,
  // with every line still read so that the property after it is intact.
  Lines big = {"2,0,0,1,0,0", "", "0,0,0,0", "250"};
  for (int l = 0; l < 25; ++l) big.push_back(Ten(l * 10 + 1));
  big = Cat({big, {"1", "0", "0", "150"}});
  for (int i = 1; i <= 150; ++i) big.push_back(std::to_string(i) + ",0,1");
  big = Cat({big, {"0"}, PropertyLines("3,0,0,2,0,0")});

  // Negative counts: a list still takes two lines; a point table none.
  const Lines negative = Cat({{"4,0,0,1,0,0", "", "0,0,0,0", "-5", "1", "2", "-1", "3", "4", "-3", "-2"},
                              PropertyLines("5,0,0,2,0,0")});

  std::vector<ReadCase> rows = {
      {"count 90 in lines of ten", Block(402, ninety), 1, "",
       [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 1);
         EXPECT_EQ(90, r.list1[89]);
         EXPECT_EQ(2, r.valueCount);
         EXPECT_EQ(7.5, r.value[0]);
         EXPECT_EQ(8.5, r.value[1]);
       }},
      {"oversized lists and point tables are cut off", Block(402, big), 1, "",
       [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 2);
         EXPECT_EQ(250, r.count1);
         EXPECT_EQ(200, r.list1[199]);
         EXPECT_EQ(150, r.nPts1);
         ASSERT_EQ(100u, r.outline1.size());
         EXPECT_EQ(100.0, r.outline1[99].x);
         EXPECT_EQ(2, Get(p.properties, 3).type);
       }},
      {"negative counts", Block(402, negative), 1, "",
       [](const CDataPool& p) {
         const T_PROP_D r = Get(p.properties, 4);
         EXPECT_EQ(-5, r.count1);
         EXPECT_EQ(2, r.list1[1]);
         EXPECT_EQ(4.0, r.value[1]);
         EXPECT_EQ(-3, r.nPts1);
         EXPECT_EQ(-2, r.nPts2);
         EXPECT_TRUE(r.outline1.empty());
         EXPECT_EQ(2, Get(p.properties, 5).type);
       }},
  };
  RunReadCases(rows);
}

// ---- materials ----------------------------------------------------------------

TEST(ReadMaterials, GoodBlockAndMalformedTwins) {
  const Lines good = MaterialLines("3,1,2,0,4,5,6.7",
                         {{2, "  Steel  S 355 "},
                          {3, "7"},
                          {4, "1,2,3,4,5,6,7,8,9,10,11,12"},
                          {5, "25"},
                          {6, "1,2,3,4,5,6,7,8,9,10,11"},
                          {7, ""},
                          {8, "21,22,23,24,25,26,27"},
                          {9, "200"},
                          {10, "210000,0,0,80000,0,0,0.3"},
                          {12, "21,22,23,24,25,26,27,28,29,30,31,32,33"},
                          {13, "-31,-32,-33"},
                          {29, "191,192,193,194,195,196,197,198,199,200,201,202"},
                          {30, "50"},
                          {35, "41,42,43,44,45,46,47,48,49,50,51"},
                          {36, "70"},
                          {37, "1.9"},
                          {43, "61,62,63,64,65,66,67,68,69,70,71"}});
  const Lines fifth = MaterialLines("5,0,0,0,0,0,0");
  std::vector<ReadCase> rows = {
      {"all fields and the slice rules", Block(601, good), 1, "",
       [](const CDataPool& p) {
         const T_MATL601_D m = Get(p.materials, 3);
         EXPECT_EQ("Steel  S 355", m.title);
         EXPECT_EQ((Ints{1, 0, 6, 7, 10, 25, 200, 50, 50, 70, 1, 70}),
                   (Ints{m.head[0], m.head[2], m.head[5], m.flagCount, m.flag[9], m.intCount, m.valueCount,
                         m.table1Count, m.table1[49], m.table2Count, m.table2[0], m.table2[69]}));
         // Line 6 ran on into the slice line 7 left alone, and line 8 stops at entry 25.
         EXPECT_EQ((Ints{11, 0, 25}), (Ints{m.ints[10], m.ints[11], m.ints[24]}));
         // Line 13 overwrote entries 31 to 33.
         EXPECT_EQ((Dbls{210000, 80000, 0.3, 21, 30, -31, -33, 0, 200}),
                   (Dbls{m.value[0], m.value[3], m.value[6], m.value[20], m.value[29], m.value[30], m.value[32],
                         m.value[33], m.value[199]}));
         EXPECT_TRUE(m.funcs.empty());
       }},
      {"two materials, the later of the same number wins",
       Block(601, Cat({good, MaterialLines("3,0,0,1,0,0,0"), MaterialLines("-4,0,0,0,0,0,0")})), 1, "",
       [](const CDataPool& p) {
         EXPECT_EQ(2u, p.materials.Count());
         EXPECT_EQ(1, Get(p.materials, 3).head[2]);
         EXPECT_EQ(0.0, Get(p.materials, 3).value[0]);
         EXPECT_TRUE(p.materials.Contains(-4));
       }},
      {"only the number line", Block(601, Lines{}), 1, "", [](const CDataPool& p) { EXPECT_TRUE(p.materials.Empty()); }},
      {"a block ending after line 42 drops the material",
       Block(601, Cat({good, Lines(fifth.begin(), fifth.end() - 1)})), 1, "",
       [](const CDataPool& p) {
         EXPECT_EQ(1u, p.materials.Count());
         EXPECT_FALSE(p.materials.Contains(5));
       }},
      {"line 1 short", Block(601, Cat({good, {"5,0,0,0,0,0"}})), 1, BadLine(46),
       [](const CDataPool& p) { EXPECT_EQ(1u, p.materials.Count()); }},
  };
  // Each count line of the second material empty: the failure names it.
  for (int n : {3, 5, 9, 30, 36}) {
    rows.push_back({"count line " + std::to_string(n) + " empty",
                    Block(601, Cat({good, MaterialLines("5,0,0,0,0,0,0", {{n, ""}})})), 1, BadLine(3 + 43 + n - 1),
                    [](const CDataPool& p) {
                      EXPECT_EQ(1u, p.materials.Count());
                      EXPECT_FALSE(p.materials.Contains(5));
                    }});
  }
  RunReadCases(rows);
}

// ---- functions ----------------------------------------------------------------


TEST(ReadFunctions, GoodBlockAndMalformedTwins) {
  const Lines good = {"12,2.7", "  El Centro NS  ", "1,0,0", "2,0.02,0.5", "3,0.04,-1.25", "-1",
                      "13,1", "", "-1.5,9,9"};
  std::vector<ReadCase> rows = {
      {"points in file order, closings", Block(420, good), 1, "",
       [](const CDataPool& p) {
         const T_FUNC_D f = Get(p.functions, 12);
         EXPECT_EQ(2, f.type);
         EXPECT_EQ(0, f.reserved);
         EXPECT_EQ("El Centro NS", f.title);
         EXPECT_EQ((Ints{1, 2, 3}), f.pointNo);
         EXPECT_EQ((Dbls{0, 0.02, 0.04}), f.arg);
         EXPECT_EQ((Dbls{0, 0.5, -1.25}), f.value);
         const T_FUNC_D g = Get(p.functions, 13);  // closed at once by -1.5
         EXPECT_TRUE(g.pointNo.empty());
         EXPECT_TRUE(g.title.empty());
       }},
      {"the later function of the same number wins",
       Block(420, Cat({good, {"12,5", "again", "1,1,1", "-1"}})), 1, "",
       [](const CDataPool& p) {
         const T_FUNC_D f = Get(p.functions, 12);
         EXPECT_EQ(5, f.type);
         EXPECT_EQ(1u, f.arg.size());
       }},
      {"a function without its closing line is dropped", Block(420, Cat({good, {"14,1", "t", "1,0,0"}})), 1, "",
       [](const CDataPool& p) {
         EXPECT_EQ(2u, p.functions.Count());
         EXPECT_FALSE(p.functions.Contains(14));
       }},
      {"line 1 short", Block(420, Cat({good, {"14"}})), 1, BadLine(12),
       [](const CDataPool& p) { EXPECT_EQ(2u, p.functions.Count()); }},
      {"point line short", Block(420, Cat({good, {"14,1", "t", "1,0,0", "2,0.5"}})), 1, BadLine(15),
       [](const CDataPool& p) { EXPECT_EQ(2u, p.functions.Count()); }},
      {"empty point line", Block(420, Cat({good, {"14,1", "t", ""}})), 1, BadLine(14),
       [](const CDataPool& p) { EXPECT_EQ(2u, p.functions.Count()); }},
  };
  RunReadCases(rows);
}

}  // namespace
