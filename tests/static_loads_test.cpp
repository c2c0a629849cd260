// Static load cases: selection and naming, thresholds and empty blocks, every
// face of the solid face finder, beam-load corner cases and the temperature
// adjustment of materials (the golden cases cover the ordinary loads). Pools
// are built directly; only the static-case sections of the text are compared,
// without header comment lines (the golden cases pin those).
#include <gtest/gtest.h>

#include <limits>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

std::string StaticSections(const std::string& qsx) {
  return KeepSections(qsx, {"*STLDCASE", "*USE-STLD", "*CONLOAD", "*PRESSURE", "*PRESTRESS", "*SELFWEIGHT",
                            "*BEAMLOAD", "*BSTEMPER", "*ELTEMPER", "*SPDISP"});
}

// A linear static load set on option 1 (case type 3).
T_LOAD_D StaticSet(const char* title = "") {
  T_LOAD_D l;
  l.title = title;
  l.lcop = 1;
  return l;
}

T_MBLD_D Load(int32_t target, int32_t kind, std::initializer_list<double> vals) {
  T_MBLD_D m;
  m.target = target;
  m.kind = kind;
  int i = 0;
  for (double v : vals) m.val[i++] = v;
  return m;
}

class StaticLoads : public ::testing::Test {
 protected:
  void SetUp() override {
    pool.readMode = 1;
    T_LCOP_D opt;
    opt.caseType = 3;
    pool.caseOptions.Store(1, opt);
  }
  // The one case's block without its *USE-STLD line, end line and comment lines.
  std::string Blocks(const T_LOAD_D& set, std::string* log = nullptr) {
    pool.loads.Store(1, set);
    const Written w = WritePool(pool);
    if (log) *log = w.log;
    const std::string all = StaticSections(w.qsx);
    const std::string open = "*USE-STLD, STLD1\n\n";
    const std::string close = "; End of data for load case [STLD1] -------------------------\n\n";
    const size_t b = all.find(open), e = all.find(close);
    if (b == std::string::npos || e == std::string::npos) return "<no block>\n" + all;
    return WithoutComments(all.substr(b + open.size(), e - b - open.size()));
  }
  CDataPool pool;
};

const std::string kPressureHead = "*PRESSURE    ; Pressure Loads\n";
const std::string kBeamLoadHead = "*BEAMLOAD    ; Element Beam Loads\n";

}  // namespace

TEST_F(StaticLoads, SelectsAndNamesStaticCasesInAscendingOrder) {
  T_LCOP_D dyn;
  dyn.caseType = 1;
  pool.caseOptions.Store(2, dyn);
  T_LOAD_D l5 = StaticSet();
  pool.loads.Store(5, l5);
  T_LOAD_D l2 = StaticSet("DEAD");
  l2.nonlinear = 1;
  pool.loads.Store(2, l2);
  T_LOAD_D l3 = StaticSet();
  l3.nonlinear = 1;
  pool.loads.Store(3, l3);
  T_LOAD_D l9 = StaticSet("EQ");
  l9.dynCode = 1;  // case type 3 but a dynamic load set
  pool.loads.Store(9, l9);
  T_LOAD_D l7 = StaticSet("NOOPT");
  l7.lcop = 99;  // option record missing
  pool.loads.Store(7, l7);
  T_LOAD_D l4 = StaticSet("MODAL");
  l4.lcop = 2;
  pool.loads.Store(4, l4);
  T_LOAD_D l6 = StaticSet("LIVE");
  l6.nonlinear = 3;  // only 1 marks the nonlinear name
  pool.loads.Store(6, l6);
  const std::string end = " -------------------------\n\n";
  EXPECT_EQ("*STLDCASE\n"
            "DEAD_NL,  USER,  DEAD\n"
            "STLD_NL3,  USER,  \n"
            "STLD5,  USER,  \n"
            "LIVE,  USER,  LIVE\n"
            "\n"
            "*USE-STLD, DEAD_NL\n\n; End of data for load case [DEAD_NL]" + end +
            "*USE-STLD, STLD_NL3\n\n; End of data for load case [STLD_NL3]" + end +
            "*USE-STLD, STLD5\n\n; End of data for load case [STLD5]" + end +
            "*USE-STLD, LIVE\n\n; End of data for load case [LIVE]" + end,
            StaticSections(WritePool(pool).qsx));
}

TEST_F(StaticLoads, NoStaticCaseWritesNothing) {
  T_LOAD_D l = StaticSet("X");
  l.dynCode = 3;
  l.mbld.push_back(Load(1, 1, {1, 0, 0}));
  pool.loads.Store(1, l);
  EXPECT_EQ("", StaticSections(WritePool(pool).qsx));
}

