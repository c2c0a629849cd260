// Output under rules the model cases (the driver reads in read mode 1) cannot
// reach: read mode 0 takes an element's material from its property, keeps a
// material's Poisson's ratio as read (tests/unit_cases/write_mode0.txt) and
// writes no extension or hinge section.
#include <gtest/gtest.h>

#include "tests/case_files.h"
#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvx;

using namespace hvxtest;

namespace {

TEST(ReadModeZero, ElementMaterialFromPropertyAndPoissonsRatioAsRead) {
  for (const ModelCase& c : ModelCases("write_mode0.txt")) {
    SCOPED_TRACE(c.where);
    ASSERT_EQ(1u, c.parts.size());
    ASSERT_EQ(1u, c.parts.count("qsx"));
    std::string readLog;
    const std::string qsx = ConvertCore(c.model, &readLog, nullptr, 0), cmd = c.parts.at("qsx").first;
    EXPECT_EQ("", readLog);
    EXPECT_EQ(c.parts.at("qsx").second, cmd.empty() ? qsx : WithoutComments(SectionOf(qsx, cmd)));
  }
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
