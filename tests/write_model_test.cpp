// Output under rules the model cases (the driver reads in read mode 1) cannot
// reach: read mode 0 takes an element's material from its property, keeps a
// material's Poisson's ratio as read and writes no extension or hinge
// section.
#include <gtest/gtest.h>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvx;

using namespace hvxtest;

namespace {

// Lines A to G of an element (read mode 0 has no line H).
Lines ElemLines(const std::string& a, const std::string& nodes) {
  return {a, nodes, "0,0,0,0,0,0,0,0,0,0", "0,0,1", "0,0,0", "0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0"};
}

Lines Prop(int id, int mat, int type, const std::string& v1) {
  return PropertyLines(std::to_string(id) + ",0," + std::to_string(mat) + "," + std::to_string(type) + ",0,0", v1);
}

std::string Section(const std::string& qsx, const std::string& cmd) { return WithoutComments(SectionOf(qsx, cmd)); }

TEST(ReadModeZero, ElementMaterialFromPropertyAndPoissonsRatioAsRead) {
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
  // E 200, G 80, nu 0.28 (entries 1, 4, 7 of line 10), density 3, gravity 10.
  const std::string mat =
      Block(900, {"123456,0,10,0,0", "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}) +
      Block(601, MaterialLines("1,0,0,0,0,0,0", {{10, "200,0,0,80,0,0,0.28"}, {14, "0,0,0,0,0,0,0,0,0,3"}}));
  EXPECT_EQ("*MATERIAL    ; Material\n1,USER,MAT1,0,0, ,C,YES,2,200,0.28,0,30,3\n\n",
            Section(ConvertCore(mat, nullptr, nullptr, 0), "*MATERIAL"));
  EXPECT_EQ("*VERSION\n  6.4.1\n\n*STRUCTYPE    ; Structure Type\n"
            "; iSTYP, iSMAS, GRAV, TEMPER, bALIGNBEAM, bALIGNSLAB\n  0, 0, 0, 0, NO, NO\n\n*ENDDATA\n",
            ConvertCore("", nullptr, nullptr, 0));
}

TEST(ReadModeZero, NoExtensionOrHingeSectionsButInitialElementForces) {
  CDataPool pool;
  pool.readMode = 0;
  T_LCOP_D opt;
  opt.caseType = 2;
  pool.caseOptions.Store(1, opt);
  T_LOAD_D l;
  l.lcop = 1;
  l.nonlinear = 1;
  pool.loads.Store(1, l);
  T_CNST_D s;
  s.eqs = {T_CNEQ_D{1, 0, 0, {{7, 1, 1.0}}}};
  pool.constraints.Store(1, s);
  pool.hinges.Store(1, T_IHPR_D{});
  T_ELEM_D e = Elem(2, 0, 0, {1, 2});
  e.hinge = 1;
  e.axial = 5;
  pool.elements.Store(1, e);
  T_INFC_D f;
  f.kind = 1;
  f.ends[0] = 3;
  f.ends[6] = -3;
  pool.initForces.Store(4, f);
  const std::string qsx = WritePool(pool).qsx;
  for (const char* cmd : {"*HVX-", "*IHINGE", "*INIFORCE"}) EXPECT_EQ(std::string::npos, qsx.find(cmd)) << cmd;
  EXPECT_NE(std::string::npos, qsx.find(" TRUSS, 4, 3, -3\n"));
}

}  // namespace
