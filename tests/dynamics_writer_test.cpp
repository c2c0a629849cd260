// Eigenvalue, spectrum and time-history sections, their loads, group damping
// and history output, each written alone from records built here. Header
// comment lines are left out of the comparisons (the golden cases pin them).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

using SectionWriter = int (CWriteQsxFromNeutral::*)();

// Runs one section writer on the pool and returns its text without comment
// lines. A whole Write first hands the pool to the writer (its write log is
// returned in *log); then only the one section is written into a file of its own.
std::string RunSection(CDataPool& pool, SectionWriter section, const std::vector<T_BNDRGRP_D>& bndr = {},
                       std::string* log = nullptr) {
  TempDir dir;
  CWriteQsxFromNeutral w(hvx::DefaultEnv());
  w.Write(dir.File("model.hvt"), &pool);
  if (log) *log = ReadFile(dir.File("halvexcvt.msg"));
  w.BoundaryGroups() = bndr;
  w.OutSink().Attach(hvx::DefaultEnv().CreateFile(dir.File("one.qsx")));
  EXPECT_EQ(1, (w.*section)());
  w.OutSink().Close();
  return WithoutComments(ReadFile(dir.File("one.qsx")));
}

#define EXPECT_TEXT(expected, actual)                          \
  do {                                                         \
    const std::string e_ = (expected), a_ = (actual);          \
    EXPECT_EQ(e_, a_) << FirstDifference(e_, a_);              \
  } while (0)

T_LOAD_D Load(const char* title, int dyn, int lcop, int nonlinear = 0) {
  T_LOAD_D l;
  l.title = title;
  l.dynCode = dyn;
  l.lcop = lcop;
  l.nonlinear = nonlinear;
  return l;
}

T_LCOP_D Option(int caseType, int damp = 0, int initLoad = 0) {
  T_LCOP_D o;
  o.caseType = caseType;
  o.dampMethod = damp;
  o.initLoad = initLoad;
  return o;
}

T_MBLD_D Entry(int kind, std::vector<int> flags, std::vector<int> funcs, double val1 = 0.0) {
  T_MBLD_D e;
  e.kind = kind;
  for (int d = 0; d < 3; ++d) {
    e.dir[d] = flags[d];
    e.l3[d] = funcs[d];
  }
  e.val[0] = val1;
  return e;
}

T_FUNC_D Func(int type, const char* title, std::vector<double> args, std::vector<double> values) {
  T_FUNC_D f;
  f.type = type;
  f.title = title;
  f.arg = std::move(args);
  f.value = std::move(values);
  for (size_t i = 0; i < f.arg.size(); ++i) f.pointNo.push_back(static_cast<int32_t>(i + 1));
  return f;
}

const std::string kVersionBack = "*VERSION\n  6.4.1\n\n";

// ---- *EIGEN-CTRL -----------------------------------------------------------

const std::string kEigenHead = "*EIGEN-CTRL    ; Eigenvalue Analysis Control\n";

TEST(EigenControl, CaseTypeTwoBeatsOneAndEnumerationOrderDecides) {
  CDataPool pool;
  T_LCOP_D one = Option(1);
  one.nEigen = 12;
  one.iterLimit = 30;
  one.tol = 1e-8;
  T_LCOP_D twoA = Option(2);
  twoA.nEigen = 7;
  T_LCOP_D twoB = Option(2);  // all zero: the defaults
  pool.caseOptions.Store(1, one);
  pool.caseOptions.Store(2, twoA);
  pool.caseOptions.Store(3, twoB);
  pool.loads.Store(2, Load("", 1, 1));  // type 1, enumerated before both type 2 sets
  pool.loads.Store(1, Load("", 0, 2));  // enumerated after 3 (buckets 41 and 22)
  pool.loads.Store(3, Load("", 0, 3));
  EXPECT_TEXT(kEigenHead + "EIGEN, 50, 20, 1, 1e-10\n\n", RunSection(pool, &CWriteQsxFromNeutral::WriteEigenControl));
}