TEST_F(StaticLoads, NodalForcesAndMomentsWithThreshold) {
  T_LOAD_D l = StaticSet();
  l.mbld.push_back(Load(3, 2, {0, 0, 2.5}));
  l.mbld.push_back(Load(1, 1, {0, 0, -10}));
  l.mbld.push_back(Load(2, 1, {0, 0, 1e-21}));
  l.mbld.push_back(Load(123456, 1, {1.5, -0.25, 1e-7}));
  l.mbld.push_back(Load(4, 99, {1, 1, 1}));  // unknown kind: ignored
  EXPECT_EQ("*CONLOAD\n"
            "    1,  0, 0, -10, 0, 0, 0\n"
            "123456,  1.5, -0.25, 1e-07, 0, 0, 0\n"
            "\n"
            "*CONLOAD\n"
            "    3,  0, 0, 0, 0, 0, 2.5\n"
            "\n",
            Blocks(l));
}

TEST_F(StaticLoads, MomentsOnlyStillWriteNoForceBlock) {
  T_LOAD_D l = StaticSet();
  l.mbld.push_back(Load(7, 2, {1e-21, 0, 0}));
  EXPECT_EQ("*CONLOAD\n\n", Blocks(l));
}

// Face numbers by topology and face nodes; slots hold node numbers 101..108.
TEST_F(StaticLoads, SolidFaceFinder) {
  const struct {
    int32_t topo;
    int32_t first, second;
    int face;
  } cases[] = {
      // tetrahedra: the second face node alone
      {6, 0, 101, 3}, {6, 0, 102, 4}, {10, 0, 103, 2}, {6, 0, 105, 1}, {6, 105, 104, 0}, {6, 101, 0, 0},
      // wedges: one node (second 0) or two nodes
      {7, 102, 0, 1}, {11, 105, 0, 2}, {7, 107, 0, 0},
      {7, 101, 105, 3}, {7, 102, 106, 4}, {11, 103, 104, 5}, {7, 101, 106, 5}, {7, 101, 102, 3}, {7, 104, 106, 5},
      {7, 101, 103, 5},
      // hexahedra
      {8, 101, 103, 1}, {12, 105, 107, 2}, {8, 101, 106, 3}, {8, 102, 107, 4}, {8, 103, 108, 5},
      {8, 104, 105, 6}, {8, 101, 102, 1}, {8, 101, 107, 0}, {8, 101, 0, 0}, {8, 101, 101, 1},
  };
  for (const auto& c : cases) {
    pool.elements.Store(1, Elem(31, c.topo, 0, {101, 102, 103, 104, 105, 106, 107, 108}));
    T_LOAD_D l = StaticSet();
    T_MBLD_D m = Load(1, 42, {1});
    m.dir[1] = c.first;
    m.dir[2] = c.second;
    l.mbld.push_back(m);
    EXPECT_EQ(kPressureHead + "1, PRES , SOLID, " + std::to_string(c.face) +
                  ", NORMAL, 0, 0, 0, NO, 0, 1, 0, 0, 0, \n\n",
              Blocks(l))
        << "topology " << c.topo << " nodes " << c.first << ", " << c.second;
  }
}

// A not-a-number magnitude (a field "nan" in the model file): a pressure is
// skipped only when its magnitude is at most 1e-20, so it is written; a nodal
// force is written only when its magnitude is greater than 1e-20, so it is not.
TEST_F(StaticLoads, NotANumberMagnitudes) {
  pool.elements.Store(5, Elem(15, 4, 0, {1, 2, 3, 4}));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  T_LOAD_D l = StaticSet();
  l.mbld.push_back(Load(5, 42, {nan, 0, 0, 0}));
  l.mbld.push_back(Load(5, 42, {0, 0, 0, 1e-21}));
  l.mbld.push_back(Load(3, 1, {0, nan, 0}));
  EXPECT_EQ("*CONLOAD\n"
            "\n" +
                kPressureHead + "5, PRES , PLATE, FACE, LZ, 0, 0, 0, NO, 0, nan, 0, 0, 0, \n\n",
            Blocks(l));
}

