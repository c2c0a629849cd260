// Inelastic hinges and initial forces: "*INIFORCE", "*IHINGE-PROP",
// "*IHINGE-ASSIGN" and "*INI-EFORCE".
#include <cctype>
#include <cmath>
#include <unordered_map>

#include "writer/sections.h"

namespace hvx {

namespace {

// Hysteresis model keyword of a hinge curve type ("" for an unknown type).
const char* HysteresisKeyword(int32_t type) {
  switch (type) {
    case 1: case 18: return "EBI";
    case 2: return "ORG";
    case 3: case 53: return "PKO";
    case 5: return "DEG";
    case 6: case 52: return "NBI";
    case 7: return "KIN";
    case 13: case 54: case 55: return "MTK";
    case 19: return "LIBI";
    case 20: return "HDRI";
    case 23: return "HD";
    case 46: return "ETR";
    case 61: return "ETE";
    case 84: return "LITR";
    case 85: return "RO";
    case 131: return "TAK";
    default: return "";
  }
}

// Curve types the hinge output can write; type 20 has a keyword but is not one.
bool SupportedCurveType(int32_t type) {
  switch (type) {
    case 1: case 2: case 3: case 5: case 6: case 7: case 13: case 18: case 19: case 23:
    case 46: case 52: case 53: case 54: case 55: case 61: case 84: case 85: case 131:
      return true;
    default:
      return false;
  }
}

// Keywords are compared without regard to case.
bool SameKeyword(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

bool IsOneOf(const char* key, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (SameKeyword(key, n)) return true;
  return false;
}

// Entry k of array a of a data set: 0 at or beyond its point count.
double Entry(const T_SCDS_D& ds, int a, int k) {
  const std::vector<double>& v = ds.arr[a];
  return (k < ds.n && static_cast<size_t>(k) < v.size()) ? v[k] : 0.0;
}

const char* InteractionTypeText(int32_t code) {
  switch (code) {
    case 0: return "NONE";
    case 1: return "PM";
    case 2: return "PMM";
    default: return "";
  }
}

constexpr const char* kComponentComments[6] = {
    "; bFx, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 2\n",
    "; bFy, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 3\n",
    "; bFz, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 4\n",
    "; bMx, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 5\n",
    "; bMy, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 6\n",
    "; bMz, HLOC[NSECT], HYST, [M_PROP]\t                                                            ; line 7\n",
};

}  // namespace

int CQsxSections::WriteInitialForce() {
  if (ReadMode() != 1 || Pool().elements.Empty()) return 1;
  hvx::CSection s = Section({"*INIFORCE    ; Initial Forces for Geometric Stiffness\n", "; ELEM_LIST, DIR, FORCE\n"});
  ForEachElement([](const T_ELEMKEY_D& k) { return k.axial; },
                 [&](int32_t id, const T_ELEM_D& e) { s.Line("  %d, AXIAL, %g\n", id, e.axial); });
  s.Close();
  return 1;
}

// The model data of one component line, after "  YES, 1, <keyword>, ".
static void WriteHingeModelData(CQsxSections& w, const char* key, const T_SKCV_D& cv) {
  const double* s = cv.value;  // s1 is s[0]
  const int32_t p0 = cv.ints[0];
  const bool multiA = IsOneOf(key, {"KIN", "ORG", "PKO", "DEG", "SYM", "NBI", "EBI", "ETR", "ETE"});
  const bool multiB = IsOneOf(key, {"CLO"});
  const bool multiC = IsOneOf(key, {"TAK", "REV", "ASY", "MTK", "TTE", "MTT"});
  if (multiA || multiB || multiC) {
    // Arrays of the first data set: 0 tension ratios, 1 tension yield
    // displacements, 2 tension strengths, 3/4/5 the same for compression.
    const T_SCDS_D ds = cv.sets.empty() ? T_SCDS_D{} : cv.sets[0];
    const int itype = Entry(ds, 1, 0) != 0.0 ? 1 : 0;
    const int tensList = itype == 1 ? 1 : 0;
    const int compList = itype == 1 ? 4 : 3;
    auto v = [&](int a, int k) { return std::fabs(Entry(ds, a, k)); };
    // The first part ends without a line break: the second runs on in the same line.
    w.Out(" 1, 0, 1, 4, 1, %d, %g, %g, %g, %g, %g, %g, %g, %g, 0.5, 1, 2, 4, 8,", itype, v(2, 0), v(2, 1), v(2, 2),
          v(2, 3), v(tensList, 0), v(tensList, 1), v(tensList, 2), v(tensList, 3));
    const double c[8] = {v(5, 0), v(5, 1), v(5, 2), v(5, 3), v(compList, 0), v(compList, 1), v(compList, 2),
                         v(compList, 3)};
    if (multiA)
      w.Out("%g, %g, %g, %g, %g, %g, %g, %g, 0.5, 1, 2, 4, 8\n", c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
    else if (multiB)
      w.Out("%g, %g, %g, %g, %g, %g, %g, %g, 0.5, 1, 2, 4, 8, %g\n", c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7],
            s[0]);
    else
      w.Out("%g, %g, %g, %g, %g, %g, %g, %g, 0.5, 1, 2, 4, 8, %g, 1\n", c[0], c[1], c[2], c[3], c[4], c[5], c[6],
            c[7], s[0]);
  } else if (IsOneOf(key, {"LIBI"})) {
    w.Out("%g, %g, %g, 0.05\n", s[0], s[1], s[2]);
  } else if (IsOneOf(key, {"LITR"})) {
    w.Out("%d, %g, %g, 0.01, YES\n", p0, s[0], s[1]);
  } else if (IsOneOf(key, {"HDRI"})) {
    w.Out("%d, %g, %g, %g, %g, %g\n", p0, s[0], s[1], s[4], s[5], s[6]);
  } else if (IsOneOf(key, {"RO"})) {
    w.Out("%g, %g\n", s[1], s[0]);
  } else if (IsOneOf(key, {"HD"})) {
    w.Out("%g\n", s[0]);
  }
}

// Lines 8 and 9: the two axial-moment interaction curves, continued with
// trailing backslashes, then the fixed yield-surface line. A curve number
// that is not in the store writes zeros.
static void WriteHingeInteraction(CQsxSections& w, const T_IHPR_D& h) {
  for (int c = 0; c < 2; ++c) {
    static const T_SKCV_D kNoCurve;
    const T_SKCV_D* cv = w.Pool().curves.Find(h.inter[c]);
    const double* v = (cv ? cv : &kNoCurve)->value;
    if (c == 0) w.Out("  NO, %g,", v[0]);
    w.Out(" %g, %g, %g, %g, %g, %g, %g \\\n", v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    // P1ST, M1ST, P2ND, M2ND: four runs of eleven values from entry 9 on.
    for (int run = 0; run < 4; ++run) {
      for (int k = 0; k < 11; ++k) w.Out(", %g", v[8 + 11 * run + k]);
      if (run < 3) w.Out(" \\\n");
    }
    w.Out(c == 0 ? ", \\\n" : " \n");
  }
  w.Out("  NO, 1.1, 1.1, 1.4, 2, 2, 2, 2, 2, 2, 2, 2, 2\n");
}

int CQsxSections::WriteHingeProperty() {
  if (ReadMode() != 1 || Pool().hinges.Empty()) return 1;
  Out("*VERSION\n");
  Out("  7.0.0\n\n");
  Out("*IHINGE-PROP    ; Inelastic Hinge Property\n");
  Out("; NAME, bAUTO, MTYPE, MCODE, iMATL, iSECT, MBTYPE, ELPOS, ITYPE, HTYPE, DEF, FIBER, DESC       ; line 1\n");
  for (const char* c : kComponentComments) Out(c);
  Out("; bPMAUTO, PC0, [PMDATA], [PMDATA]                                                             ; line 8\n");
  Out("; bYSAUTO, GAMMA1ST, GAMMA2ND, ALPHA, COUPLING, [YSDATA], [YSDATA]                             ; line 9\n");
  Out("; [M_PROP] : iSYM, iIM, DEFORM, SFTYPE, STIFF, iITYPE, [DATA]-TENS, [DATA]-COMP                ; KIN, ORG, PKO, DEG, NBI, EBI, ETR, ETE\n");
  Out("; [M_PROP] : iSYM, iIM, DEFORM, SFTYPE, STIFF, iITYPE, [DATA]-TENS, [DATA]-COMP, EXPO          ; CLO\n");
  Out("; [M_PROP] : iSYM, iIM, DEFORM, SFTYPE, STIFF, iITYPE, [DATA]-TENS, [DATA]-COMP, EXPO, FACTOR  ; TAK, MTK, TTE, MTT\n");
  Out("; [M_PROP] : Qd50, H, ALF, Rmin                                                                ; LIBI\n");
  Out("; [M_PROP] : iSW, H, Area, Rmin, bRmUPDATE                                                     ; LITI\n");
  Out("; [M_PROP] : iSW, H, Area, Gs, Hs, Us                                                          ; HDRI\n");
  Out("; [M_PROP] : Critical Displ, Maximum dammping                                                  ; RO\n");
  Out("; [M_PROP] : Critical Displ\t\t\t\t\t\t\t                                                       ; HD\n");
  Out("; [PMDATA] : MC0, PC, PCB, MC, PY, PYB, MY, P1ST1, .. P1ST11, M1ST1, .. M1ST11, P2ND1, .. P2ND11, M2ND1, .. M2ND11\n");
  Out("; [YSDATA] : BETAY1ST, BETAY2ND, BETAZ1ST, BETAZ2ND\n");
  Out("; [DATA] : YS-P1, YS-P2, YS-P3, YS-P4, SRR1, SRR2, SRR3, SRR4, HSL1, ... HSL5                  ; iITYPE=0\n");
  Out("; [DATA] : YS-P1, YS-P2, YS-P3, YS-P4, YD-D1, YD-D2, YD-D3, YD-D4, HSL1, ... HSL5              ; iITYPE=1\n");

  // Reference element of each hinge property: the lowest-numbered element whose
  // hinge number equals the property number (property 0 included).
  std::unordered_map<int32_t, int32_t> refElem;
  for (const T_ELEMKEY_D& k : SortedElements()) refElem.try_emplace(k.hinge, k.id);

  for (int32_t id : Pool().hinges.SortedKeys()) {
    T_IHPR_D h = *Pool().hinges.Find(id);

    // Component check: unsupported curves are dropped (and reported); a curve
    // number not in the store gives "  NO" without a report.
    int set = 0, dropped = 0;
    for (int32_t& c : h.comp) {
      if (c == 0) continue;
      ++set;
      const T_SKCV_D* cv = Pool().curves.Find(c);
      if (!cv) continue;
      if (!SupportedCurveType(cv->type)) {
        Log("IDS_HALVEX_Igrnore_SKCV_in_current_version", id);
        c = 0;
        ++dropped;
      }
    }
    if (set == 6 && dropped == 6) {
      NotConverted(hvx::EKind::kHingeProperties, id, "all six component curves of unsupported types");
      continue;
    }
    MarkWritten(hvx::EKind::kHingeProperties, "*IHINGE-PROP", id);
    if (dropped != 0)
      PartlyConverted(hvx::EKind::kHingeProperties, id, "component curves of unsupported types written as NO");

    // Line 1.
    const char* itype = InteractionTypeText(h.v[6]);
    const bool itypeNone = h.v[6] == 0, itypePmm = h.v[6] == 2;
    int32_t matl = 0, sect = 0;
    const char* mbtype = itypeNone ? "BEAM" : "COLUMN";
    const char* htype = itypePmm ? "DIST" : "SPR";
    if (auto r = refElem.find(id); r != refElem.end()) {
      T_ELEM_D e;
      Pool().elements.Lookup(r->second, e);
      if (Pool().materials.Contains(e.mat)) matl = e.mat;
      if (Pool().properties.Contains(e.prop)) sect = e.prop;
      T_NODS_D n1, n2;  // a missing node stands at the origin
      Pool().nodes.Lookup(e.node[0], n1);
      Pool().nodes.Lookup(e.node[1], n2);
      if (n1.pos[2] == n2.pos[2])
        mbtype = "BEAM";
      else if (n1.pos[0] == n2.pos[0] && n1.pos[1] == n2.pos[1])
        mbtype = "COLUMN";
      else
        mbtype = "BRACE";
      if (e.type == 1 || e.type == 2) htype = "DIST";
    }
    Out("  %s, %s, %s, %s, %d, %d, %s, %s, %s, %s, %s, %s, %s\n", hvx::Format("IHPR%d", id), "NO", "USER", "AIJ",
        matl, sect, mbtype, "I", itype, htype, "SKEL", "", h.title);

    // Lines 2 to 7: Fx, Fy, Fz, Mx, My, Mz.
    for (int32_t c : h.comp) {
      const T_SKCV_D* cv = c != 0 ? Pool().curves.Find(c) : nullptr;
      if (!cv) {
        Out("  NO\n");
        continue;
      }
      const char* key = HysteresisKeyword(cv->type);
      Out("  YES, %d, %s, ", 1, key);
      WriteHingeModelData(*this, key, *cv);
    }

    // Lines 8 and 9.
    if (h.v[6] != 0) WriteHingeInteraction(*this, h);
  }
  Out("*VERSION\n");
  Out("  6.4.1\n\n");
  Out("\n");
  return 1;
}

int CQsxSections::WriteHingeAssign() {
  if (ReadMode() != 1 || Pool().elements.Empty()) return 1;
  hvx::CSection s = Section({"*IHINGE-ASSIGN  ; Inelastic Hinge Assignment\n", "; ELEM_LIST, PROP\n"});
  for (const T_ELEMKEY_D& k : SortedElements())
    if (k.type != 82 && k.hinge != 0) s.Line("  %d, %s\n", k.id, hvx::Format("IHPR%d", k.hinge));
  s.Close();
  return 1;
}

int CQsxSections::WriteInitialElementForce() {
  if (Pool().initForces.Empty()) return 1;
  Out("*VERSION\n");
  Out("  6.7.1\n\n");
  Out("*INI-EFORCE    ; Initial Element Force\n");
  Out("; TYPE, ID, Axial-i, Axial-j     ; TRUSS\n");
  Out("; TYPE, ID, [ASTM]-i, [ASTM]-j   ; BEAM, E-LINK, G-LINK\n");
  Out("; [ASTM] : Axial, Shear-y, Shear-z, Torsion, Moment-y, Moment-z\n");
  for (int32_t id : Pool().initForces.SortedKeys()) {
    const T_INFC_D& f = *Pool().initForces.Find(id);
    const double* q = f.ends;
    if (f.kind == 1) {
      Out(" TRUSS, %d, %g, %g\n", id, q[0], q[6]);
      continue;
    }
    const char* kind = f.kind == 2 ? "BEAM" : f.kind == 3 ? "E-LINK" : f.kind == 4 ? "G-LINK" : "";
    Out(" %s, %d, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g\n", kind, id, q[0], q[1], q[2], q[3], q[4], q[5], q[6],
        q[7], q[8], q[9], q[10], q[11]);
  }
  Out("*VERSION\n");
  Out("  6.4.1\n\n");
  Out("\n");
  return 1;
}

}  // namespace hvx