TEST(EigenControl, FallsBackToTypeOneThenToAnyDynamicLoad) {
  CDataPool pool;
  T_LCOP_D one = Option(1);
  one.nEigen = 12;
  one.iterLimit = 30;
  one.tol = 1e-8;
  pool.caseOptions.Store(1, one);
  pool.caseOptions.Store(3, Option(3));
  pool.loads.Store(5, Load("", 0, 3));
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteEigenControl));  // static only
  pool.loads.Store(6, Load("", 2, 99));  // missing option: its values read as 0
  EXPECT_TEXT(kEigenHead + "EIGEN, 50, 20, 1, 1e-10\n\n", RunSection(pool, &CWriteQsxFromNeutral::WriteEigenControl));
  pool.loads.Store(7, Load("", 0, 1));
  EXPECT_TEXT(kEigenHead + "EIGEN, 12, 30, 1, 1e-08\n\n", RunSection(pool, &CWriteQsxFromNeutral::WriteEigenControl));
}

// ---- *SPEC-CTRL ------------------------------------------------------------

TEST(SpectrumControl, FirstSpectrumLoadInEnumerationOrderGivesTheMethod) {
  CDataPool pool;
  T_LCOP_D srss = Option(1), cqc = Option(1);
  srss.combMethod = 1;
  cqc.combMethod = 2;
  pool.caseOptions.Store(1, srss);
  pool.caseOptions.Store(2, cqc);
  pool.loads.Store(2, Load("", 1, 1));
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumControl));
  pool.loads.Store(1, Load("", 3, 1));
  pool.loads.Store(3, Load("", 3, 2));  // bucket 22, before 1 (bucket 41)
  const std::string head = "*SPEC-CTRL    ; Response Spectrum Analysis Control\n";
  EXPECT_TEXT(head + " CQC, NO, 0\n\n", RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumControl));
  pool.loads.Store(3, Load("", 3, 9));  // missing option: empty method
  EXPECT_TEXT(head + " , NO, 0\n\n", RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumControl));
}

// ---- *SFUNCTION ------------------------------------------------------------

// Load 6 is visited after load 5 (ascending ids). The unflagged first entry
// of load 5 names no function (not function 0); an X flag of 2 is not set.
TEST(SpectrumFunction, DampingRatioOfTheFirstEntryNamingTheFunction) {
  CDataPool pool;
  pool.functions.Store(1, Func(18, "", {}, {}));
  pool.functions.Store(2, Func(18, "SA", {}, {}));
  pool.functions.Store(3, Func(17, "MODES", {1}, {0.02}));
  pool.functions.Store(0, Func(18, "Z0", {}, {}));
  T_LOAD_D a = Load("", 3, 0);
  a.mbld = {Entry(0, {0, 0, 0}, {0, 0, 0}, 0.9), Entry(0, {1, 0, 0}, {2, 0, 0}, 0.05),
            Entry(0, {0, 0, 0}, {1, 1, 1}, 0.07)};
  T_LOAD_D b = Load("", 3, 0);
  b.mbld = {Entry(0, {2, 0, 1}, {2, 2, 1}, 0.03)};
  T_LOAD_D c = Load("", 1, 0);  // not a spectrum load set
  c.mbld = {Entry(0, {1, 0, 0}, {0, 0, 0}, 0.5)};
  pool.loads.Store(6, b);
  pool.loads.Store(5, a);
  pool.loads.Store(4, c);
  // Enumeration order 0, 3 (not written), 2, 1.
  EXPECT_TEXT(
      "*SFUNCTION    ; Specturm Function\n"
      "FUNC=Z0, 2, 0, 1, 0, 0, \n"
      "FUNC=SA, 2, 0, 1, 0, 0.05, \n"
      "FUNC=SFUNC1, 2, 0, 1, 0, 0.03, \n"
      "\n",
      RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumFunction));
  CDataPool noSpectra;
  noSpectra.functions.Store(1, Func(22, "ACC", {0}, {1}));
  EXPECT_EQ("", RunSection(noSpectra, &CWriteQsxFromNeutral::WriteSpectrumFunction));
}

