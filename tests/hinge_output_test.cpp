// "*IHINGE-PROP", "*IHINGE-ASSIGN", "*INIFORCE" and "*INI-EFORCE" written
// from records put straight into a data pool. Expected texts are worked out
// from the section rules by hand.
#include <gtest/gtest.h>

#include "tests/testutil.h"
#include "writer/writer.h"

using namespace hvxtest;

namespace {

struct Written {
  std::string qsx;
  std::string log;
};

Written WritePool(CDataPool& pool) {
  TempDir dir;
  CWriteQsxFromNeutral w;
  w.Write(dir.File("m.hvt"), &pool);
  return {ReadFile(dir.File("m.qsx")), ReadFile(dir.File("halvexcvt.msg"))};
}

// The text from the first occurrence of begin through the first occurrence of
// end after it; "" when either is missing.
std::string Slice(const std::string& text, const std::string& begin, const std::string& end) {
  const size_t b = text.find(begin);
  if (b == std::string::npos) return "";
  const size_t e = text.find(end, b);
  if (e == std::string::npos) return "";
  return text.substr(b, e + end.size() - b);
}

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

// A curve with one data set of n points; arrays given in data-set order
// (1 tension ratios, 2 tension yield displacements, 3 tension strengths,
// 4 to 6 the same for compression).
T_SKCV_D Multilinear(int32_t type, int32_t n, std::vector<std::vector<double>> arrays) {
  T_SKCV_D c = Curve(type);
  T_SCDS_D ds;
  ds.n = n;
  for (size_t a = 0; a < arrays.size() && a < 6; ++a) ds.arr[a] = arrays[a];
  c.sets.push_back(ds);
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

void AddNode(CDataPool& pool, int32_t id, double x, double y, double z) {
  T_NODS_D n;
  n.pos[0] = x;
  n.pos[1] = y;
  n.pos[2] = z;
  pool.nodes.Store(id, n);
}

void AddElem(CDataPool& pool, int32_t id, int32_t type, int32_t n1, int32_t n2, int32_t hinge, int32_t mat = 0,
             int32_t prop = 0) {
  T_ELEM_D e;
  e.type = type;
  e.node[0] = n1;
  e.node[1] = n2;
  e.hinge = hinge;
  e.mat = mat;
  e.prop = prop;
  pool.elements.Store(id, e);
}

TEST(HingePropertyOutput, FullHeaderAndEveryModelDataLayout) {
  CDataPool pool;
  pool.readMode = 1;
  // KIN with three points: the fourth entries are 0; compression written positive.
  pool.curves.Store(11, Multilinear(7, 3, {{1, 0.5, 0.1}, {0, 0, 0}, {10, 20, 30}, {1, 0.4, 0.2}, {}, {-10, -20, -30}}));
  // TAK with yield displacements (iITYPE 1) and EXPO s1 = 2.5.
  T_SKCV_D tak = Multilinear(131, 5, {{9, 9, 9, 9, 9}, {0.01, 0.02, 0.03, 0.04, 0.05}, {1, 2, 3, 4, 5}, {9, 9, 9, 9},
                                      {-0.01, -0.02, -0.03, -0.04}, {-1, -2, -3, -4}});
  tak.value[0] = 2.5;
  pool.curves.Store(12, tak);
  T_SKCV_D libi = Curve(19);
  libi.value[0] = 100, libi.value[1] = 0.2, libi.value[2] = 0.3, libi.value[3] = 7;
  pool.curves.Store(13, libi);
  T_SKCV_D litr = Curve(84);
  litr.ints[0] = 2, litr.value[0] = 1.5, litr.value[1] = 250;
  pool.curves.Store(14, litr);
  T_SKCV_D ro = Curve(85);
  ro.value[0] = 0.3, ro.value[1] = 0.25;
  pool.curves.Store(15, ro);
  T_SKCV_D hd = Curve(23);
  hd.value[0] = 0.05;
  pool.curves.Store(16, hd);
  pool.hinges.Store(3, Hinge(0, {11, 12, 13, 14, 15, 16}, "H3"));

  const Written w = WritePool(pool);
  EXPECT_EQ("", w.log);
  const std::string expected =
      "*VERSION\n  7.0.0\n\n"
      "*IHINGE-PROP    ; Inelastic Hinge Property\n"
      "; NAME, bAUTO, MTYPE, MCODE, iMATL, iSECT, MBTYPE, ELPOS, ITYPE, HTYPE, DEF, FIBER, DESC       ; line 1\n"
      "; bFx, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 2\n"
      "; bFy, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 3\n"
      "; bFz, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 4\n"
      "; bMx, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 5\n"
      "; bMy, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 6\n"
      "; bMz, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 7\n"
      "; bPMAUTO, PC0, [PMDATA], [PMDATA]                                                             ; line 8\n"
      "; bYSAUTO, GAMMA1ST, GAMMA2ND, ALPHA, COUPLING, [YSDATA], [YSDATA]                             ; line 9\n"
      "; [M_PROP] : iSYM, iIM, DEFORM, SFTYPE, STIFF, iITYPE, [DATA]-TENS, [DATA]-COMP                ; KIN, ORG, "
      "PKO, DEG, NBI, EBI, ETR, ETE\n"
      "; [M_PROP] : iSYM, iIM, DEFORM, SFTYPE, STIFF, iITYPE, [DATA]-TENS, [DATA]-COMP, EXPO          ; CLO\n"
      "; [M_PROP] : iSYM, iIM, DEFORM, SFTYPE, STIFF, iITYPE, [DATA]-TENS, [DATA]-COMP, EXPO, FACTOR  ; TAK, MTK, "
      "TTE, MTT\n"
      "; [M_PROP] : Qd50, H, ALF, Rmin                                                                ; LIBI\n"
      "; [M_PROP] : iSW, H, Area, Rmin, bRmUPDATE                                                     ; LITI\n"
      "; [M_PROP] : iSW, H, Area, Gs, Hs, Us                                                          ; HDRI\n"
      "; [M_PROP] : Critical Displ, Maximum dammping                                                  ; RO\n"
      "; [M_PROP] : Critical Displ\t\t\t\t\t\t\t                                                       ; HD\n"
      "; [PMDATA] : MC0, PC, PCB, MC, PY, PYB, MY, P1ST1, .. P1ST11, M1ST1, .. M1ST11, P2ND1, .. P2ND11, M2ND1, .. "
      "M2ND11\n"
      "; [YSDATA] : BETAY1ST, BETAY2ND, BETAZ1ST, BETAZ2ND\n"
      "; [DATA] : YS-P1, YS-P2, YS-P3, YS-P4, SRR1, SRR2, SRR3, SRR4, HSL1, ... HSL5                  ; iITYPE=0\n"
      "; [DATA] : YS-P1, YS-P2, YS-P3, YS-P4, YD-D1, YD-D2, YD-D3, YD-D4, HSL1, ... HSL5              ; iITYPE=1\n"
      "  IHPR3, NO, USER, AIJ, 0, 0, BEAM, I, NONE, SPR, SKEL, , H3\n"
      "  YES, 1, KIN,  1, 0, 1, 4, 1, 0, 10, 20, 30, 0, 1, 0.5, 0.1, 0, 0.5, 1, 2, 4, 8,"
      "10, 20, 30, 0, 1, 0.4, 0.2, 0, 0.5, 1, 2, 4, 8\n"
      "  YES, 1, TAK,  1, 0, 1, 4, 1, 1, 1, 2, 3, 4, 0.01, 0.02, 0.03, 0.04, 0.5, 1, 2, 4, 8,"
      "1, 2, 3, 4, 0.01, 0.02, 0.03, 0.04, 0.5, 1, 2, 4, 8, 2.5, 1\n"
      "  YES, 1, LIBI, 100, 0.2, 0.3, 0.05\n"
      "  YES, 1, LITR, 2, 1.5, 250, 0.01, YES\n"
      "  YES, 1, RO, 0.25, 0.3\n"
      "  YES, 1, HD, 0.05\n"
      "*VERSION\n  6.4.1\n\n\n";
  EXPECT_EQ(expected, Slice(w.qsx, "*VERSION\n  7.0.0", kHingeClose)) << w.qsx;
}

TEST(HingePropertyOutput, OtherMultilinearKeywordsAndMissingDataSet) {
  CDataPool pool;
  pool.readMode = 1;
  // Types sharing a keyword; no data set at all gives zeros and iITYPE 0.
  T_SKCV_D mtk = Curve(55);
  mtk.value[0] = 3;
  pool.curves.Store(1, mtk);
  pool.curves.Store(2, Multilinear(18, 1, {{0.7}, {0}, {-5}, {0.6}, {0}, {5}}));  // EBI
  pool.curves.Store(3, Curve(53));  // PKO
  pool.curves.Store(4, Curve(46));  // ETR
  pool.curves.Store(5, Curve(61));  // ETE
  pool.curves.Store(6, Curve(52));  // NBI
  pool.hinges.Store(1, Hinge(0, {1, 2, 3, 4, 5, 6}));
  pool.curves.Store(7, Curve(2));   // ORG
  pool.curves.Store(8, Curve(5));   // DEG
  pool.curves.Store(9, Curve(1));   // EBI
  pool.curves.Store(10, Curve(3));  // PKO
  pool.curves.Store(11, Curve(6));  // NBI
  pool.curves.Store(12, Curve(13)); // MTK
  pool.hinges.Store(2, Hinge(0, {7, 8, 9, 10, 11, 12}));

  const std::string zerosA = " 1, 0, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8,0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8\n";
  const std::string expected =
      "  IHPR1, NO, USER, AIJ, 0, 0, BEAM, I, NONE, SPR, SKEL, , \n"
      "  YES, 1, MTK,  1, 0, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8,"
      "0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8, 3, 1\n"
      "  YES, 1, EBI,  1, 0, 1, 4, 1, 0, 5, 0, 0, 0, 0.7, 0, 0, 0, 0.5, 1, 2, 4, 8,"
      "5, 0, 0, 0, 0.6, 0, 0, 0, 0.5, 1, 2, 4, 8\n"
      "  YES, 1, PKO, " + zerosA +
      "  YES, 1, ETR, " + zerosA +
      "  YES, 1, ETE, " + zerosA +
      "  YES, 1, NBI, " + zerosA +
      "  IHPR2, NO, USER, AIJ, 0, 0, BEAM, I, NONE, SPR, SKEL, , \n"
      "  YES, 1, ORG, " + zerosA +
      "  YES, 1, DEG, " + zerosA +
      "  YES, 1, EBI, " + zerosA +
      "  YES, 1, PKO, " + zerosA +
      "  YES, 1, NBI, " + zerosA +
      "  YES, 1, MTK,  1, 0, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8,"
      "0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1, 2, 4, 8, 0, 1\n"
      "*VERSION\n  6.4.1\n\n\n";
  EXPECT_EQ(expected, HingeData(WritePool(pool).qsx));
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

TEST(HingePropertyOutput, InteractionCurvesContinueWithBackslashes) {
  CDataPool pool;
  pool.readMode = 1;
  T_SKCV_D a = Curve(0);
  const double head[8] = {1000, 50, 900, 300, 60, -800, 250, 55};
  for (int i = 0; i < 8; ++i) a.value[i] = head[i];
  for (int k = 0; k < 44; ++k) a.value[8 + k] = k + 1;
  pool.curves.Store(31, a);
  T_SKCV_D b = Curve(0);
  b.value[0] = -1;  // the second curve's PC0 is not written
  for (int i = 1; i < 8; ++i) b.value[i] = i + 1;
  for (int k = 0; k < 44; ++k) b.value[8 + k] = 101 + k;
  pool.curves.Store(32, b);
  T_IHPR_D h = Hinge(1, {});
  h.inter[0] = 31;
  h.inter[1] = 32;
  pool.hinges.Store(1, h);
  // A missing first curve writes zeros, the second as stored.
  h.inter[0] = 99;
  pool.hinges.Store(2, h);

  const std::string second =
      " 2, 3, 4, 5, 6, 7, 8 \\\n"
      ", 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111 \\\n"
      ", 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122 \\\n"
      ", 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133 \\\n"
      ", 134, 135, 136, 137, 138, 139, 140, 141, 142, 143, 144 \n"
      "  NO, 1.1, 1.1, 1.4, 2, 2, 2, 2, 2, 2, 2, 2, 2\n";
  EXPECT_EQ(
      "  IHPR1, NO, USER, AIJ, 0, 0, COLUMN, I, PM, SPR, SKEL, , \n"
      "  NO\n  NO\n  NO\n  NO\n  NO\n  NO\n"
      "  NO, 1000, 50, 900, 300, 60, -800, 250, 55 \\\n"
      ", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 \\\n"
      ", 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22 \\\n"
      ", 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33 \\\n"
      ", 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, \\\n" +
          second +
          "  IHPR2, NO, USER, AIJ, 0, 0, COLUMN, I, PM, SPR, SKEL, , \n"
          "  NO\n  NO\n  NO\n  NO\n  NO\n  NO\n"
          "  NO, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
          ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
          ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
          ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 \\\n"
          ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, \\\n" +
          second + kHingeClose,
      HingeData(WritePool(pool).qsx));
}

TEST(HingeOutput, ReadModeZeroWritesOnlyInitialElementForces) {
  CDataPool pool;
  pool.readMode = 0;
  pool.hinges.Store(1, Hinge(0, {}));
  AddElem(pool, 1, 2, 1, 2, 1);
  T_ELEM_D e;
  pool.elements.Lookup(1, e);
  e.axial = 5;
  pool.elements.Store(1, e);
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
  AddElem(pool, 9, 2, 1, 2, 3);
  AddElem(pool, 5, 1, 1, 2, 7);
  AddElem(pool, 6, 82, 1, 2, 3);  // type 82 is never assigned
  AddElem(pool, 7, 2, 1, 2, 0);
  const double axial[][2] = {{9, 2e6}, {7, -12.5}, {6, 0.125}};
  for (const auto& a : axial) {
    T_ELEM_D e;
    pool.elements.Lookup(static_cast<int32_t>(a[0]), e);
    e.axial = a[1];
    pool.elements.Store(static_cast<int32_t>(a[0]), e);
  }
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

TEST(HingeOutput, NoAxialForceAndNoHingeWriteNoSections) {
  CDataPool pool;
  pool.readMode = 1;
  AddElem(pool, 1, 2, 1, 2, 0);
  const std::string qsx = WritePool(pool).qsx;
  EXPECT_EQ(std::string::npos, qsx.find("*INIFORCE"));
  EXPECT_EQ(std::string::npos, qsx.find("*IHINGE"));
  EXPECT_EQ(std::string::npos, qsx.find("*INI-EFORCE"));
}

TEST(HingeOutput, InitialElementForcesByKind) {
  CDataPool pool;
  pool.readMode = 1;
  auto add = [&](int32_t id, int32_t kind, double base) {
    T_INFC_D f;
    f.kind = kind;
    for (int i = 0; i < 12; ++i) f.row1[i] = -99, f.ends[i] = base + i;
    pool.initForces.Store(id, f);
  };
  add(11, 7, 0.5);
  add(9, 4, 40);
  add(8, 3, 30);
  add(5, 1, 10);
  add(2, 2, 1);
  EXPECT_EQ(
      "*VERSION\n  6.7.1\n\n"
      "*INI-EFORCE    ; Initial Element Force\n"
      "; TYPE, ID, Axial-i, Axial-j     ; TRUSS\n"
      "; TYPE, ID, [ASTM]-i, [ASTM]-j   ; BEAM, E-LINK, G-LINK\n"
      "; [ASTM] : Axial, Shear-y, Shear-z, Torsion, Moment-y, Moment-z\n"
      " BEAM, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12\n"
      " TRUSS, 5, 10, 16\n"
      " E-LINK, 8, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41\n"
      " G-LINK, 9, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51\n"
      " , 11, 0.5, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5\n"
      "*VERSION\n  6.4.1\n\n\n",
      Slice(WritePool(pool).qsx, "*VERSION\n  6.7.1", kHingeClose));
}

}  // namespace
