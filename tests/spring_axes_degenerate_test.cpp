// General springs whose direction has no plan component: the local axis is
// written as computed, with P2 on P1 (node 2 straight above or below node 1)
// or V2 equal to V1 (a vertical orientation vector).
#include <gtest/gtest.h>

#include <string>

#include "tests/testutil.h"
#include "writer/writer.h"

using hvxtest::ReadFile;
using hvxtest::TempDir;

namespace {

TEST(SpringAxesDegenerate, VerticalSpringsWriteAxesAsComputed) {
  CDataPool pool;
  const double pos[][3] = {{1, 2, 0}, {1, 2, 3}, {1, 2, -4}};
  for (int i = 0; i < 3; ++i) {
    T_NODS_D n;
    for (int k = 0; k < 3; ++k) n.pos[k] = pos[i][k];
    pool.nodes.Store(i + 1, n);
  }
  T_PROP_D p;
  p.type = 81;
  p.flag[0] = 1;
  p.title = "Pile";
  pool.properties.Store(1, p);
  auto spring = [&](int32_t id, int32_t n1, int32_t n2, double vx, double vy, double vz) {
    T_ELEM_D e;
    e.type = 81;
    e.topo = 9;
    e.prop = 1;
    e.node[0] = n1;
    e.node[1] = n2;
    e.orient[0] = vx;
    e.orient[1] = vy;
    e.orient[2] = vz;
    pool.elements.Store(id, e);
  };
  spring(3, 1, 2, 0, 0, 0);   // node 2 above node 1: plan direction (0, 0)
  spring(4, 1, 3, 0, 0, 0);   // node 2 below node 1
  spring(5, 2, 0, 0, 0, -2);  // vertical orientation vector

  TempDir dir;
  CWriteQsxFromNeutral w;
  w.Write(dir.File("model.hvt"), &pool);
  const std::string qsx = ReadFile(dir.File("model.qsx"));
  // P2 = P1 + (-(2 - 2), 1 - 1, 0) = P1; V2 = (0 - 0, 0 + 0, -2) = V1.
  const std::string expected =
      "*LOCALAXIS    ; Node Local Axis\n"
      "; NODE_LIST, iMETHOD, ANGLE-x, ANGLE-y, ANGLE-z                    ; iMETHOD=1\n"
      "; NODE_LIST, iMETHOD, P0X, P0Y, P0Z, P1X, P1Y, P1Z, P2X, P2Y, P2Z  ; iMETHOD=2\n"
      "; NODE_LIST, iMETHOD, V1X, V1Y, V1Z, V2X, V2Y, V2Z                 ; iMETHOD=3\n"
      " 1, 2, 1, 2, 0, 1, 2, 3, 1, 2, 3\n"
      " 1, 2, 1, 2, 0, 1, 2, -4, 1, 2, -4\n"
      " 2, 3, 0, 0, -2, 0, 0, -2\n"
      "\n";
  EXPECT_NE(std::string::npos, qsx.find(expected)) << qsx;
  EXPECT_NE(std::string::npos,
            qsx.find("*GSPRING    ; General Spring Supports\n; NODE_LIST, TYPE-NAME, GROUP\n"
                     " 1, Pile,  \n 1, Pile,  \n 2, Pile,  \n\n"));
}

}  // namespace
