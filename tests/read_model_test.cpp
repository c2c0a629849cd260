// Block readers of the structure: elements (404), properties (402), materials
// (601) and functions (420). Each table holds a good block and its malformed
// twins; a row names the read log it must leave (with the line number of the
// failing line) and checks what the pool holds afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "tests/testutil.h"

using namespace hvxtest;

namespace {

using Lines = std::vector<std::string>;

// One block: opening delimiter (line 1), number (line 2), data from line 3.
std::string Block(int number, const Lines& lines) {
  std::string s = "   -1\n" + std::to_string(number) + "\n";
  for (const auto& l : lines) s += l + "\n";
  return s + "   -1\n";
}

Lines Cat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::string Bad(int line) { return "Invalid format in line " + std::to_string(line) + ".\n"; }

struct Row {
  std::string name;
  std::string model;
  int readMode;
  std::string log;
  std::function<void(CDataPool&)> check;
};

void RunRows(const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CDataPool* pool = nullptr;
    EXPECT_EQ(r.log, ReadModel(r.model, pool, r.readMode));
    ASSERT_NE(pool, nullptr);
    r.check(*pool);
  }
}

// ---- elements ---------------------------------------------------------------

// Lines A to G (and H when given) of one element.
Lines Elem(const std::string& a, const std::string& d = "0,0,1", const std::string& h = "7,0,0,3,0,0,0") {
  Lines l = {a, "1,2,3,4,5,6,7,8,9,10", "11,12,13,14,15,16,17,18,19,20", d, "0,0,0", "0,0,0",
             "0,0,0,0,0,0,0,0,0,0,0,0"};
  if (!h.empty()) l.push_back(h);
  return l;
}

