// Section and thickness output: *SECTION and *THICKNESS, and the order of the
// five property walks (links and spring types live in links.cpp, springs.cpp).
//
// *SECTION by property type code (value-list entries counted from 1):
//
//   type | form                     | stiffness line
//   -----+--------------------------+-----------------------------------------
//   1    | VALUE, solid bar √A x √A | A, 0, 0, entry 5, 0, 0
//   2    | VALUE, solid bar √A x √A | A, entries 6, 7, 5*, 2*, 3*
//   3    | DBUSER pipe              | D = entry 1, t = (entry 1 - entry 2) / 2
//   5    | short VALUE line         | as type 2
//   5    | TAPERED (first flag 1)   | end i from entries 1-7, end j from 21-27
//
//   * 1e-08 when exactly 0, so that the section keeps some stiffness.
//
// *THICKNESS: types 11-14 one thickness (entry 1); 15 and 16 entry 1 / 1000
// in-plane and entry 1 out-of-plane; 17 and 18 entry 1 for both.
#include "writer/sections.h"

#include <cmath>

namespace hvx {

namespace {
// A moment of inertia or torsional constant, never exactly zero.
double Stiff(double v) { return v == 0.0 ? 1e-08 : v; }

// The area and stiffness line of a section by value (in the given format:
// entries 1, 6 and 7, then 5, 2 and 3 kept away from zero) and the two lines
// of zeros that close it.
void StiffnessLines(hvx::CSection& s, const char* format, const double* v) {
  s.Line(format, v[0], v[5], v[6], Stiff(v[4]), Stiff(v[1]), Stiff(v[2]));
  s.Line("    0, 0, 0, 0, 0, 0, 0, 0, 0, 0\n");
  s.Line("    0, 0, 0, 0, 0, 0, 0, 0\n");
}
}  // namespace

int CQsxSections::WriteProperties() {
  if (Pool().properties.Empty()) return 1;
  const std::vector<int32_t> ids = Pool().properties.SortedKeys();
  WriteSectionWalk(ids);
  WriteThicknessWalk(ids);
  WriteNlPropWalk(ids);
  WriteHvxNlPropWalk(ids);
  WriteGsprTypeWalk(ids);
  return 1;
}

void CQsxSections::WriteSectionWalk(const std::vector<int32_t>& ids) {
  hvx::CSection s = Section({
      "*SECTION    ; Section\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE, [DATA] {, CCSHAPE or iCEL}          ; 1st line - DB/USER\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE, BLT, D1, ..., D8, iCEL              ; 1st line - VALUE\n",
      ";       AREA, ASy, ASz, Ixx, Iyy, Izz                                          ; 2nd line\n",
      ";       CyP, CyM, CzP, CzM, QyB, QzB, PERI_OUT, PERI_IN, Cy, Cz                ; 3rd line\n",
      ";       Y1, Y2, Y3, Y4, Z1, Z2, Z3, Z4                                         ; 4th line\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE, ELAST, DEN, POIS, POIC, SF          ; 1st line - SRC\n",
      ";       D1, D2, [SRC]                                                          ; 2nd line\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE, 1, DB, NAME1, NAME2, D1, D2         ; 1st line - COMBINED\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE, 2, D11, D12, D13, D14, D15, D21, D22, D23, D24\n",
      "; iSEC, TYPE, SNAME, [OFFSET2], bSD, SHAPE, iyVAR, izVAR, STYPE                ; 1st line - TAPERED\n",
      ";       DB, NAME1, NAME2                                                       ; 2nd line(STYPE=DB)\n",
      ";       [DIM1], [DIM2]                                                         ; 2nd line(STYPE=USER)\n",
      ";       D11, D12, D13, D14, D15, D16, D17, D18                                 ; 2nd line(STYPE=VALUE)\n",
      ";       AREA1, ASy1, ASz1, Ixx1, Iyy1, Izz1                                    ; 3rd line(STYPE=VALUE)\n",
      ";       CyP1, CyM1, CzP1, CzM1, QyB1, QzB1, PERI_OUT1, PERI_IN1, Cy1, Cz1      ; 4th line(STYPE=VALUE)\n",
      ";       Y11, Y12, Y13, Y14, Z11, Z12, Z13, Z14                                 ; 5th line(STYPE=VALUE)\n",
      ";       D21, D22, D23, D24, D25, D26, D27, D28                                 ; 6th line(STYPE=VALUE)\n",
      ";       AREA2, ASy2, ASz2, Ixx2, Iyy2, Izz2                                    ; 7th line(STYPE=VALUE)\n",
      ";       CyP2, CyM2, CzP2, CzM2, QyB2, QzB2, PERI_OUT2, PERI_IN2, Cy2, Cz2      ; 8th line(STYPE=VALUE)\n",
      ";       Y21, Y22, Y23, Y24, Z21, Z22, Z23, Z24                                 ; 9th line(STYPE=VALUE)\n",
      ";       OPT1, OPT2, [JOINT]                                                    ; 2nd line(STYPE=PSC)\n",
      ";       bSHEARCHK, Z1I, Z3I, Z1J, ZJ, WTI, WTJ, WI, WJ, bSYM, bSIDEHOLE        ; 3rd line(STYPE=PSC)\n",
      ";       [SIZE-A]-i                                                             ; 4th line(STYPE=PSC)\n",
      ";       [SIZE-B]-i                                                             ; 5th line(STYPE=PSC)\n",
      ";       [SIZE-C]-i                                                             ; 6th line(STYPE=PSC)\n",
      ";       [SIZE-D]-i                                                             ; 7th line(STYPE=PSC)\n",
      ";       [SIZE-A]-j                                                             ; 8th line(STYPE=PSC)\n",
      ";       [SIZE-B]-j                                                             ; 9th line(STYPE=PSC)\n",
      ";       [SIZE-C]-j                                                             ; 10th line(STYPE=PSC)\n",
      ";       [SIZE-D]-j                                                             ; 11th line(STYPE=PSC)\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, STYPE1, STYPE2                             ; 1st line - CONSTRUCT\n",
      ";       SHAPE, ...(same with other type data from shape)                       ; Before (STYPE1)\n",
      ";       SHAPE, ...(same with other type data from shape)                       ; After  (STYPE2)\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE                                      ; 1st line - COMPOSITE-SB\n",
      ";       Hw, tw, B, Bf1, tf1, B2, Bf2, tf2                                      ; 2nd line\n",
      ";       N1, N2, Hr, Hr2, tr1, tr2                                              ; 3rd line\n",
      ";       SW, GN, CTC, Bc, Tc, Hh, EsEc, DsDc                                    ; 4th line\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE                                      ; 1st line - COMPOSITE-SI\n",
      ";       Hw, tw, B, tf1, B2, tf2                                                ; 2nd line\n",
      ";       SW, GN, CTC, Bc, Tc, Hh, EsEc, DsDc                                    ; 3rd line\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE                                      ; 1st line - COMPOSITE-CI/CT\n",
      ";       OPT1, OPT2, [JOINT]                                                    ; 2nd line\n",
      ";       [SIZE-A]                                                               ; 3rd line\n",
      ";       [SIZE-B]                                                               ; 4th line\n",
      ";       [SIZE-C]                                                               ; 5th line\n",
      ";       [SIZE-D]                                                               ; 6th line\n",
      ";       SW, GN, CTC, Bc, Tc, Hh, EgdEsb, DgdDsb                                ; 7th line\n",
      "; iSEC, TYPE, SNAME, [OFFSET], bSD, SHAPE                                      ; 1st line - PSC\n",
      ";       OPT1, OPT2, [JOINT]                                                    ; 2nd line\n",
      ";       bSHEARCHK, Z1, Z3, WT, WIDTH, bSYM, bSIDEHOLE                          ; 3rd line\n",
      ";       [SIZE-A]                                                               ; 4th line\n",
      ";       [SIZE-B]                                                               ; 5th line\n",
      ";       [SIZE-C]                                                               ; 6th line\n",
      ";       [SIZE-D]                                                               ; 7th line\n",
      "; [DATA] : 1, DB, NAME or 2, D1, D2, D3, D4, D5, D6, D7, D8\n",
      "; [SRC]  : 1, DB, NAME1, NAME2 or 2, D1, D2, D3, D4, D5, D6, D7, D8\n",
      "; [DIM1], [DIM2] : D1, D2, D3, D4, D5, D6, D7, D8\n",
      "; [OFFSET] : OFFSET, iCENT, iHORZ, HUSER, iVERT, VUSER\n",
      "; [OFFSET2]: OFFSET, iCENT, iHORZ, HUSERI, HUSERJ, iVERT, VUSERI, VUSERJ\n",
      "; [JOINT]  :  8(1CELL, 2CELL), 13(3CELL),  9(PSCM),  8(PSCH), 9(PSCT),  2(PSCB), 0(nCELL),  2(nCEL2)\n",
      "; [SIZE-A] :  6(1CELL, 2CELL), 10(3CELL), 10(PSCM),  6(PSCH), 8(PSCT), 10(PSCB), 5(nCELL), 11(nCEL2)\n",
      "; [SIZE-B] :  6(1CELL, 2CELL), 12(3CELL),  6(PSCM),  6(PSCH), 8(PSCT),  6(PSCB), 8(nCELL), 18(nCEL2)\n",
      "; [SIZE-C] : 10(1CELL, 2CELL), 13(3CELL),  9(PSCM), 10(PSCH), 7(PSCT),  8(PSCB), 0(nCELL), 11(nCEL2)\n",
      "; [SIZE-D] :  8(1CELL, 2CELL), 13(3CELL),  6(PSCM),  7(PSCH), 8(PSCT),  5(PSCB), 0(nCELL), 18(nCEL2)\n",
  });
  ForEachProperty(ids, [&](int32_t id, const T_PROP_D& p) {
    const double* v = p.value;  // entry n is v[n-1]
    const std::string name = NameOr(p.title, "SECT%d", id);
    if (p.type == 1 || p.type == 2 || p.type == 3 || p.type == 5) MarkWritten(hvx::EKind::kProperties, "*SECTION", id);
    switch (p.type) {
      case 1:
        s.Line("  %d, VALUE, %s, CC, 0, 0, 0, 0, 0, NO, SB, BUILT, %g, %g, 0, 0, 0, 0, 0, 0, 0\n", id, name,
               std::sqrt(v[0]), std::sqrt(v[0]));
        s.Line("       %g, %g, %g, %g, %g, %g\n", v[0], 0.0, 0.0, v[4], 0.0, 0.0);
        s.Line("    0, 0, 0, 0, 0, 0, 0, 0, 0, 0\n");
        s.Line("    0, 0, 0, 0, 0, 0, 0, 0\n");
        break;
      case 2:
        s.Line("  %d, VALUE, %s, CC, 0, 0, 0, 0, 0, %s, SB, BUILT, %g, %g, 0, 0, 0, 0, 0, 0, 0\n", id, name, "NO",
               std::sqrt(v[0]), std::sqrt(v[0]));
        StiffnessLines(s, "       %g, %g, %g, %g, %g, %g\n", v);
        break;
      case 3:
        s.Line("  %d, DBUSER, %s, CC, 0, 0, 0, 0, 0, NO, P, 2, %g, %g, 0, 0, 0, 0, 0, 0\n", id, name, v[0],
               (v[0] - v[1]) * 0.5);
        break;
      case 5:
        if (p.flag[0] != 1) {
          s.Line("  %d, VALUE, %s, CC, SB, BUILT, %g, %g, 0, 0, 0, 0, 0, 0\n", id, name, std::sqrt(v[0]),
                 std::sqrt(v[0]));
          StiffnessLines(s, "       %g, %g, %g, %g, %g, %g\n", v);
          break;
        }
        // Tapered: both ends by value, end i from entries 1 to 7, end j from 21 to 27.
        s.Line("  %d, TAPERED, %s, CC, 0, 0, 0, 0, 0, 0, 0, %s, SB,  %d,  %d, VALUE\n", id, name, "NO", 1, 1);
        for (const double* end : {v, v + 20}) {
          s.Line("    %g, %g, 0, 0, 0, 0, 0, 0\n", std::sqrt(end[0]), std::sqrt(end[0]));
          StiffnessLines(s, "    %g, %g, %g, %g, %g, %g\n", end);
        }
        break;
      default:
        break;
    }
  });
  s.Close();
}

void CQsxSections::WriteThicknessWalk(const std::vector<int32_t>& ids) {
  hvx::CSection s = Section({
      "*THICKNESS    ; Thickness\n",
      "; iTHK, TYPE, bSAME, THIK-IN, THIK-OUT                 ; TYPE=VALUE\n",
      "; iTHK, TYPE, SUBTYPE, RPOS, WEIGHT                    ; TYPE=STIFFENED, SUBTYPE=VALUE\n",
      ";       SHAPE, THIK-IN, THIK-OUT, HU, HL               ;      for yz section\n",
      ";       SHAPE, THIK-IN, THIK-OUT, HU, HL               ;      for xz section\n",
      "; iTHK, TYPE, SUBTYPE, RPOS, PLATETHIK                 ; TYPE=STIFFENED, SUBTYPE=USER\n",
      ";       bRIB {, SHAPE, DIST, SIZE1, SIZE2, ..., SIZE6} ;      for yz section\n",
      ";       bRIB {, SHAPE, DIST, SIZE2, SIZE2, ..., SIZE6} ;      for xz section\n",
      "; iTHK, TYPE, SUBTYPE, RPOS, PLATETHIK, DBNAME         ; TYPE=STIFFENED, SUBTYPE=DB\n",
      ";       bRIB {, SHAPE, DIST, SNAME}                    ;      for yz section\n",
      ";       bRIB {, SHAPE, DIST, SNAME}                    ;      for xz section\n",
  });
  ForEachProperty(ids, [&](int32_t id, const T_PROP_D& p) {
    const double t = p.value[0];
    if (p.type >= 11 && p.type <= 18) MarkWritten(hvx::EKind::kProperties, "*THICKNESS", id);
    if (p.type >= 11 && p.type <= 14)
      s.Line("%5d, VALUE, %s, %g, %g\n", id, "NO", t, 0.0);
    else if (p.type == 15 || p.type == 16)
      s.Line("%5d, VALUE, %s, %g, %g\n", id, "YES", t / 1000, t);
    else if (p.type == 17 || p.type == 18)
      s.Line("%5d, VALUE, %s, %g, %g\n", id, "YES", t, t);
  });
  s.Close();
}

}  // namespace hvx
