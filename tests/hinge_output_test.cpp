// "*IHINGE-PROP", "*IHINGE-ASSIGN", "*INIFORCE" and "*INI-EFORCE" written
// from records put straight into a data pool. Expected texts are worked out
// from the section rules by hand.
#include <gtest/gtest.h>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

// The hinge property data: from the last comment line to the closing version pair.
std::string HingeData(const std::string& qsx) {
  const std::string last = "HSL1, ... HSL5              ; iITYPE=1\n";
  const std::string s = Slice(qsx, last, "*VERSION\n  6.4.1\n\n\n");
  return s.empty() ? "<no hinge section>" : s.substr(last.size());
}

constexpr const char* kHingeClose = "*VERSION\n  6.4.1\n\n\n";

T_SKCV_D Curve(int32_t type) {
  T_SKCV_D c;
  c.type = type;
  return c;
}

T_IHPR_D Hinge(int32_t itype, std::initializer_list<int32_t> comps, const char* title = "") {
  T_IHPR_D h;
  h.v[6] = itype;
  h.title = title;
  int i = 0;
  for (int32_t c : comps) h.comp[i++] = c;
  return h;
}

void AddElem(CDataPool& pool, int32_t id, int32_t type, int32_t n1, int32_t n2, int32_t hinge, int32_t mat = 0,
             int32_t prop = 0, double axial = 0) {
  T_ELEM_D e = Elem(type, 0, prop, {n1, n2});
  e.hinge = hinge;
  e.mat = mat;
  e.axial = axial;
  pool.elements.Store(id, e);
}

TEST(HingePropertyOutput, UnsupportedCurvesAreDroppedAndReported) {
  CDataPool pool;
  pool.readMode = 1;
  pool.curves.Store(20, Curve(20));  // has a keyword, still unsupported
  pool.curves.Store(21, Curve(4));
  pool.curves.Store(22, Curve(0));
  pool.curves.Store(23, Curve(7));
  // Only My used, by an unsupported curve: reported once, six "NO" lines.
  pool.hinges.Store(3, Hinge(0, {0, 0, 0, 0, 20, 0}, "one"));
  // All six unsupported: not written at all, reported six times.
  pool.hinges.Store(4, Hinge(0, {20, 21, 22, 21, 20, 22}, "all"));
  // Five unsupported and one missing curve: the missing one is not dropped, so
  // the property is written.
  pool.hinges.Store(5, Hinge(0, {20, 21, 22, 21, 20, 99}, "five"));
  // One supported among unsupported ones.
  pool.hinges.Store(6, Hinge(0, {21, 23, 0, 0, 0, 0}, "mixed"));
  AddNode(pool, 1, 0, 0, 0);
  AddNode(pool, 2, 1, 0, 0);
  AddElem(pool, 8, 2, 1, 2, 4);

  const Written w = WritePool(pool);
  const std::string msg = "Hinge property %d: unsupported hinge curve ignored.\n";
  auto m = [&](int id) { return hvx::Format(msg.c_str(), id); };
  EXPECT_EQ(m(3) + m(4) + m(4) + m(4) + m(4) + m(4) + m(4) + m(5) + m(5) + m(5) + m(5) + m(5) + m(6), w.log);
  EXPECT_EQ(
      "  IHPR3, NO, USER, AIJ, 0, 0, BEAM, I, NONE, SPR, SKEL, , one\n"
      "  NO\n  NO\n  NO\n  NO\n  NO\n  NO\n"
      "  IHPR5, NO, USER, AIJ, 0, 0, BEAM, I, NONE, SPR, SKEL, , five\n"
      "  NO\n  NO\n  NO\n  NO\n  NO\n  NO\n"
      "  IHPR6, NO, USER, AIJ, 0, 0, BEAM, I, NONE, SPR, SKEL, , mixed\n"
      "  NO\n"
      "  YES, 1, KIN,  1, 0, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8,0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8\n"
      "  NO\n  NO\n  NO\n  NO\n"
      "*VERSION\n  6.4.1\n\n\n",
      HingeData(w.qsx));
  // The skipped property's element is still assigned.
  EXPECT_EQ("*IHINGE-ASSIGN  ; Inelastic Hinge Assignment\n; ELEM_LIST, PROP\n  8, IHPR4\n\n",
            Slice(w.qsx, "*IHINGE-ASSIGN", "\n\n"));
}

