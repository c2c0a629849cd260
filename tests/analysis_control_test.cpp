// The "*HVX-" analysis-control sections written from records put straight
// into a data pool. Expected texts are worked out by hand (without header
// comment lines, which the golden cases pin); the load map has 101 buckets,
// so load sets 1 to 10 are enumerated 5, 10, 3, 8, 1, 6, 4, 9, 2, 7.
#include <gtest/gtest.h>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

// The section of the written pool, without comment lines.
std::string SectionText(CDataPool& pool, const std::string& cmd) {
  return WithoutComments(SectionOf(WritePool(pool).qsx, cmd));
}

T_LOAD_D Load(int32_t lcop, const char* title = "", int32_t dynCode = 0) {
  T_LOAD_D l;
  l.lcop = lcop;
  l.title = title;
  l.dynCode = dynCode;
  return l;
}

T_LCOP_D Option(int32_t caseType, std::initializer_list<int32_t> codes = {}) {
  T_LCOP_D o;
  o.caseType = caseType;
  int32_t* f[] = {&o.modalMethod, &o.resMethod, &o.dampMethod, &o.excitType, &o.dynaType,
                  &o.extlType,    &o.intgMethod, &o.combMethod, &o.initLoad};
  int i = 0;
  for (int32_t c : codes) *f[i++] = c;
  return o;
}

const std::string kAnalTypeHeader = "*HVX-ANALTYPE    ; [Halvex] Analysis Type\n";

TEST(HvxAnalType, EveryCaseKindInEnumerationOrder) {
  CDataPool pool;
  pool.readMode = 1;
  //                      modal res damp exct dyna extl intg comb init
  pool.caseOptions.Store(1, Option(3));
  pool.caseOptions.Store(2, Option(3, {0, 0, 0, 0, 0, 0, 0, 0, 5}));
  pool.caseOptions.Store(3, Option(1, {1, 1, 1, 1, 3, 1, 0, 2, 0}));
  pool.caseOptions.Store(4, Option(1, {2, 2, 3, 2, 1, 0, 1, 1, 0}));
  pool.caseOptions.Store(5, Option(2, {0, 0, 4, 1, 1, 1, 1, 1, 1}));
  pool.caseOptions.Store(8, Option(9));
  pool.caseOptions.Store(9, Option(1, {3, 4, 5, 1, 6, 6, 2, 2, 1}));
  pool.caseOptions.Store(10, Option(1, {9, 5, 6, 0, 2, 7, 0, 0, 4}));
  pool.loads.Store(1, Load(1));
  pool.loads.Store(2, Load(2));
  T_LOAD_D eq = Load(3, "EQ", 3);
  eq.mbld.resize(3);
  pool.loads.Store(3, eq);
  T_LOAD_D th = Load(4, "", 1);
  th.M[9] = 0.25;
  pool.loads.Store(4, th);
  pool.loads.Store(5, Load(5));
  pool.loads.Store(6, Load(5));
  pool.loads.Store(7, Load(77, "no option", 3));
  pool.loads.Store(8, Load(8));
  th = Load(9, "W", 2);
  th.M[9] = 0.3;
  pool.loads.Store(9, th);
  T_LOAD_D rs = Load(10, "", 3);
  rs.mbld.resize(1);
  pool.loads.Store(10, rs);

  EXPECT_EQ(kAnalTypeHeader +
                "  NAME=ANALTYPE5, MODAL, \n"
                "       NONE, NONE, PRO2\n"
                "  NAME=ANALTYPE10, RS, \n"
                "       SPLCD10, , , , , SV\n"
                "       , , YES\n"
                "  NAME=ANALTYPE3-0, RS, \n"
                "       EQ-0, HOUS, MODE, MODE, EART, SA\n"
                "       UNIF, CQC, NO\n"
                "  NAME=ANALTYPE3-1, RS, \n"
                "       EQ-1, HOUS, MODE, MODE, EART, SA\n"
                "       UNIF, CQC, NO\n"
                "  NAME=ANALTYPE3-2, RS, \n"
                "       EQ-2, HOUS, MODE, MODE, EART, SA\n"
                "       UNIF, CQC, NO\n"
                "  NAME=ANALTYPE1, STATIC,\n"
                "           NO\n"
                "  NAME=ANALTYPE4, TH, \n"
                "       THLDC4, SUBS, DIRE, PROP, GRD, ACC\n"
                "       EQFC, NEWM, 0.25, 0, SRSS, NO\n"
                "  NAME=ANALTYPE9, TH, \n"
                "       W, COMP, FREQ, HYST, EART, FGFC\n"
                "       MULT4, WILS, 0, 0.3, CQC, YES\n"
                "\n",
            SectionText(pool, "*HVX-ANALTYPE"));
}