// ---- *SPLDCASE -------------------------------------------------------------

const std::string kSpectrumHead = "*VERSION\n  6.7.0\n\n*SPLDCASE    ; Spectrum Load Cases\n";

TEST(SpectrumLoadCase, VersionPairOnlyWhenLoadSetsExist) {
  CDataPool pool;
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumLoadCase));
  pool.loads.Store(1, Load("", 1, 0));
  EXPECT_EQ(kVersionBack, RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumLoadCase));
}

struct ModalCase {
  const char* what;
  T_FUNC_D func;       // stored as function 7 unless its type is 0
  std::string line3;
};

class SpectrumModalDamping : public ::testing::TestWithParam<ModalCase> {};

TEST_P(SpectrumModalDamping, LineThree) {
  SCOPED_TRACE(GetParam().what);
  CDataPool pool;
  pool.caseOptions.Store(1, Option(1, 1));
  if (GetParam().func.type != 0) pool.functions.Store(7, GetParam().func);
  T_LOAD_D l = Load("EQ", 3, 1);
  l.M[0] = 0.04;
  l.Q[1] = 7;
  l.mbld = {Entry(0, {0, 0, 1}, {0, 0, 3})};
  pool.loads.Store(1, l);
  EXPECT_TEXT(kSpectrumHead + "NAME=EQ, Z, 0., 1, 1, YES, NO, LOG, \n SFUNC3\n" + GetParam().line3 + "\n" +
                  kVersionBack,
              RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumLoadCase));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpectrumModalDamping,
    ::testing::Values(
        ModalCase{"missing function", T_FUNC_D{}, "     YES, 1, 0.04, \n"},
        ModalCase{"function of another type", Func(18, "", {1}, {0.1}), "     YES, 1, 0.04, \n"},
        ModalCase{"no points", Func(17, "", {}, {}), "     YES, 1, 0.04, \n"},
        ModalCase{"four points", Func(17, "", {1, 2, 3, 4.99}, {0.02, 0.03, 0.04, 0.05}),
                  "     YES, 1, 0.04,  1, 0.02,\n 2, 0.03,\n 3, 0.04,\n 4, 0.05,\n"},
        ModalCase{"seven points", Func(17, "", {1, 2, 3, 4, 5, 6, 7}, {1, 2, 3, 4, 5, 6, 7}),
                  "     YES, 1, 0.04,  1, 1,\n 2, 2,\n 3, 3,\n 4, 4,\n 5, 5,\n 6, 6,\n 7, 7,\n"}),
    [](const auto& i) { return "Case" + std::to_string(i.index); });

// Entries without a set flag carry the previous function (0 before any) and
// write no line 1; a missing option record means no damping.
TEST(SpectrumLoadCase, EntriesWithoutFlagsAndLoadSetsWithoutEntries) {
  CDataPool pool;
  pool.functions.Store(2, Func(18, "SA", {}, {}));
  T_LOAD_D a = Load("", 3, 99);
  a.mbld = {Entry(0, {0, 0, 0}, {2, 2, 2}), Entry(0, {1, 1, 0}, {2, 0, 0})};
  T_LOAD_D b = Load("B", 3, 99);  // no entries: opens the section all the same
  T_LOAD_D c = Load("C", 3, 99);
  c.mbld = {Entry(0, {2, 0, 0}, {2, 0, 0})};
  pool.loads.Store(1, a);
  pool.loads.Store(2, b);
  pool.loads.Store(3, c);
  EXPECT_TEXT(kSpectrumHead + " SFUNC0\nNAME=SPLCD1-1, XY, 0., 1, 1, NO, NO, LOG, \n SA\n SA\n\n" + kVersionBack,
              RunSection(pool, &CWriteQsxFromNeutral::WriteSpectrumLoadCase));
}

// ---- *TFUNCTION --------------------------------------------------------------

