// Output of the structure under the rules the golden cases (always read mode
// 1) cannot reach: read mode 0 takes an element's material from its property
// and a material's Poisson's ratio as read; and the beam adjustment's marks
// left in the pool. Sections are compared without header comment lines.
#include <gtest/gtest.h>

#include "reader/import.h"
#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

// Lines A to G of an element, and line H when given (read mode 0 has none).
Lines ElemLines(const std::string& a, const std::string& nodes, const std::string& h = "") {
  Lines l = {a, nodes, "0,0,0,0,0,0,0,0,0,0", "0,0,1", "0,0,0", "0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0"};
  if (!h.empty()) l.push_back(h);
  return l;
}

// A property with the given material and type, value entry 1 = v1.
Lines Prop(int id, int mat, int type, const std::string& v1) {
  return PropertyLines(std::to_string(id) + ",0," + std::to_string(mat) + "," + std::to_string(type) + ",0,0", v1);
}

std::string Section(const std::string& qsx, const std::string& cmd) { return WithoutComments(SectionOf(qsx, cmd)); }

TEST(WriteElement, ReadModeZeroTakesTheMaterialOfTheProperty) {
  const std::string model =
      Block(402, Cat({Prop(3, 8, 2, "1"), Prop(4, -2, 15, "0.2")})) +
      Block(404, Cat({ElemLines("1,0,3,3,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0"),
                      ElemLines("2,0,9,1,0,0,0,0,0,0,0,0,0", "2,3,0,0,0,0,0,0,0,0"),
                      ElemLines("3,0,4,15,4,0,0,0,0,0,0,0,0", "1,2,3,4,0,0,0,0,0,0"),
                      ElemLines("4,0,4,25,8,0,0,0,0,0,0,0,0", "1,2,3,4,5,6,7,8,0,0")}));
  std::string readLog;
  const std::string qsx = ConvertCore(model, &readLog, nullptr, 0);
  EXPECT_EQ("", readLog);
  EXPECT_EQ("*ELEMENT    ; Elements\n"
            "     1, BEAM  ,     8,     3,     1,     2\n"
            "     2, TRUSS ,     1,     9,     2,     3, 0\n"
            "     3, PLATE ,    -2,     4,     1,     2,     3,     4,     2\n"
            "     4, SOLID ,    -2,     0,     1,     2,     3,     4,     5,     6,     7,     8\n"
            "\n",
            Section(qsx, "*ELEMENT"));
}

TEST(WriteElement, ReadModeOneIgnoresThePropertyMaterial) {
  const std::string model = Block(402, Prop(3, 8, 2, "1")) +
                            Block(404, ElemLines("1,0,3,3,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", "77,0,0,3,0,0,0"));
  EXPECT_EQ("*ELEMENT    ; Elements\n     1, BEAM  ,    77,     3,     1,     2\n\n",
            Section(ConvertCore(model), "*ELEMENT"));
}

TEST(WriteMaterial, PoissonsRatioByReadMode) {
  // E 200, G 80, nu 0.28 on line 10 (entries 1, 4, 7), density 3 on line 14
  // (entry 50), gravity 10.
  const std::string model =
      Block(900, {"123456,0,10,0,0", "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}) +
      Block(601, MaterialLines("1,0,0,0,0,0,0", {{10, "200,0,0,80,0,0,0.28"}, {14, "0,0,0,0,0,0,0,0,0,3"}}));
  // Read mode 0: entry 7 as read.
  EXPECT_EQ("*MATERIAL    ; Material\n1,USER,MAT1,0,0, ,C,YES,2,200,0.28,0,30,3\n\n",
            Section(ConvertCore(model, nullptr, nullptr, 0), "*MATERIAL"));
  // Read mode 1: 200 * 0.5 / 80 - 1 = 0.25.
  EXPECT_EQ("*MATERIAL    ; Material\n1,USER,MAT1,0,0, ,C,YES,2,200,0.25,0,30,3\n\n",
            Section(ConvertCore(model, nullptr, nullptr, 1), "*MATERIAL"));
}

TEST(AdjustBeamPoints, MarksOnlyBeamsWhoseNodesExist) {
  const std::string h = "1,0,0,3,0,0,0";
  const std::string model =
      Block(403, {"1,0,0,0,0,0,0,0,0,0,0,10,0,5,0", "2,0,0,0,0,0,0,0,0,0,0,10,0,8,0"}) +
      Block(404, Cat({ElemLines("1,0,1,2,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", h),
                      ElemLines("2,0,1,2,0,0,0,0,0,0,0,0,0", "1,9,0,0,0,0,0,0,0,0", h),
                      ElemLines("3,0,1,5,0,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", h),
                      ElemLines("4,0,1,2,2,0,0,0,0,0,0,0,0", "1,2,0,0,0,0,0,0,0,0", h)}));
  CImportNEUtral reader(hvx::DefaultEnv());
  reader.ImportBuffer(model, 1);
  WritePool(*reader.GetDataPool());
  const auto& elements = reader.GetDataPool()->elements;
  T_ELEM_D e = Get(elements, 1);
  EXPECT_EQ(1, e.pointFlag);
  EXPECT_EQ(10.0, e.orient[0]);
  EXPECT_EQ(0.0, e.orient[1]);
  EXPECT_EQ(6.0, e.orient[2]);
  for (int32_t id : {2, 3, 4}) {  // node 9 missing; type 5; not a line element
    e = Get(elements, id);
    EXPECT_EQ(0, e.pointFlag) << id;
    EXPECT_EQ(0.0, e.orient[0]) << id;
    EXPECT_EQ(1.0, e.orient[2]) << id;
  }
}

}  // namespace
