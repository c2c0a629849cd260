// Output of the structure under the rules the golden cases (always read mode
// 1) cannot reach: read mode 0 takes an element's material from its property
// and a material's Poisson's ratio as read; and the beam adjustment's marks
// left in the pool.
#include <gtest/gtest.h>

#include "reader/import.h"
#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

std::string Block(int number, const std::vector<std::string>& lines) {
  std::string s = "   -1\n" + std::to_string(number) + "\n";
  for (const auto& l : lines) s += l + "\n";
  return s + "   -1\n";
}

// Lines A to G of an element (read mode 0 has no line H).
std::vector<std::string> Elem(const std::string& a, const std::string& nodes, const std::string& d = "0,0,1",
                              const std::string& h = "") {
  std::vector<std::string> l = {a, nodes, "0,0,0,0,0,0,0,0,0,0", d, "0,0,0", "0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0"};
  if (!h.empty()) l.push_back(h);
  return l;
}

// A property with the given material and type, value entry 1 = v1.
std::vector<std::string> Prop(int id, int mat, int type, const std::string& v1) {
  return {std::to_string(id) + ",0," + std::to_string(mat) + "," + std::to_string(type) + ",0,0",
          "",
          "0,0,0,0",
          "1",
          "0",
          "0",
          "1",
          v1,
          "0",
          "0",
          "0"};
}

// 43 lines of a material: E on line 10 (entries 1, 4, 7 = E, G, nu), density
// on line 14 (entry 50).
std::vector<std::string> Mat(int id, const std::string& line10, const std::string& line14) {
  std::vector<std::string> l(43, "0");
  l[0] = std::to_string(id) + ",0,0,0,0,0,0";
  l[1] = "";
  l[9] = line10;
  l[13] = line14;
  return l;
}

// The text of one section: from its command line through its closing empty line.
std::string SectionText(const std::string& qsx, const std::string& command) {
  const size_t from = qsx.find(command);
  if (from == std::string::npos) return "";
  const size_t to = qsx.find("\n\n", from);
  return qsx.substr(from, to == std::string::npos ? std::string::npos : to + 2 - from);
}

template <class... V>
std::vector<std::string> Cat(const V&... parts) {
  std::vector<std::string> all;
  (all.insert(all.end(), parts.begin(), parts.end()), ...);
  return all;
}

const char* const kElementHeader =
    "*ELEMENT    ; Elements\n"
    "; iEL, TYPE, iMAT, iPRO, iN1, iN2, ANGLE, iSUB, EXVAL              ; Frame  Element\n"
    "; iEL, TYPE, iMAT, iPRO, iN1, iN2, iN3, iN4, iSUB, iWID            ; Planar Element\n"
    "; iEL, TYPE, iMAT, iPRO, iN1, iN2, iN3, iN4, iN5, iN6, iN7, iN8    ; Solid  Element\n"
    "; iEL, TYPE, iMAT, iPRO, iN1, iN2, REF, RPX, RPY, RPZ, iSUB, EXVAL ; Frame(Ref. Point)\n";

TEST(WriteElement, ReadModeZeroTakesTheMaterialOfTheProperty) {
  const std::string model =
      Block(402, Cat(Prop(3, 8, 2, "1"), Prop(4, -2, 15, "0.2"))) +
      Block(404, Cat(Elem("1,0,3,3,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0"),
                     Elem("2,0,9,1,0,0,0,0,0,0,0,0,0", "2,3,0,0,0,0,0,0,0,0"),
                     Elem("3,0,4,15,4,0,0,0,0,0,0,0,0", "1,2,3,4,0,0,0,0,0,0"),
                     Elem("4,0,4,25,8,0,0,0,0,0,0,0,0", "1,2,3,4,5,6,7,8,0,0")));
  std::string readLog;
  const std::string qsx = ConvertCore(model, &readLog, nullptr, 0);
  EXPECT_EQ("", readLog);
  EXPECT_EQ(std::string(kElementHeader) +
                "     1, BEAM  ,     8,     3,     1,     2\n"
                "     2, TRUSS ,     1,     9,     2,     3, 0\n"
                "     3, PLATE ,    -2,     4,     1,     2,     3,     4,     2\n"
                "     4, SOLID ,    -2,     0,     1,     2,     3,     4,     5,     6,     7,     8\n"
                "\n",
            SectionText(qsx, "*ELEMENT"));
}