const std::string kTimeFunctionHead = "*TFUNCTION    ; Time History Function\n";

TEST(TimeFunction, WritesTypes21To23InEnumerationOrder) {
  CDataPool pool;
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteTimeFunction));
  pool.functions.Store(1, Func(21, "", {1}, {2}));
  pool.functions.Store(2, Func(22, "ACC", {0, 0.1, 0.2}, {0, 0.5, 0}));
  pool.functions.Store(3, Func(23, "", {}, {}));
  pool.functions.Store(4, Func(20, "NOT", {0}, {0}));
  pool.functions.Store(5, Func(24, "NOT", {0}, {0}));
  // Enumeration order 4, 3, 2, 1, 5.
  EXPECT_TEXT(kTimeFunctionHead +
                  "FUNC=TFUNC3, 1, 4, 0, 1, 0, \n"
                  "FUNC=ACC, 1, 3, 0, 1, 0, \n"
                  "          0,            0,        0.1,          0.5\n"
                  "        0.2,            0\n"
                  "FUNC=TFUNC1, 1, 2, 0, 1, 0, \n"
                  "          1,            2\n"
                  "\n",
              RunSection(pool, &CWriteQsxFromNeutral::WriteTimeFunction));
}

// ---- *THLDCASE ---------------------------------------------------------------

const std::string kThHead = "*VERSION\n  6.7.0\n\n*THLDCASE   ; Time History Load Cases\n";

TEST(TimeHistoryLoadCase, VersionPairOnlyWhenLoadSetsExist) {
  CDataPool pool;
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteTimeHistoryLoadCase));
  pool.caseOptions.Store(1, Option(3));
  pool.loads.Store(1, Load("DEAD", 0, 1));
  pool.loads.Store(2, Load("EQ", 1, 2));  // option missing
  EXPECT_EQ(kVersionBack, RunSection(pool, &CWriteQsxFromNeutral::WriteTimeHistoryLoadCase));
}