T_ELEM_D GetElem(CDataPool& p, int32_t id) {
  T_ELEM_D e;
  EXPECT_TRUE(p.elements.Lookup(id, e)) << "element " << id;
  return e;
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
  std::vector<Row> rows = {
      {"all fields, read mode 1", Block(404, full), 1, "",
       [](CDataPool& p) {
         const T_ELEM_D e = GetElem(p, 5);
         EXPECT_EQ(3, e.colour);
         EXPECT_EQ(12, e.prop);
         EXPECT_EQ(2, e.type);
         EXPECT_EQ(0, e.topo);
         EXPECT_EQ(4, e.layer);
         EXPECT_EQ(0, e.pointFlag);
         EXPECT_EQ(1, e.attr[0]);
         EXPECT_EQ(-7, e.attr[6]);
         EXPECT_EQ(1, e.node[0]);
         EXPECT_EQ(20, e.node[19]);
         EXPECT_EQ(0.5, e.orient[0]);
         EXPECT_EQ(1.0, e.orient[2]);
         EXPECT_EQ(4.0, e.orient2[0]);
         EXPECT_EQ(6.0, e.orient2[2]);
         EXPECT_EQ(0.3, e.offI[2]);
         EXPECT_EQ(-3.0, e.offJ[2]);
         EXPECT_EQ(1, e.release[0]);
         EXPECT_EQ(1, e.release[7]);
         EXPECT_EQ(1, e.release[11]);
         EXPECT_EQ(-2, e.mat);
         EXPECT_EQ(1.5, e.axial);
         EXPECT_EQ(4, e.hinge);
         EXPECT_EQ(2, e.ext4);
         EXPECT_EQ(9, e.ext5);
         EXPECT_EQ(0.5, e.ext6);
         EXPECT_EQ(0.25, e.ext7);
       }},
      {"read mode 0 stores after line G and ignores the second vector",
       Block(404, Cat({Lines(full.begin(), full.end() - 1), Elem("6,0,1,3,0,0,0,0,0,0,0,0,0", "0,0,1", "")})), 0,
       "",
       [](CDataPool& p) {
         EXPECT_EQ(2u, p.elements.Count());
         const T_ELEM_D e = GetElem(p, 5);
         EXPECT_EQ(0.0, e.orient2[0]);
         EXPECT_EQ(0, e.mat);
         EXPECT_EQ(3, e.ext4);
         EXPECT_EQ(3, GetElem(p, 6).type);
       }},
      {"second vector only from exactly six values",
       Block(404, Cat({Elem("1,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,3,4,5"),
                       Elem("2,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,3,4,5,6,7"),
                       Elem("3,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,3,4")})),
       1, "",
       [](CDataPool& p) {
         for (int id = 1; id <= 3; ++id) {
           const T_ELEM_D e = GetElem(p, id);
           EXPECT_EQ(3.0, e.orient[2]);
           EXPECT_EQ(0.0, e.orient2[0]) << id;
         }
       }},
      {"only the number line", Block(404, {}), 1, "", [](CDataPool& p) { EXPECT_TRUE(p.elements.Empty()); }},
      {"read mode 1 block ending after line G drops the element",
       Block(404, Cat({full, Elem("6,0,1,3,0,0,0,0,0,0,0,0,0", "0,0,1", "")})), 1, "",
       [](CDataPool& p) {
         EXPECT_EQ(1u, p.elements.Count());
         EXPECT_FALSE(p.elements.Contains(6));
       }},
      {"a later element replaces one of the same number",
       Block(404, Cat({Elem("9,0,1,1,0,0,0,0,0,0,0,0,0"), Elem("9,0,2,3,0,0,0,0,0,0,0,0,0")})), 1, "",
       [](CDataPool& p) {
         EXPECT_EQ(1u, p.elements.Count());
         EXPECT_EQ(3, GetElem(p, 9).type);
         EXPECT_EQ(2, GetElem(p, 9).prop);
       }},
  };
  // Each line of the second element one value short (line A also as an empty
  // line): the failure names that line, and the first element stays.
  const Lines second = Elem("8,0,1,2,0,0,0,0,0,0,0,0,0");
  const size_t need[] = {13, 10, 10, 3, 3, 3, 12, 7};
  for (size_t k = 0; k < second.size(); ++k) {
    Lines bad = second;
    std::string shortLine;
    for (size_t i = 0; i + 1 < need[k]; ++i) shortLine += i ? ",1" : "1";
    bad[k] = shortLine;
    rows.push_back({"element line " + std::to_string(k) + " short", Block(404, Cat({full, bad})), 1,
                    Bad(static_cast<int>(3 + full.size() + k)), [](CDataPool& p) {
                      EXPECT_EQ(1u, p.elements.Count());
                      EXPECT_TRUE(p.elements.Contains(5));
                    }});
  }
  rows.push_back({"empty line where line A is due", Block(404, Cat({full, {""}})), 1, Bad(11),
                  [](CDataPool& p) { EXPECT_EQ(1u, p.elements.Count()); }});
  RunRows(rows);
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

T_PROP_D GetProp(CDataPool& p, int32_t id) {
  T_PROP_D r;
  EXPECT_TRUE(p.properties.Lookup(id, r)) << "property " << id;
  return r;
}

// A minimal property: counts 1 and 1 (each list two lines) and no points.
Lines Prop(const std::string& head, const Lines& tail = {"0", "0"}) {
  return Cat({{head, "", "0,0,0,0", "1", "0", "0", "1", "0", "0"}, tail});
}

TEST(ReadProperties, GoodBlockAndMalformedTwins) {
  std::vector<Row> rows = {
      {"all fields", Block(402, kProp7), 1, "",
       [](CDataPool& p) {
         const T_PROP_D r = GetProp(p, 7);
         EXPECT_EQ(1, r.colour);
         EXPECT_EQ(3, r.mat);
         EXPECT_EQ(2, r.type);
         EXPECT_EQ(4, r.layer);
         EXPECT_EQ(5, r.head6);
         EXPECT_EQ("Column C30", r.title);
         EXPECT_EQ(4, r.flag[3]);
         EXPECT_EQ(4, r.count1);
         EXPECT_EQ(4, r.list1[3]);
         EXPECT_EQ(5, r.list1[4]);
         EXPECT_EQ(0, r.list1[5]);
         EXPECT_EQ(3, r.valueCount);
         EXPECT_EQ(10.0, r.value[0]);
         EXPECT_EQ(40.5, r.value[3]);
         EXPECT_EQ(2, r.nPts1);
         ASSERT_EQ(2u, r.outline1.size());
         EXPECT_EQ(1.5, r.outline1[1].x);
         EXPECT_EQ(-2.0, r.outline1[1].y);
         EXPECT_EQ(1, r.outline1[0].pen);
         EXPECT_EQ(1, r.nPts2);
         ASSERT_EQ(1u, r.outline2.size());
         EXPECT_EQ(4.0, r.outline2[0].y);
       }},
      {"read mode 0 reads the same", Block(402, kProp7), 0, "",
       [](CDataPool& p) { EXPECT_EQ(40.5, GetProp(p, 7).value[3]); }},
      {"two properties, the later of the same number wins",
       Block(402, Cat({kProp7, Prop("7,0,0,11,0,0"), Prop("8,0,0,3,0,0")})), 1, "",
       [](CDataPool& p) {
         EXPECT_EQ(2u, p.properties.Count());
         EXPECT_EQ(11, GetProp(p, 7).type);
         EXPECT_TRUE(GetProp(p, 7).title.empty());
         EXPECT_EQ(3, GetProp(p, 8).type);
       }},
      {"property cut short inside a point table is dropped",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "1", "0", "0", "2", "1,1,1"}})), 1,
       "", [](CDataPool& p) { EXPECT_FALSE(p.properties.Contains(9)); }},
      {"head line 1 short", Block(402, Cat({kProp7, {"9,0,0,1,0"}})), 1, Bad(17),
       [](CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"flag line short", Block(402, Cat({kProp7, {"9,0,0,1,0,0", "x", "0,0,0"}})), 1, Bad(19),
       [](CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"first list count line empty", Block(402, Cat({kProp7, {"9,0,0,1,0,0", "x", "0,0,0,0", ""}})), 1, Bad(20),
       [](CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"value count line empty",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "x", "0,0,0,0", "1", "0", "0", " "}})), 1, Bad(23),
       [](CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"point line short", Block(402, Cat({{"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "1", "0", "0", "1", "1,2"}})),
       1, Bad(13), [](CDataPool& p) { EXPECT_TRUE(p.properties.Empty()); }},
      {"the next count line taken as the missing third point",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "1", "0", "0", "3", "1,1,1", "2,2,2",
                                "0"}})),
       1, Bad(29), [](CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"a counted list that runs out names the line after the block",
       Block(402, Cat({kProp7, {"9,0,0,1,0,0", "", "0,0,0,0", "1", "0", "0", "30", "1,2,3", "4,5,6"}})), 1,
       Bad(26), [](CDataPool& p) { EXPECT_EQ(1u, p.properties.Count()); }},
      {"a first list line alone runs out", Block(402, {"9,0,0,1,0,0", "", "0,0,0,0", "0", "1"}), 1, Bad(8),
       [](CDataPool& p) { EXPECT_TRUE(p.properties.Empty()); }},
  };
  RunRows(rows);
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
  big = Cat({big, {"0"}, Prop("3,0,0,2,0,0")});

  // Negative counts: a list still takes two lines; a point table none.
  const Lines negative = Cat({{"4,0,0,1,0,0", "", "0,0,0,0", "-5", "1", "2", "-1", "3", "4", "-3", "-2"},
                              Prop("5,0,0,2,0,0")});

  std::vector<Row> rows = {
      {"count 90 in lines of ten", Block(402, ninety), 1, "",
       [](CDataPool& p) {
         const T_PROP_D r = GetProp(p, 1);
         EXPECT_EQ(90, r.list1[89]);
         EXPECT_EQ(2, r.valueCount);
         EXPECT_EQ(7.5, r.value[0]);
         EXPECT_EQ(8.5, r.value[1]);
       }},
      {"oversized lists and point tables are cut off", Block(402, big), 1, "",
       [](CDataPool& p) {
         const T_PROP_D r = GetProp(p, 2);
         EXPECT_EQ(250, r.count1);
         EXPECT_EQ(200, r.list1[199]);
         EXPECT_EQ(150, r.nPts1);
         ASSERT_EQ(100u, r.outline1.size());
         EXPECT_EQ(100.0, r.outline1[99].x);
         EXPECT_EQ(2, GetProp(p, 3).type);
       }},
      {"negative counts", Block(402, negative), 1, "",
       [](CDataPool& p) {
         const T_PROP_D r = GetProp(p, 4);
         EXPECT_EQ(-5, r.count1);
         EXPECT_EQ(2, r.list1[1]);
         EXPECT_EQ(4.0, r.value[1]);
         EXPECT_EQ(-3, r.nPts1);
         EXPECT_EQ(-2, r.nPts2);
         EXPECT_TRUE(r.outline1.empty());
         EXPECT_EQ(2, GetProp(p, 5).type);
       }},
  };
  RunRows(rows);
}

