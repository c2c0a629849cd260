// *NL-PROP in every layout, *HVX-NL-PROP and *NL-LINK, written from records
// stored directly in a pool.
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

const std::string kNlPropHead =
    "*NL-PROP    ; General Link Property\n"
    "; NAME, APPTYPE, TYPE, TW, bUSEMASS, TM, bSSL, DY, DZ, DESC\n"
    "; bLDX, DX, EFFDAMP, bNDX, [NL_PROP]\n"
    "; bLDY, DY, EFFDAMP, bNDY, [NL_PROP]\n"
    "; bLDZ, DZ, EFFDAMP, bNDZ, [NL_PROP]\n"
    "; bLRX, RX, EFFDAMP, bNRX, [NL_PROP]\n"
    "; bLRY, RY, EFFDAMP, bNRY, [NL_PROP]\n"
    "; bLRZ, RZ, EFFDAMP, bNRZ, [NL_PROP]\n"
    "; [NL_PROP] : DSTIFF, DAMP, DEXP, bRIGDBR, BSTIFF, REFV ; Visco-elastic Damper Type\n"
    "; [NL_PROP] : STIFF, OPEN                               ; Gap Type or Hook Type\n"
    "; [NL_PROP] : STIFF, YSTR, PYS_RATIO, YEXP, PA, PB      ; Hysteretic System Type\n"
    "; [NL_PROP] : STIFF, YSTR, PYS_RATIO, PA, PB            ; Lead Rubber Bearing Type\n"
    "; [NL_PROP] : STIFF, FCS, FCF, RP, RADIUS, PA, PB       ; Friction Pendulum System Type\n";