TEST(HvxAnalType, FirstStaticWinsAndRemainingKeywordCodes) {
  CDataPool pool;
  pool.readMode = 1;
  pool.caseOptions.Store(1, Option(3, {0, 0, 0, 0, 0, 0, 0, 0, 2}));
  pool.caseOptions.Store(2, Option(3));
  pool.caseOptions.Store(3, Option(1, {0, 3, 2, 2, 5, 5, 3, 0, 0}));
  pool.caseOptions.Store(4, Option(1, {0, 0, 0, 0, 4, 2, 4, 0, 0}));
  pool.caseOptions.Store(5, Option(1, {0, 0, 0, 0, 0, 3, 0, 0, 0}));
  pool.loads.Store(1, Load(2));  // enumerated after 3: not the first static
  pool.loads.Store(3, Load(1));
  pool.loads.Store(2, Load(3, "A", 2));
  pool.loads.Store(4, Load(4, "B", 0));
  T_LOAD_D empty = Load(5, "C", 3);  // no structural load: no entry
  pool.loads.Store(5, empty);
  pool.loads.Store(6, Load(5, "D", 1));
  // Order 5, 3, 1, 6, 4, 2.
  EXPECT_EQ(kAnalTypeHeader +
                "  NAME=ANALTYPE3, STATIC,\n"
                "           YES\n"
                "  NAME=ANALTYPE6, TH, \n"
                "       D, NONE, NONE, NONE, , \n"
                "       MULT1, , 0, 0, , NO\n"
                "  NAME=ANALTYPE4, TH, \n"
                "       B, NONE, NONE, NONE, , SD\n"
                "       MULT, NIGA, 0, 0, , NO\n"
                "  NAME=ANALTYPE2, TH, \n"
                "       A, NONE, COMP, STRA, GRD, TGFC\n"
                "       MULT3, DUHA, 0, 0, , NO\n"
                "\n",
            SectionText(pool, "*HVX-ANALTYPE"));
}

TEST(HvxEigenCtrl, SearchOrderAndDefaults) {
  struct Case {
    const char* name;
    std::vector<std::pair<int32_t, T_LCOP_D>> options;
    std::vector<std::pair<int32_t, T_LOAD_D>> loads;
    const char* line;  // "" when no section is expected
  };
  T_LCOP_D modal = Option(2);
  modal.freqShift = 0.5, modal.fileCount = 12, modal.nEigen = 8;
  T_LCOP_D dyn = Option(1);
  dyn.printCount = 7, dyn.iterLimit = 30, dyn.tol = 1e-8, dyn.nEigen = 4;
  const std::vector<Case> cases = {
      // Load set 1 (type 1) is enumerated before 2 (type 2); type 2 wins.
      {"TypeTwoFirst", {{1, dyn}, {2, modal}}, {{1, Load(1)}, {2, Load(2)}}, " 0.5, 8, 12, 10, 1.000000e-06\n"},
      {"TypeOne", {{1, dyn}, {2, Option(3)}}, {{2, Load(2, "", 3)}, {1, Load(1)}}, " 0, 7, 50, 30, 1.000000e-08\n"},
      // A dynamic load set without option record: all values 0.
      {"DynamicWithoutOption", {{2, Option(3)}}, {{1, Load(2)}, {2, Load(9, "", 1)}}, " 0, 50, 50, 10, 1.000000e-06\n"},
      {"NothingFound", {{2, Option(3)}}, {{1, Load(2)}}, ""},
  };
  for (const Case& c : cases) {
    CDataPool pool;
    pool.readMode = 1;
    for (const auto& [id, o] : c.options) pool.caseOptions.Store(id, o);
    for (const auto& [id, l] : c.loads) pool.loads.Store(id, l);
    EXPECT_EQ(*c.line ? std::string("*HVX-EIGEN-CTRL\n") + c.line + "\n" : "", SectionText(pool, "*HVX-EIGEN-CTRL"))
        << c.name;
  }
}

TEST(HvxConstraint, FreedomTextEmptyBeforeAnyAndNoSectionWithoutEquations) {
  CDataPool pool;
  pool.readMode = 1;
  T_CNST_D s;
  s.eqs = {T_CNEQ_D{1, 0, 0, {{7, 8, 1.0}, {8, 0, 3.0}}}};
  pool.constraints.Store(4, s);
  EXPECT_NE(std::string::npos, WritePool(pool).qsx.find("MPC1, 7, , \n 3, YES, 8, , 3, \n\n"));

  CDataPool none;
  none.readMode = 1;
  none.constraints.Store(4, T_CNST_D{});
  EXPECT_EQ(std::string::npos, WritePool(none).qsx.find("*HVX-CONSTRAINT"));
}

TEST(HvxSections, ReadModeZeroWritesNone) {
  CDataPool pool;
  pool.readMode = 0;
  pool.caseOptions.Store(1, Option(2));
  T_LOAD_D l = Load(1);
  l.nonlinear = 1;
  pool.loads.Store(1, l);
  T_CNST_D s;
  s.eqs = {T_CNEQ_D{1, 0, 0, {{7, 1, 1.0}}}};
  pool.constraints.Store(1, s);
  EXPECT_EQ(std::string::npos, WritePool(pool).qsx.find("*HVX-"));
}

}  // namespace