// ---- materials ----------------------------------------------------------------

// The 43 lines of one material: "0" except where given.
Lines Mat(const std::string& line1, const std::map<int, std::string>& at = {}) {
  Lines l(43, "0");
  l[0] = line1;
  l[1] = "";
  for (const auto& [n, text] : at) l[n - 1] = text;
  return l;
}

T_MATL601_D GetMat(CDataPool& p, int32_t id) {
  T_MATL601_D m;
  EXPECT_TRUE(p.materials.Lookup(id, m)) << "material " << id;
  return m;
}

TEST(ReadMaterials, GoodBlockAndMalformedTwins) {
  const Lines good = Mat("3,1,2,0,4,5,6.7",
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
  const Lines fifth = Mat("5,0,0,0,0,0,0");
  std::vector<Row> rows = {
      {"all fields and the slice rules", Block(601, good), 1, "",
       [](CDataPool& p) {
         const T_MATL601_D m = GetMat(p, 3);
         EXPECT_EQ(1, m.head[0]);
         EXPECT_EQ(0, m.head[2]);
         EXPECT_EQ(6, m.head[5]);
         EXPECT_EQ("Steel  S 355", m.title);
         EXPECT_EQ(7, m.flagCount);
         EXPECT_EQ(10, m.flag[9]);
         EXPECT_EQ(25, m.intCount);
         EXPECT_EQ(11, m.ints[10]);  // line 6 ran on into the slice line 7 left alone...
         EXPECT_EQ(0, m.ints[11]);
         EXPECT_EQ(25, m.ints[24]);  // ...and line 8 stops at entry 25
         EXPECT_EQ(200, m.valueCount);
         EXPECT_EQ(210000.0, m.value[0]);
         EXPECT_EQ(80000.0, m.value[3]);
         EXPECT_EQ(0.3, m.value[6]);
         EXPECT_EQ(21.0, m.value[20]);
         EXPECT_EQ(30.0, m.value[29]);
         EXPECT_EQ(-31.0, m.value[30]);  // line 13 overwrote 31 to 33
         EXPECT_EQ(-33.0, m.value[32]);
         EXPECT_EQ(0.0, m.value[33]);
         EXPECT_EQ(200.0, m.value[199]);
         EXPECT_EQ(50, m.table1Count);
         EXPECT_EQ(50, m.table1[49]);
         EXPECT_EQ(70, m.table2Count);
         EXPECT_EQ(1, m.table2[0]);
         EXPECT_EQ(70, m.table2[69]);
         EXPECT_TRUE(m.funcs.empty());
       }},
      {"two materials, the later of the same number wins",
       Block(601, Cat({good, Mat("3,0,0,1,0,0,0"), Mat("-4,0,0,0,0,0,0")})), 1, "",
       [](CDataPool& p) {
         EXPECT_EQ(2u, p.materials.Count());
         EXPECT_EQ(1, GetMat(p, 3).head[2]);
         EXPECT_EQ(0.0, GetMat(p, 3).value[0]);
         EXPECT_TRUE(p.materials.Contains(-4));
       }},
      {"only the number line", Block(601, {}), 1, "", [](CDataPool& p) { EXPECT_TRUE(p.materials.Empty()); }},
      {"a block ending after line 42 drops the material",
       Block(601, Cat({good, Lines(fifth.begin(), fifth.end() - 1)})), 1, "",
       [](CDataPool& p) {
         EXPECT_EQ(1u, p.materials.Count());
         EXPECT_FALSE(p.materials.Contains(5));
       }},
      {"line 1 short", Block(601, Cat({good, {"5,0,0,0,0,0"}})), 1, Bad(46),
       [](CDataPool& p) { EXPECT_EQ(1u, p.materials.Count()); }},
  };
  // Each count line of the second material empty: the failure names it.
  for (int n : {3, 5, 9, 30, 36}) {
    rows.push_back({"count line " + std::to_string(n) + " empty",
                    Block(601, Cat({good, Mat("5,0,0,0,0,0,0", {{n, ""}})})), 1, Bad(3 + 43 + n - 1),
                    [](CDataPool& p) {
                      EXPECT_EQ(1u, p.materials.Count());
                      EXPECT_FALSE(p.materials.Contains(5));
                    }});
  }
  RunRows(rows);
}

// ---- functions ----------------------------------------------------------------

T_FUNC_D GetFunc(CDataPool& p, int32_t id) {
  T_FUNC_D f;
  EXPECT_TRUE(p.functions.Lookup(id, f)) << "function " << id;
  return f;
}

TEST(ReadFunctions, GoodBlockAndMalformedTwins) {
  const Lines good = {"12,2.7", "  El Centro NS  ", "1,0,0", "2,0.02,0.5", "3,0.04,-1.25", "-1",
                      "13,1", "", "-1.5,9,9"};
  std::vector<Row> rows = {
      {"points in file order, closings", Block(420, good), 1, "",
       [](CDataPool& p) {
         const T_FUNC_D f = GetFunc(p, 12);
         EXPECT_EQ(2, f.type);
         EXPECT_EQ(0, f.reserved);
         EXPECT_EQ("El Centro NS", f.title);
         ASSERT_EQ(3u, f.pointNo.size());
         ASSERT_EQ(3u, f.arg.size());
         ASSERT_EQ(3u, f.value.size());
         EXPECT_EQ(3, f.pointNo[2]);
         EXPECT_EQ(0.02, f.arg[1]);
         EXPECT_EQ(-1.25, f.value[2]);
         const T_FUNC_D g = GetFunc(p, 13);  // closed at once by -1.5
         EXPECT_TRUE(g.pointNo.empty());
         EXPECT_TRUE(g.title.empty());
       }},
      {"the later function of the same number wins",
       Block(420, Cat({good, {"12,5", "again", "1,1,1", "-1"}})), 1, "",
       [](CDataPool& p) {
         const T_FUNC_D f = GetFunc(p, 12);
         EXPECT_EQ(5, f.type);
         EXPECT_EQ(1u, f.arg.size());
       }},
      {"a function without its closing line is dropped", Block(420, Cat({good, {"14,1", "t", "1,0,0"}})), 1, "",
       [](CDataPool& p) {
         EXPECT_EQ(2u, p.functions.Count());
         EXPECT_FALSE(p.functions.Contains(14));
       }},
      {"line 1 short", Block(420, Cat({good, {"14"}})), 1, Bad(12),
       [](CDataPool& p) { EXPECT_EQ(2u, p.functions.Count()); }},
      {"point line short", Block(420, Cat({good, {"14,1", "t", "1,0,0", "2,0.5"}})), 1, Bad(15),
       [](CDataPool& p) { EXPECT_EQ(2u, p.functions.Count()); }},
      {"empty point line", Block(420, Cat({good, {"14,1", "t", ""}})), 1, Bad(14),
       [](CDataPool& p) { EXPECT_EQ(2u, p.functions.Count()); }},
  };
  RunRows(rows);
}

// ---- the example model ----------------------------------------------------------

}  // namespace