TEST_F(StaticLoads, BeamLoadsConcentratedAndDistributed) {
  pool.elements.Store(1, Elem(2, 0, 0, {1, 2}));
  pool.elements.Store(2, Elem(1, 0, 0, {1, 2}));
  pool.elements.Store(3, Elem(5, 0, 0, {1, 2}));
  T_LOAD_D l = StaticSet();
  auto beam = [&](int32_t elem, int32_t kind, int32_t dir, int32_t proj, std::initializer_list<double> v) {
    T_MBLD_D m = Load(elem, kind, v);
    m.dir[0] = dir;
    m.proj = proj;
    l.mbld.push_back(m);
  };
  beam(1, 41, 3, 0, {0, -10, 0, 7});       // D1 = D2 = 0: concentrated at 0
  beam(1, 41, 6, 1, {0, -10, 1, -12});     // D1 != D2, D2 != 0: distributed
  beam(1, 40, 1, 0, {0.5, 3, 0.5, 3});     // D1 = D2: concentrated
  beam(1, 40, 5, 2, {0.25, 3, 0.75, 4});   // distributed; projection 2 is NO
  beam(1, 41, 0, 0, {0.3, 1, 0, 0});       // D2 = 0: concentrated; code 0: empty DIR
  beam(1, 41, 7, 0, {0.3, 1, 0, 0});       // code 7: empty DIR
  beam(2, 41, 3, 0, {0, -1, 1, -1});       // truss: message, no line
  beam(2, 40, 3, 0, {0.5, 1, 0.5, 1});     // truss, concentrated: message too
  beam(3, 41, 3, 0, {0, -1, 1, -1});       // type 5: nothing
  beam(99, 41, 3, 0, {0, -1, 1, -1});      // missing element: nothing
  std::string log;
  EXPECT_EQ(kBeamLoadHead +
                "1, BEAM, CONLOAD, GZ, NO, 0, -10, 0, 0, 0, 0, 0, 0, \n"
                "1, BEAM, UNILOAD, LZ, YES, 0, -10, 1, -12, 0, 0, 0, 0, \n"
                "1, BEAM, CONMOMENT, GX, NO, 0.5, 3, 0, 0, 0, 0, 0, 0, \n"
                "1, BEAM, UNIMOMENT, LY, NO, 0.25, 3, 0.75, 4, 0, 0, 0, 0, \n"
                "1, BEAM, CONLOAD, , NO, 0.3, 1, 0, 0, 0, 0, 0, 0, \n"
                "1, BEAM, CONLOAD, , NO, 0.3, 1, 0, 0, 0, 0, 0, 0, \n"
                "\n",
            Blocks(l, &log));
  EXPECT_EQ("A beam load cannot be assigned to a truss element; skipped.\n"
            "A beam load cannot be assigned to a truss element; skipped.\n",
            log);
}

TEST_F(StaticLoads, BeamLoadOnTrussOnlyWritesTheHeader) {
  pool.elements.Store(2, Elem(1, 0, 0, {1, 2}));
  T_LOAD_D l = StaticSet();
  l.mbld.push_back(Load(2, 41, {0, -1, 1, -1}));
  EXPECT_EQ(kBeamLoadHead + "\n", Blocks(l));
}

TEST_F(StaticLoads, TemperatureBlocksOpenOnlyForTheirEntries) {
  pool.elements.Store(3, Elem(15, 4, 0, {1, 2, 3, 4}));
  T_LOAD_D l = StaticSet();
  T_ETLD_D e;
  e.elem = 3;
  e.layout = 2;
  e.t[0] = e.t[1] = 30;
  l.etld.push_back(e);
  EXPECT_EQ("*ELTEMPER    ; Element Temperatures\n\n", Blocks(l));
  l.etld[0].t[1] = 10;
  EXPECT_EQ("*BSTEMPER    ; Beam Section Temperature\n\n", Blocks(l));
}

TEST(ElementTemperatureAdjustment, StaticCasesSetTheThermalCoefficient) {
  CDataPool pool;
  pool.readMode = 1;
  T_LCOP_D st;
  st.caseType = 3;
  pool.caseOptions.Store(1, st);
  T_LCOP_D th;
  th.caseType = 1;
  pool.caseOptions.Store(2, th);
  T_ELEM_D e;
  e.type = 2;
  e.mat = 3;
  pool.elements.Store(7, e);
  e.mat = 5;
  pool.elements.Store(8, e);
  T_MATL601_D m;
  m.value[36] = 1e-05;
  pool.materials.Store(3, m);
  pool.materials.Store(5, m);
  auto set = [&](int32_t id, int32_t lcop, int32_t dyn, int32_t elem, double a) {
    T_LOAD_D l;
    l.lcop = lcop;
    l.dynCode = dyn;
    T_ETLD_D t;
    t.elem = elem;
    t.layout = 2;
    t.t[4] = a;
    l.etld.push_back(t);
    pool.loads.Store(id, l);
  };
  set(9, 1, 0, 7, 2e-05);  // visited after 4: its value wins
  set(4, 1, 0, 7, 3e-05);
  set(5, 2, 0, 8, 4e-05);  // case type 1: no change
  set(6, 1, 1, 8, 5e-05);  // dynamic load set: no change
  set(3, 1, 0, 99, 6e-05); // missing element: material 0 is created
  WritePool(pool);
  T_MATL601_D out;
  ASSERT_TRUE(pool.materials.Lookup(3, out));
  EXPECT_EQ(2e-05, out.value[36]);
  ASSERT_TRUE(pool.materials.Lookup(5, out));
  EXPECT_EQ(1e-05, out.value[36]);
  ASSERT_TRUE(pool.materials.Lookup(0, out));
  EXPECT_EQ(6e-05, out.value[36]);
  EXPECT_EQ(0, out.head[2]);
}
