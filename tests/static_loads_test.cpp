// The thermal coefficient that static element temperatures leave in the
// materials (a pool change no single written section shows alone). The
// static load sections are model cases (tests/model_cases/writer_static_loads.txt).
#include <gtest/gtest.h>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvx;

using namespace hvxtest;

TEST(ElementTemperatureAdjustment, StaticCasesSetTheThermalCoefficient) {
  CDataPool pool;
  pool.readMode = 1;
  T_LCOP_D st, th;
  st.caseType = 3;
  th.caseType = 1;
  pool.caseOptions.Store(1, st);
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
  set(9, 1, 0, 7, 2e-05);   // visited after 2 in number order (not in bucket order): its value wins
  set(2, 1, 0, 7, 3e-05);
  set(5, 2, 0, 8, 4e-05);   // case type 1: no change
  set(6, 1, 1, 8, 5e-05);   // dynamic load set: no change
  set(3, 1, 0, 99, 6e-05);  // missing element: material 0 is created
  WritePool(pool);
  EXPECT_EQ(2e-05, Get(pool.materials, 3).value[36]);
  EXPECT_EQ(1e-05, Get(pool.materials, 5).value[36]);
  EXPECT_EQ(6e-05, Get(pool.materials, 0).value[36]);
  EXPECT_EQ(0, Get(pool.materials, 0).head[2]);
}