TEST(LinkPropertyOutput, EveryLayout) {
  CDataPool pool;
  pool.properties.Store(1, LinkProp("Iso", 1, 1, 123, 456));  // ELEMENT SPG: nonlinear flags all NO
  T_PROP_D vd = LinkProp("", 2, 1, 0, 16);                      // FORCE VD
  vd.value[1] = 0;                                              // TM 0: bUSEMASS NO
  vd.value[27] = 0;                                             // NL4 of DY: bRIGDBR NO
  pool.properties.Store(2, vd);
  pool.properties.Store(3, LinkProp("Gap", 2, 2, 1, 1));
  pool.properties.Store(4, LinkProp("Hook", 2, 3, 654321, 0));
  pool.properties.Store(5, LinkProp("HS", 2, 4, 0, 3));
  pool.properties.Store(6, LinkProp("LRB", 2, 5, 0, 0));
  pool.properties.Store(7, LinkProp("FPS", 2, 6, 0, 0));
  pool.properties.Store(8, LinkProp("Run", 2, 0, 0, 0));        // FORCE of no type: one run-on line
  pool.properties.Store(9, LinkProp("", 3, 2, -1, 7));          // no APPTYPE, GAP values
  pool.properties.Store(10, LinkProp("Dsp", 1, 2, 0, 0));       // ELEMENT DSP
  pool.properties.Store(11, LinkProp("Sld", 1, 3, 0, 0));       // ELEMENT SLD
  pool.properties.Store(12, LinkProp("Odd", 1, 4, 0, 0));       // ELEMENT of no type
  T_PROP_D spring = LinkProp("Spring", 1, 1, 0, 0);
  spring.type = 81;  // not a link property
  pool.properties.Store(13, spring);
  pool.properties.Store(14, LinkProp("Last", 0, 7, 2, 2));      // run-on up to the section end

  const std::string qsx = WritePool(pool);
  EXPECT_EQ(kNlPropHead +
                // 1: ELEMENT
                " Iso, ELEMENT, SPG, 1, YES, 2, YES, 3, 4, Iso \n"
                " YES, 5, 11, NO\n YES, 6, 12, NO\n YES, 7, 13, NO\n"
                " NO, 8, 14, NO\n NO, 9, 15, NO\n NO, 10, 16, NO\n"
                // 2: VD, NL1 of degree of freedom k is entry 17 + 8k
                " GPROP2, FORCE, VD, 1, NO, 0, YES, 3, 4,  \n"
                " NO, 5, 11, YES 17, 18, 19, YES, 21, 22\n"
                " NO, 6, 12, NO 25, 26, 27, NO, 29, 30\n"
                " NO, 7, 13, NO 33, 34, 35, YES, 37, 38\n"
                " NO, 8, 14, NO 41, 42, 43, YES, 45, 46\n"
                " NO, 9, 15, NO 49, 50, 51, YES, 53, 54\n"
                " NO, 10, 16, YES 57, 58, 59, YES, 61, 62\n"
                // 3: GAP
                " Gap, FORCE, GAP, 1, YES, 2, YES, 3, 4, Gap \n"
                " YES, 5, 11, YES 17, 18\n NO, 6, 12, NO 25, 26\n NO, 7, 13, NO 33, 34\n"
                " NO, 8, 14, NO 41, 42\n NO, 9, 15, NO 49, 50\n NO, 10, 16, NO 57, 58\n"
                // 4: HOOK
                " Hook, FORCE, HOOK, 1, YES, 2, YES, 3, 4, Hook \n"
                " YES, 5, 11, NO 17, 18\n YES, 6, 12, NO 25, 26\n YES, 7, 13, NO 33, 34\n"
                " YES, 8, 14, NO 41, 42\n YES, 9, 15, NO 49, 50\n YES, 10, 16, NO 57, 58\n"
                // 5: HS
                " HS, FORCE, HS, 1, YES, 2, YES, 3, 4, HS \n"
                " NO, 5, 11, NO 17, 18, 19, 20, 21, 22\n NO, 6, 12, NO 25, 26, 27, 28, 29, 30\n"
                " NO, 7, 13, YES 33, 34, 35, 36, 37, 38\n NO, 8, 14, NO 41, 42, 43, 44, 45, 46\n"
                " NO, 9, 15, NO 49, 50, 51, 52, 53, 54\n NO, 10, 16, NO 57, 58, 59, 60, 61, 62\n"
                // 6: LRBI
                " LRB, FORCE, LRBI, 1, YES, 2, YES, 3, 4, LRB \n"
                " NO, 5, 11, NO 17, 18, 19, 20, 21\n NO, 6, 12, NO 25, 26, 27, 28, 29\n"
                " NO, 7, 13, NO 33, 34, 35, 36, 37\n NO, 8, 14, NO 41, 42, 43, 44, 45\n"
                " NO, 9, 15, NO 49, 50, 51, 52, 53\n NO, 10, 16, NO 57, 58, 59, 60, 61\n"
                // 7: FPSI
                " FPS, FORCE, FPSI, 1, YES, 2, YES, 3, 4, FPS \n"
                " NO, 5, 11, NO 17, 18, 19, 20, 21, 22, 23\n NO, 6, 12, NO 25, 26, 27, 28, 29, 30, 31\n"
                " NO, 7, 13, NO 33, 34, 35, 36, 37, 38, 39\n NO, 8, 14, NO 41, 42, 43, 44, 45, 46, 47\n"
                " NO, 9, 15, NO 49, 50, 51, 52, 53, 54, 55\n NO, 10, 16, NO 57, 58, 59, 60, 61, 62, 63\n"
                // 8: no continuation; the next head line follows on the same line
                " Run, FORCE, , 1, YES, 2, YES, 3, 4, Run \n"
                " NO, 5, 11, NO NO, 6, 12, NO NO, 7, 13, NO NO, 8, 14, NO NO, 9, 15, NO NO, 10, 16, NO"
                // 9: "-1" holds the digit 1
                " GPROP9, , , 1, YES, 2, YES, 3, 4,  \n"
                " YES, 5, 11, NO 17, 18\n NO, 6, 12, NO 25, 26\n NO, 7, 13, NO 33, 34\n"
                " NO, 8, 14, NO 41, 42\n NO, 9, 15, NO 49, 50\n NO, 10, 16, NO 57, 58\n"
                // 10 to 12: ELEMENT never continues
                " Dsp, ELEMENT, DSP, 1, YES, 2, YES, 3, 4, Dsp \n"
                " NO, 5, 11, NO\n NO, 6, 12, NO\n NO, 7, 13, NO\n NO, 8, 14, NO\n NO, 9, 15, NO\n NO, 10, 16, NO\n"
                " Sld, ELEMENT, SLD, 1, YES, 2, YES, 3, 4, Sld \n"
                " NO, 5, 11, NO\n NO, 6, 12, NO\n NO, 7, 13, NO\n NO, 8, 14, NO\n NO, 9, 15, NO\n NO, 10, 16, NO\n"
                " Odd, ELEMENT, , 1, YES, 2, YES, 3, 4, Odd \n"
                " NO, 5, 11, NO\n NO, 6, 12, NO\n NO, 7, 13, NO\n NO, 8, 14, NO\n NO, 9, 15, NO\n NO, 10, 16, NO\n"
                // 14: the closing empty line ends the run-on line
                " Last, , , 1, YES, 2, YES, 3, 4, Last \n"
                " NO, 5, 11, NO YES, 6, 12, YES NO, 7, 13, NO NO, 8, 14, NO NO, 9, 15, NO NO, 10, 16, NO\n",
            Between(qsx, "*NL-PROP", "*HVX-NL-PROP"));
  EXPECT_EQ(
      "*HVX-NL-PROP\n"
      " Iso, 65, 66\n GPROP2, 65, 66\n Gap, 65, 66\n Hook, 65, 66\n HS, 65, 66\n LRB, 65, 66\n FPS, 65, 66\n"
      " Run, 65, 66\n GPROP9, 65, 66\n Dsp, 65, 66\n Sld, 65, 66\n Odd, 65, 66\n Last, 65, 66\n\n",
      Between(qsx, "*HVX-NL-PROP", "*GSPRTYPE"));
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
