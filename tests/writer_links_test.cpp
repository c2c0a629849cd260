// *NL-LINK written from records stored directly in a pool (every link
// property layout is in the golden case link-property-layouts).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

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

TEST(GeneralLinkOutput, AngleAndTwoVectorForms) {
  CDataPool pool;
  AddNode(pool, 1, 0, 0, 0);
  AddNode(pool, 2, 1, 0, 0);
  AddNode(pool, 3, 0, 0, 1);
  pool.properties.Store(40, LinkProp("Damper", 2, 1, 1, 1));
  pool.properties.Store(41, LinkProp("", 1, 1, 1, 0));
  auto elem = [&](int32_t id, int32_t type, int32_t prop, int32_t n1, int32_t n2, std::array<double, 3> v,
                  std::array<double, 3> v2, int32_t hinge) {
    T_ELEM_D e = Elem(type, 0, prop, {n1, n2}, v);
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

  // The elastic link section follows directly (header comment lines left out).
  EXPECT_EQ(
      "*NL-LINK  ; General Link\n"
      " -5, 1, 2, Damper, IHPR-2, 0, 0, \n"
      " 60, 1, 2, Damper, , 0, 90, \n"
      " 61, 1, 3, GPROP41, IHPR7, 0, 180, Iso\n"
      " 62, 1, 2, GPROP99, , 1, 2, 1, 0, 0, 0, 0, 1, \n"
      " 64, 2, 1, Damper, , 1, 2, 0, 0, 0, 0.5, 0, 0, Iso\n"
      "\n"
      "*ELASTICLINK\n",
      WithoutComments(Slice(WritePool(pool).qsx, "*NL-LINK", "\n\n*ELASTICLINK")));
}

}  // namespace