TEST(HingePropertyOutput, ReferenceElementGivesMaterialSectionAndMemberType) {
  CDataPool pool;
  pool.readMode = 1;
  AddNode(pool, 1, 0, 0, 0);
  AddNode(pool, 2, 0, 0, 3);  // above node 1
  AddNode(pool, 3, 4, 0, 0);  // level with node 1
  AddNode(pool, 4, 4, 2, 3);  // neither
  pool.materials.Store(5, T_MATL601_D{});
  pool.properties.Store(6, T_PROP_D{});
  // Hinge 1: the lowest element using it (10) is a column; element 20 is a beam.
  AddElem(pool, 20, 2, 1, 3, 1, 5, 6);
  AddElem(pool, 10, 2, 1, 2, 1, 5, 6);
  // Hinge 2: a level beam whose material and property are missing.
  AddElem(pool, 11, 1, 1, 3, 2, 7, 8);
  // Hinge 3: a brace of another element type.
  AddElem(pool, 12, 6, 1, 4, 3, 5, 8);
  // Hinge 4: level nodes away from the origin; PM on another element type gives SPR.
  AddElem(pool, 13, 6, 2, 4, 4);
  // Hinge 5: a missing second node stands at the origin, level with node 1;
  // PMM on another element type gives DIST.
  AddElem(pool, 14, 6, 1, 77, 5);
  // Hinges 6 to 9 have no element: MBTYPE and HTYPE follow the interaction type.
  const int32_t itype[] = {0, 0, 0, 1, 2, 0, 1, 2, 7};
  for (int id = 1; id <= 9; ++id) pool.hinges.Store(id, Hinge(itype[id - 1], {}));
  pool.hinges.Store(1, Hinge(0, {}, "desc with blanks"));

  const std::string noComps = "  NO\n  NO\n  NO\n  NO\n  NO\n  NO\n";
  const std::string pm = "  NO, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, \\\n"
                         " 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
                         ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \n"
                         "  NO, 1.1, 1.1, 1.4, 2, 2, 2, 2, 2, 2, 2, 2, 2\n";
  EXPECT_EQ("  IHPR1, NO, USER, AIJ, 5, 6, COLUMN, I, NONE, DIST, SKEL, , desc with blanks\n" + noComps +
                "  IHPR2, NO, USER, AIJ, 0, 0, BEAM, I, NONE, DIST, SKEL, , \n" + noComps +
                "  IHPR3, NO, USER, AIJ, 5, 0, BRACE, I, NONE, SPR, SKEL, , \n" + noComps +
                "  IHPR4, NO, USER, AIJ, 0, 0, BEAM, I, PM, SPR, SKEL, , \n" + noComps + pm +
                "  IHPR5, NO, USER, AIJ, 0, 0, BEAM, I, PMM, DIST, SKEL, , \n" + noComps + pm +
                "  IHPR6, NO, USER, AIJ, 0, 0, BEAM, I, NONE, SPR, SKEL, , \n" + noComps +
                "  IHPR7, NO, USER, AIJ, 0, 0, COLUMN, I, PM, SPR, SKEL, , \n" + noComps + pm +
                "  IHPR8, NO, USER, AIJ, 0, 0, COLUMN, I, PMM, DIST, SKEL, , \n" + noComps + pm +
                "  IHPR9, NO, USER, AIJ, 0, 0, COLUMN, I, , SPR, SKEL, , \n" + noComps + pm + kHingeClose,
            HingeData(WritePool(pool).qsx));
}

// Hinge property number 0: its reference element is the lowest-numbered
// element whose hinge number is 0, like for any other property number.
TEST(HingePropertyOutput, PropertyZeroTakesTheFirstElementWithoutHinge) {
  CDataPool pool;
  pool.readMode = 1;
  AddNode(pool, 1, 0, 0, 0);
  AddNode(pool, 2, 0, 0, 3);
  AddNode(pool, 3, 4, 0, 0);
  pool.materials.Store(5, T_MATL601_D{});
  AddElem(pool, 40, 2, 1, 3, 0, 5);
  AddElem(pool, 30, 6, 1, 2, 0, 5);
  pool.hinges.Store(0, Hinge(0, {}, "zero"));
  EXPECT_EQ("  IHPR0, NO, USER, AIJ, 5, 0, COLUMN, I, NONE, SPR, SKEL, , zero\n"
            "  NO\n  NO\n  NO\n  NO\n  NO\n  NO\n" + std::string(kHingeClose),
            HingeData(WritePool(pool).qsx));
}

TEST(HingeOutput, ReadModeZeroWritesOnlyInitialElementForces) {
  CDataPool pool;
  pool.readMode = 0;
  pool.hinges.Store(1, Hinge(0, {}));
  AddElem(pool, 1, 2, 1, 2, 1, 0, 0, 5);
  T_INFC_D f;
  f.kind = 1;
  f.ends[0] = 3;
  f.ends[6] = -3;
  pool.initForces.Store(4, f);
  const std::string qsx = WritePool(pool).qsx;
  EXPECT_EQ(std::string::npos, qsx.find("*IHINGE"));
  EXPECT_EQ(std::string::npos, qsx.find("*INIFORCE"));
  EXPECT_NE(std::string::npos, qsx.find(" TRUSS, 4, 3, -3\n"));
}

TEST(HingeOutput, AssignmentAndInitialAxialForces) {
  CDataPool pool;
  pool.readMode = 1;
  AddElem(pool, 9, 2, 1, 2, 3, 0, 0, 2e6);
  AddElem(pool, 5, 1, 1, 2, 7);
  AddElem(pool, 6, 82, 1, 2, 3, 0, 0, 0.125);  // type 82 is never assigned
  AddElem(pool, 7, 2, 1, 2, 0, 0, 0, -12.5);
  const std::string qsx = WritePool(pool).qsx;
  EXPECT_EQ(
      "*INIFORCE    ; Initial Forces for Geometric Stiffness\n; ELEM_LIST, DIR, FORCE\n"
      "  6, AXIAL, 0.125\n  7, AXIAL, -12.5\n  9, AXIAL, 2e+06\n\n",
      Slice(qsx, "*INIFORCE", "\n\n"));
  // Hinge 3 and 7 are not in the store: the assignment names them all the same.
  EXPECT_EQ("*IHINGE-ASSIGN  ; Inelastic Hinge Assignment\n; ELEM_LIST, PROP\n  5, IHPR7\n  9, IHPR3\n\n",
            Slice(qsx, "*IHINGE-ASSIGN", "\n\n"));
  EXPECT_EQ(std::string::npos, qsx.find("*IHINGE-PROP"));
}

}  // namespace