TEST(TimeHistoryLoadCase, CarriedValuesAndSkippedLoadSets) {
  CDataPool pool;
  pool.caseOptions.Store(20, Option(1, 0));
  pool.caseOptions.Store(21, Option(3));
  pool.caseOptions.Store(22, Option(1, 4));
  pool.caseOptions.Store(23, Option(1, 7));
  pool.caseOptions.Store(24, Option(2, 1));

  T_LOAD_D a = Load("A", 1, 20, 2);  // nonlinear 2 keeps iATYPE 1; damping code 0 keeps iMDTYPE 1
  a.S[0] = 5;
  a.Q[3] = 10;
  a.M[5] = 0.1;
  a.M[0] = 0.05;
  a.M[9] = 0.3;
  pool.loads.Store(1, a);
  T_LOAD_D b = Load("B", 0, 21, 1);
  b.S[0] = 2;
  b.N[5] = 5;
  b.P[10] = 3;
  b.P[11] = 1;
  b.L[6] = 0.01;
  b.P[12] = 7;
  b.L[8] = 1;
  b.L[9] = 1;  // the first unit component decides: Y
  pool.loads.Store(2, b);
  T_LOAD_D c = Load("C", 0, 21, 3);
  c.N[5] = 4;
  c.P[10] = 1;
  c.L[6] = 0.02;
  c.P[12] = 8;
  c.L[7] = 0.5;
  c.L[9] = -1;  // no unit component: keeps Y
  pool.loads.Store(3, c);
  T_LOAD_D d = Load("D", 1, 22, 7);  // nonlinear 7 keeps iATYPE 2
  d.Q[3] = 3;
  d.M[5] = 0.5;
  d.M[9] = 0.25;
  d.R[2] = 1;
  d.P[0] = 9;
  pool.loads.Store(4, d);
  T_LOAD_D e = Load("E", 2, 23, 0);  // damping code 7 keeps iMDTYPE 4
  e.S[0] = 1;
  e.Q[3] = 100;
  e.M[5] = 0.01;
  pool.loads.Store(5, e);
  pool.loads.Store(6, Load("X6", 1, 24));     // case type 2
  pool.loads.Store(7, Load("X7", 3, 20));     // spectrum
  pool.loads.Store(8, Load("X8", 0, 20));     // linear without dynamics
  pool.loads.Store(9, Load("X9", 1, 99));     // option missing
  T_LOAD_D f = Load("F", 0, 21, 1);
  f.P[0] = 30;
  pool.loads.Store(10, f);

  std::string log;
  EXPECT_TEXT(kThHead +
                  "NAME=A, \n"
                  "  1, 2, 1, 1, 0.1, 1, NO\n"
                  " 1, 0.05,  3, 0.5, 0.3,  , , , , , , , , , , \n"
                  "NAME=B, \n"
                  "  2, 3, 2, 5, 0, 1, NO\n"
                  " 1, NO,  1, 0.01, 7, 2,  NO, YES, 2, 0, NO, 0.001, NO, 0.001, NO, 0.001, NO\n"
                  "NAME=C, \n"
                  "  2, 3, 2, 4, 0, 1, NO\n"
                  " 1, NO,  0, 0.02, 8, 2,  NO, YES, 2, 0, NO, 0.001, NO, 0.001, NO, 0.001, NO\n"
                  "NAME=D, \n"
                  "  2, 2, 2, 1.5, 0.5, 1, NO\n"
                  " 4,  3, 0.5, 0.25,  YES, YES, 1e-005, 9, NO, 0.001, NO, 0.001, YES, 0.001, NO\n"
                  "NAME=E, \n"
                  "  1, 1, 1, 1, 0.01, 1, NO\n"
                  " 4,  , , ,  , , , , , , , , , , \n"
                  "NAME=F, \n"
                  "  2, 3, 1, 0, 0, 1, NO\n"
                  " 0, NO, 1,  NO, YES, 2, 30, NO, 0.001, NO, 0.001, NO, 0.001, NO\n" +
                  kVersionBack + "\n",
              RunSection(pool, &CWriteQsxFromNeutral::WriteTimeHistoryLoadCase, {}, &log));
  EXPECT_EQ("", log);  // damping code 4 of a direct-integration case is no message
}

TEST(TimeHistoryLoadCase, MissingInitialLoadSetIsNamedAfterItsNumber) {
  CDataPool pool;
  pool.caseOptions.Store(1, Option(1, 1, 42));
  T_LOAD_D l = Load("EQ", 1, 1);
  l.M[0] = 0.05;
  pool.loads.Store(3, l);
  EXPECT_TEXT(kThHead +
                  "NAME=EQ, \n"
                  "  1, 2, 1, 0, 0, 1, YES, NO, TH,  THLDC42, YES, NO\n"
                  " 1, 0.05,  3, 0.5, 0,  , , , , , , , , , , \n" +
                  kVersionBack + "\n",
              RunSection(pool, &CWriteQsxFromNeutral::WriteTimeHistoryLoadCase));
}

// ---- *DYN-SLOAD of nonlinear static cases -------------------------------------

TEST(NonlinearStaticLoad, OneRowPerNonlinearStaticCase) {
  CDataPool pool;
  pool.caseOptions.Store(1, Option(3));
  pool.caseOptions.Store(2, Option(1));
  pool.loads.Store(4, Load("", 0, 1, 1));
  pool.loads.Store(2, Load("W", 0, 1, 1));
  pool.loads.Store(3, Load("N3", 0, 1, 3));   // not exactly 1
  pool.loads.Store(5, Load("D5", 1, 1, 1));   // dynamic
  pool.loads.Store(6, Load("M6", 0, 9, 1));   // option missing
  pool.loads.Store(7, Load("T7", 0, 2, 1));   // case type 1
  pool.loads.Store(8, Load("L8", 0, 1, 0));   // linear
  pool.readMode = 1;
  EXPECT_TEXT(kTimeFunctionHead +
                  "FUNC=InitialLoad_NL, 1, 5, 0, 1, 0, \n"
                  " 0, 0, 5, 1\n"
                  " 10, 1\n"
                  "\n"
                  "*DYN-SLOAD    ; Time Varying Static Load\n"
                  " W, W_NL, InitialLoad_NL, 0, 1\n"
                  " THLDC4, STLD_NL4, InitialLoad_NL, 0, 1\n"
                  "\n",
              RunSection(pool, &CWriteQsxFromNeutral::WriteNonlinearStaticLoad));
  pool.readMode = 0;
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteNonlinearStaticLoad));
}

