// *NL-PROP, *HVX-NL-PROP and *NL-LINK written from records stored directly in
// a pool (every property layout is in the golden case link-property-layouts).
#include <gtest/gtest.h>

#include <string>

#include "tests/testutil.h"
#include "writer/writer.h"

using hvxtest::ReadFile;
using hvxtest::TempDir;

namespace {

std::string WritePool(CDataPool& pool) {
  TempDir dir;
  CWriteQsxFromNeutral w;
  w.Write(dir.File("model.hvt"), &pool);
  return ReadFile(dir.File("model.qsx"));
}

// Text from the line starting with `from` up to the line starting with `to`.
std::string Between(const std::string& qsx, const std::string& from, const std::string& to) {
  const size_t a = qsx.find("\n" + from);
  const size_t b = qsx.find("\n" + to, a + 1);
  if (a == std::string::npos || b == std::string::npos) return "";
  return qsx.substr(a + 1, b - a);
}

// A link property whose value-list entry n (from 1) is n.
T_PROP_D LinkProp(const char* title, int32_t app, int32_t type, int32_t lin, int32_t nl) {
  T_PROP_D p;
  p.type = 82;
  p.title = title;
  p.flag[0] = app;
  p.flag[1] = type;
  p.flag[2] = lin;
  p.flag[3] = nl;
  for (int i = 0; i < T_PROP_D::kListMax; ++i) p.value[i] = i + 1;
  return p;
}

TEST(LinkPropertyOutput, NoLinkPropertiesNoSections) {
  CDataPool pool;
  T_PROP_D p = LinkProp("Spring", 1, 1, 0, 0);
  p.type = 81;
  pool.properties.Store(1, p);
  const std::string qsx = WritePool(pool);
  EXPECT_EQ(std::string::npos, qsx.find("*NL-PROP"));
  EXPECT_EQ(std::string::npos, qsx.find("*HVX-NL-PROP"));
}

TEST(GeneralLinkOutput, AngleAndTwoVectorForms) {
  CDataPool pool;
  auto node = [&](int32_t id, double x, double y, double z) {
    T_NODS_D n;
    n.pos[0] = x;
    n.pos[1] = y;
    n.pos[2] = z;
    pool.nodes.Store(id, n);
  };
  node(1, 0, 0, 0);
  node(2, 1, 0, 0);
  node(3, 0, 0, 1);
  pool.properties.Store(40, LinkProp("Damper", 2, 1, 1, 1));
  pool.properties.Store(41, LinkProp("", 1, 1, 1, 0));
  auto elem = [&](int32_t id, int32_t type, int32_t prop, int32_t n1, int32_t n2, std::initializer_list<double> v,
                  std::initializer_list<double> v2, int32_t hinge) {
    T_ELEM_D e;
    e.type = type;
    e.prop = prop;
    e.node[0] = n1;
    e.node[1] = n2;
    std::copy(v.begin(), v.end(), e.orient);
    std::copy(v2.begin(), v2.end(), e.orient2);
    e.hinge = hinge;
    pool.elements.Store(id, e);
  };
  elem(64, 82, 40, 2, 1, {0, 0, 0}, {0.5, 0, 0}, 0);   // two-vector form, no angle
  elem(60, 82, 40, 1, 2, {0, 0, 1}, {0, 0, 0}, 0);     // level: 90
  elem(61, 82, 41, 1, 3, {0, 1, 0}, {0, 0, 0}, 7);     // vertical: 180, hinge 7, in a boundary group
  elem(62, 82, 99, 1, 2, {1, 0, 0}, {0, 0, 1}, 0);     // missing property
  elem(63, 7, 40, 1, 2, {0, 0, 1}, {0, 0, 0}, 0);      // an elastic link, not a general link
  elem(-5, 82, 40, 1, 2, {0, 0, 0}, {0, 0, 0}, -2);    // zero vector: angle 0
  T_GRUP_D g;
  g.title = "Iso";
  g.rules.push_back(T_RDAT_D{21, {T_RDATCOMP_D{61, 0, 1, 1}, T_RDATCOMP_D{64, 0, 1, 0}}});
  pool.groups.Store(1, g);

  const std::string qsx = WritePool(pool);
  EXPECT_EQ(
      "*NL-LINK  ; General Link\n"
      "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, ANGLE, GROUP\n"
      "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, iMETHOD, ANGLE-x, ANGLE-y, ANGLE-z, GROUP\n"
      "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, iMETHOD, P0X, P0Y, P0Z, P1X, P1Y, P1Z, P2X, P2Y, P2Z, GROUP\n"
      "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, iMETHOD, V1X, V1Y, V1Z, V2X, V2Y, V2Z, GROUP\n"
      " -5, 1, 2, Damper, IHPR-2, 0, 0, \n"
      " 60, 1, 2, Damper, , 0, 90, \n"
      " 61, 1, 3, GPROP41, IHPR7, 0, 180, Iso\n"
      " 62, 1, 2, GPROP99, , 1, 2, 1, 0, 0, 0, 0, 1, \n"
      " 64, 2, 1, Damper, , 1, 2, 0, 0, 0, 0.5, 0, 0, Iso\n"
      "\n",
      Between(qsx, "*NL-LINK", "*ELASTICLINK"));
}

TEST(GeneralLinkOutput, NothingWithoutLinkElements) {
  CDataPool pool;
  T_ELEM_D e;
  e.type = 7;
  pool.elements.Store(1, e);
  EXPECT_EQ(std::string::npos, WritePool(pool).find("*NL-LINK"));
}

}  // namespace