TEST(WriteElement, ReadModeOneIgnoresThePropertyMaterial) {
  const std::string model = Block(402, Prop(3, 8, 2, "1")) +
                            Block(404, Elem("1,0,3,3,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", "0,0,1",
                                            "77,0,0,3,0,0,0"));
  EXPECT_EQ(std::string(kElementHeader) + "     1, BEAM  ,    77,     3,     1,     2\n\n",
            SectionText(ConvertCore(model), "*ELEMENT"));
}

TEST(WriteMaterial, PoissonsRatioByReadMode) {
  // E 200, G 80, nu 0.28, density 3, gravity 10.
  const std::string model = Block(900, {"123456,0,10,0,0", "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}) +
                            Block(601, Mat(1, "200,0,0,80,0,0,0.28", "0,0,0,0,0,0,0,0,0,3"));
  const std::string header =
      "*MATERIAL    ; Material\n"
      "; iMAT, TYPE, MNAME, SPHEAT, HEATCO, PLAST, TUNIT, bMASS, [DATA1]          ; STEEL, CONC, USER\n"
      "; iMAT, TYPE, MNAME, SPHEAT, HEATCO, PLAST, TUNIT, bMASS, [DATA2], [DATA2] ; SRC\n"
      "; [DATA1] : 1, DB, NAME\n"
      "; [DATA1] : 2, ELAST, POISN, THERMAL, DEN, MASS\n"
      "; [DATA1] : 3, Ex, Ey, Ez, Tx, Ty, Tz, Sxy, Sxz, Syz, Pxy, Pxz, Pyz, DEN  ; Orthotropic\n"
      "; [DATA2] : 1, DB, NAME or 2, ELAST, POISN, THERMAL, DEN, MASS\n";
  // Read mode 0: entry 7 as read.
  EXPECT_EQ(header + "1,USER,MAT1,0,0, ,C,YES,2,200,0.28,0,30,3\n\n",
            SectionText(ConvertCore(model, nullptr, nullptr, 0), "*MATERIAL"));
  // Read mode 1: 200 * 0.5 / 80 - 1 = 0.25.
  EXPECT_EQ(header + "1,USER,MAT1,0,0, ,C,YES,2,200,0.25,0,30,3\n\n",
            SectionText(ConvertCore(model, nullptr, nullptr, 1), "*MATERIAL"));
}

TEST(AdjustBeamPoints, MarksOnlyBeamsWhoseNodesExist) {
  const std::string model =
      Block(403, {"1,0,0,0,0,0,0,0,0,0,0,10,0,5,0", "2,0,0,0,0,0,0,0,0,0,0,10,0,8,0"}) +
      Block(404, Cat(Elem("1,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", "0,0,1", "1,0,0,3,0,0,0"),
                     Elem("2,0,1,2,0,0,0,0,0,0,0,0,0", "1,9,0,0,0,0,0,0,0,0", "0,0,1", "1,0,0,3,0,0,0"),
                     Elem("3,0,1,5,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", "0,0,1", "1,0,0,3,0,0,0"),
                     Elem("4,0,1,2,2,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", "0,0,1", "1,0,0,3,0,0,0")));
  TempDir dir;
  CImportNEUtral reader;
  reader.ImportBuffer(model, 1);
  CWriteQsxFromNeutral writer;
  writer.Write(dir.File("model.hvt"), reader.GetDataPool());
  const auto& elements = reader.GetDataPool()->elements;
  T_ELEM_D e;
  ASSERT_TRUE(elements.Lookup(1, e));
  EXPECT_EQ(1, e.pointFlag);
  EXPECT_EQ(10.0, e.orient[0]);
  EXPECT_EQ(0.0, e.orient[1]);
  EXPECT_EQ(6.0, e.orient[2]);
  for (int32_t id : {2, 3, 4}) {  // node 9 missing; type 5; not a line element
    ASSERT_TRUE(elements.Lookup(id, e));
    EXPECT_EQ(0, e.pointFlag) << id;
    EXPECT_EQ(0.0, e.orient[0]) << id;
    EXPECT_EQ(1.0, e.orient[2]) << id;
  }
}

}  // namespace