// ---- *GROUND-ACC and *DYN-NLOAD ------------------------------------------------

T_MBLD_D TimeLoad(int kind, int target, std::vector<int> flags, std::vector<int> funcs, int isScale, double amp) {
  T_MBLD_D e = Entry(kind, flags, funcs);
  e.target = target;
  e.extInt = isScale;
  e.extFactor = amp;
  return e;
}

void TimeLoadPool(CDataPool& pool) {
  pool.functions.Store(5, Func(22, "ACC", {0, 1, 2}, {0, 0.5, -0.25}));
  pool.functions.Store(6, Func(22, "", {0, 1}, {-4, 2}));
  T_LOAD_D eq = Load("EQ", 1, 0);
  eq.mbld = {TimeLoad(52, 0, {1, 0, 1}, {5, 0, 6}, 0, 1), TimeLoad(51, 12, {2, 0, 0}, {5, 0, 0}, 0, 1),
             TimeLoad(52, 0, {0, 1, 0}, {0, 9, 0}, 1, 3), TimeLoad(51, 13, {7, 0, 0}, {9, 0, 0}, 1, 4)};
  pool.loads.Store(3, eq);
  T_LOAD_D one = Load("", 2, 0);
  one.mbld = {TimeLoad(52, 0, {0, 0, 0}, {5, 5, 5}, 0, 1), TimeLoad(51, 5, {0, 0, 0}, {6, 0, 0}, 0, 1)};
  pool.loads.Store(1, one);
  T_LOAD_D stat = Load("S", 0, 0);
  stat.mbld = {TimeLoad(52, 0, {1, 1, 1}, {5, 5, 5}, 0, 1), TimeLoad(51, 9, {1, 0, 0}, {5, 0, 0}, 0, 1)};
  pool.loads.Store(2, stat);
  T_LOAD_D w = Load("W", 1, 0);
  w.mbld = {TimeLoad(51, 1, {3, 0, 0}, {5, 0, 0}, 0, 1)};
  pool.loads.Store(4, w);
  T_LOAD_D missing = Load("", 1, 0);
  missing.mbld = {TimeLoad(52, 0, {1, 0, 0}, {77, 0, 0}, 0, 2)};
  pool.loads.Store(5, missing);
}

TEST(GroundAcc, OneLinePerLoadSetInEnumerationOrder) {
  CDataPool pool;
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteGroundAcc));
  TimeLoadPool(pool);
  // Enumeration order 5, 3, 1, 4, 2.
  EXPECT_TEXT(
      "*GROUND-ACC    ; Ground Acceleration\n"
      " THLDC5, TFUNC77, -2e-28, 0, , 0, 0, , 0, 0, 0\n"
      " EQ, ACC, 2, 0, TFUNC9, 3, 0, TFUNC6, 0.25, 0, 0\n"
      " THLDC1, , 0, 0, , 0, 0, , 0, 0, 0\n"
      "\n",
      RunSection(pool, &CWriteQsxFromNeutral::WriteGroundAcc));
}

TEST(DynNodalLoad, RowsInAscendingOrderWithCarriedDirection) {
  CDataPool pool;
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteDynNodalLoad));
  TimeLoadPool(pool);
  EXPECT_TEXT(
      "*DYN-NLOAD    ; Dynamic Nodal Loads\n"
      " 5, THLDC1, TFUNC6, , 0, 0.25 \n"
      " 12, EQ, ACC, Y, 0, 2 \n"
      " 13, EQ, TFUNC9, Y, 0, 4 \n"
      " 1, W, ACC, Z, 0, 2 \n"
      "\n",
      RunSection(pool, &CWriteQsxFromNeutral::WriteDynNodalLoad));
}

// ---- *GROUP-DAMP -------------------------------------------------------------

T_GRUP_D Group(const char* title, double damp, double mass, double stiff, std::vector<int> ruleTypes) {
  T_GRUP_D g;
  g.title = title;
  g.damp = damp;
  g.massC = mass;
  g.stiffC = stiff;
  for (int t : ruleTypes) g.rules.push_back(T_RDAT_D{t, {}});
  return g;
}

TEST(GroupDamping, OneLineWithStructureAndBoundaryParts) {
  CDataPool pool;
  pool.groups.Store(1, Group("Core", 0.05, 0, 0, {17}));
  pool.groups.Store(2, Group("", 0, 0.1, 0, {3, 21}));
  pool.groups.Store(3, Group("Zero", 0, 0, 0, {17, 21}));
  pool.groups.Store(4, Group("NoRule", 0.02, 0, 0, {5}));
  const std::vector<T_BNDRGRP_D> bndr = {{"Other", {1}}, {"bndr group 2", {2}}, {"CORE", {3}}, {"Core", {4}}};
  // Enumeration order 4, 3, 2, 1.
  EXPECT_TEXT(
      "*GROUP-DAMP    ; Group Damping\n"
      " 0, 0, 0, YES, Strt Group 2, STRUCTURE, 0, 0.1, 0, Bndr Group 2, BOUNDARY, 0, 0.1, 0"
      ", Core, STRUCTURE, 0.05, 0, 0, Core, BOUNDARY, 0.05, 0, 0\n\n",
      RunSection(pool, &CWriteQsxFromNeutral::WriteGroupDamping, bndr));
}

TEST(GroupDamping, NothingWhenNoGroupTakesPart) {
  CDataPool pool;
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteGroupDamping));
  pool.groups.Store(3, Group("Zero", 0, 0, 0, {17, 21}));
  pool.groups.Store(4, Group("NoRule", 0.02, 0, 0, {5}));
  EXPECT_EQ("", RunSection(pool, &CWriteQsxFromNeutral::WriteGroupDamping));
  pool.groups.Store(5, Group("", 0, 0, -1e-9, {21}));
  EXPECT_TEXT(
      "*GROUP-DAMP    ; Group Damping\n"
      " 0, 0, 0, YES, Strt Group 5, STRUCTURE, 0, 0, -1e-09\n\n",
      RunSection(pool, &CWriteQsxFromNeutral::WriteGroupDamping));
}

// ---- History output ------------------------------------------------------------


T_THGR_D Rec(int cls, int type, const char* name, std::vector<int> k, int loadSet = 3,
             std::vector<double> r = {0, 0, 0}) {
  T_THGR_D h;
  h.cls = cls;
  h.type = type;
  h.loadSet = loadSet;
  h.name = name;
  for (int i = 0; i < 6; ++i) h.k[i] = i < static_cast<int>(k.size()) ? k[i] : 0;
  for (int i = 0; i < 3; ++i) h.r[i] = r[i];
  return h;
}

TEST(HistoryOutput, RecordOfAnotherClassStillOpensTheGraphSection) {
  CDataPool pool;
  pool.histories = {Rec(2, 1, "X", {})};
  EXPECT_TEXT("*TH-GRAPH\n\n", RunSection(pool, &CWriteQsxFromNeutral::WriteHistoryOutput));
  pool.histories = {Rec(1, 100, "A", {}, 5, {0, 1, 0.01})};
  EXPECT_TEXT("*TH-ANITIME\n THLDC5, 0, 1, 0.01\n\n",
              RunSection(pool, &CWriteQsxFromNeutral::WriteHistoryOutput));
}

}  // namespace
