// Time-history analysis: *TFUNCTION, *THLDCASE (with the initial-load cases
// and their *DYN-SLOAD rows) and the *DYN-SLOAD rows of nonlinear static cases.
#include "writer/function_points.h"
#include "writer/sections.h"

namespace hvx {

namespace {

constexpr const char* kInitialRamp = "InitialLoad";
constexpr const char* kNonlinearRamp = "InitialLoad_NL";

void WriteVersion(CQsxSections& w, const char* line) {
  w.Out("*VERSION\n");
  w.Out(line);
}

// The header of every *TFUNCTION section.
void WriteTimeFunctionHeader(CQsxSections& w) {
  w.Out("*TFUNCTION    ; Time History Function\n");
  w.Out("; FUNC=NAME, 1, iTYPE, iMETHOD, SCALE/MAX, GRAV, DESC  ; line 1\n");
  w.Out(";      TIME1, VALUE1, TIME2, VALUE2, ...               ; from line 2\n");
  w.Out("; FUNC=NAME, 2, iTYPE, GRAV, A, C, F, D, PA, DESC\n");
}

// A ramp time function under the given name: 0 at time 0, 1 at 5, 1 at 10;
// its empty line closes the *TFUNCTION section it was written in.
void WriteRampFunction(CQsxSections& w, const char* name) {
  w.Out("FUNC=%s, 1, 5, 0, 1, 0, \n", name);
  w.Out(" %g, %g, %g, %g\n %g, %g\n\n", 0.0, 0.0, 5.0, 1.0, 10.0, 1.0);
}

// The header of every *THLDCASE section, which needs format version 6.7.0.
void WriteThCaseHeader(CQsxSections& w) {
  WriteVersion(w, "  6.7.0\n\n");
  w.Out("*THLDCASE   ; Time History Load Cases\n");
  w.Out("; NAME=NAME, DESC                                                                      ; line 1\n");
  w.Out(";      iATYPE, iAMETHOD, iTHTYPE, ETIME/iISTEP, INC, iOUT, [SEQ LOAD]                  ; line 2\n");
  w.Out(";      iMDTYPE, [DR-DC], [TIP], [NACP]                                                 ; line 3(iAMETHOD=1,2)\n");
  w.Out(";      iINCCTRL, bCUMULATE, SCALE, [NACP]                                              ; line 3(iAMETHOD=3, iINCCTRL=0)\n");
  w.Out(";      iINCCTRL, bCUMULATE, [DISPL], [NACP]                                            ; line 3(iAMETHOD=3, iINCCTRL=1)\n");
  w.Out(";      iMODE1, DAMPING1, iMODE2, DAMPING2, ...                                         ; from line 4\n");
  w.Out("; [DR-DC] : DALL                                                                       ; iMDTYPE=1\n");
  w.Out(";         : iCOEF, bMASSP, MASSC, bSTIFFP, STIFFC                                      ; iMDTYPE=2, iCOEF=1\n");
  w.Out(";         : iCOEF, iCALC, bMASSP, FP1, DR1, bSTIFFP, FP2, DR2                          ; iMDTYPE=2, iCOEF=2\n");
  w.Out("; [TIP]   : iNMM, GAMMA, BETA                                                          ; iAMETHOD=2\n");
  w.Out("; [NACP]  : bITER, bCONV, MINSSS/iMSTEP, iMAXITER, bDN, DN, bFN, FN, bEN, EN, DMUPDATE ; iATYPE=2\n");
  w.Out("; [DISPL] : iCTRL, TINC , MNODE, MDIR\n");
  w.Out("; [SEQ LOAD] : bSUBSEQ, bEQUI, LCTYPE, CASE, bKEEP, bDVA\n");
}

const char* YesNo(bool b) { return b ? "YES" : "NO"; }

// A norm flag counts as on only when it is exactly 1.
bool On(int32_t flag) { return flag == 1; }

bool IsTimeFunction(int32_t type) { return type >= 21 && type <= 23; }

}  // namespace

int CQsxSections::WriteTimeFunction() {
  CDataPool& pool = Pool();
  bool any = false;
  pool.functions.Enumerate([&](int32_t id, const T_FUNC_D& f) {
    if (!IsTimeFunction(f.type)) return;
    if (!any) WriteTimeFunctionHeader(*this);
    any = true;
    Out("FUNC=%s, 1, %d, 0, 1, 0, \n", NameOr(f.title, "TFUNC%d", id), f.type - 19);
    MarkWritten(hvx::EKind::kFunctions, "*TFUNCTION", id);
    hvx::WritePointPairs(m_out, f, " %10g, %12g", ", %10g, %12g\n");
  });
  if (any) Out("\n");
  return 1;
}

int CQsxSections::WriteTimeHistoryLoadCase() {
  CDataPool& pool = Pool();
  if (pool.loads.Empty()) return 1;

  // Carried from one time-history case to the next.
  bool open = false;
  bool rampWritten = false;
  int lastAType = 1;
  int lastThType = 1;
  int lastMdType = 1;
  // The first displacement-controlled case whose master direction has no unit
  // component has no earlier direction to keep: it takes X.
  int lastMDir = 1;

  for (int32_t id : pool.loads.SortedKeys()) {
    const T_LOAD_D& L = *pool.loads.Find(id);
    const T_LCOP_D* op = pool.caseOptions.Find(L.lcop);
    if (!op || (op->caseType != 1 && op->caseType != 3)) continue;
    const bool dynamic = L.dynCode == 1 || L.dynCode == 2;
    if (!dynamic && !(L.dynCode == 0 && L.nonlinear != 0)) continue;

    // 1. The initial load.
    std::string sequence;
    if (op->initLoad != 0) {
      // A missing initial load set reads as an untitled set that is not a
      // linear static case. (Read in place: many cases may name one long set.)
      static const T_LOAD_D kNoLoad;
      const T_LOAD_D* found = pool.loads.Find(op->initLoad);
      const T_LOAD_D& I = found ? *found : kNoLoad;
      const T_LCOP_D* iop = found ? pool.caseOptions.Find(I.lcop) : nullptr;
      const bool linearStatic = iop && iop->caseType == 3 && I.dynCode == 0 && I.nonlinear == 0;
      if (!linearStatic) {
        sequence = ThCaseName(op->initLoad, I);
      } else {
        const std::string initName =
            L.title.empty() ? hvx::Format("THLDC%d_Init", id) : L.title + "_Init";
        if (open) Out("\n");
        if (!rampWritten) {
          WriteTimeFunctionHeader(*this);
          WriteRampFunction(*this, kInitialRamp);
          rampWritten = true;
        }
        WriteThCaseHeader(*this);
        Out("NAME=%s, \n", initName);
        Out("  2, 3, 1, 1, , 1, NO\n");
        Out("  0, NO, %g, YES, YES, 2, 10, YES, 0.001, YES, 0.001, NO, , NO\n\n", L.scale);
        WriteVersion(*this, "  6.4.1\n\n");
        Out("*DYN-SLOAD    ; Time Varying Static Load\n");
        Out("; THIS, SLOAD, FUNC, ATIME, SCALE\n");
        Out(" %s, %s, %s, %g, %g\n\n", initName, NameOr(I.title, "STLD%d", op->initLoad), kInitialRamp, 0.0, 1.0);
        sequence = initName;
        open = false;
      }
    }

    // 2, 3. The case line.
    if (!open) WriteThCaseHeader(*this);
    open = true;
    Out("NAME=%s, \n", ThCaseName(id, L));
    MarkWritten(hvx::EKind::kLoadSets, "*THLDCASE", id);

    // 4. Line 2.
    if (L.nonlinear == 0)
      lastAType = 1;
    else if (L.nonlinear == 1 || L.nonlinear == 3)
      lastAType = 2;
    const int aType = lastAType;
    const int aMethod = L.dynCode == 0 ? 3 : L.dynCode == 1 ? 2 : 1;
    if (L.S[0] == 1 || L.S[0] == 2) lastThType = L.S[0];
    const double inc = L.M[5];
    const double eTime = aMethod == 3 ? static_cast<double>(L.N[5]) : L.Q[3] * inc;
    if (op->initLoad == 0)
      Out("  %d, %d, %d, %g, %g, 1, NO\n", aType, aMethod, lastThType, eTime, inc);
    else
      Out("  %d, %d, %d, %g, %g, 1, YES, NO, TH,  %s, YES, NO\n", aType, aMethod, lastThType, eTime, inc, sequence);

    // 5. Iteration texts.
    const bool dn = On(L.R[0]), fn = On(L.R[1]), en = On(L.R[2]);
    const char* bIter = YesNo(dn || fn || en);
    const char* bConv = aType == 2 ? "YES" : " ";

    if (aMethod == 3) {
      // 6. Line 3 of a static case.
      if (L.P[10] == 0) {
        Out(" %d, NO, %g, ", 0, L.scale);
      } else {
        for (int d = 0; d < 3; ++d)
          if (L.L[7 + d] == 1.0) {
            lastMDir = d + 1;
            break;
          }
        Out(" %d, NO, ", 1);
        Out(" %d, %g, %d, %d, ", L.P[11], L.L[6], L.P[12], lastMDir);
      }
      Out(" %s, %s, 2, %d, %s, %g, %s, %g, %s, %g, NO\n", bIter, bConv, L.P[0], YesNo(dn), 0.001, YesNo(fn), 0.001,
          YesNo(en), 0.001);
      continue;
    }

    // 7. Line 3 of a modal or direct-integration case.
    switch (op->dampMethod) {
      case 1: lastMdType = 1; break;
      case 2: lastMdType = 3; break;
      case 3: lastMdType = 2; break;
      case 4:
        if (aMethod == 1) {
          // Rayleigh damping is not available in a modal case.
          lastMdType = 3;
          Log("IDS_HALVEX_Chage_leylagh_damp_to_energy_in_mode");
        } else {
          lastMdType = 4;
        }
        break;
      default: break;
    }
    switch (lastMdType) {
      case 1: Out(" 1, %g, ", L.M[0]); break;
      case 2: Out(" 2, 1, YES, %g, YES, %g, ", L.M[11], L.M[10]); break;
      case 3: Out(" 3, "); break;
      case 4: Out(" 4, "); break;
      default: break;
    }
    if (aMethod == 2)
      Out(" 3, 0.5, %g, ", L.M[9]);
    else
      Out(" , , , ");
    if (aType == 2)
      Out(" %s, %s, 1e-005, %d, %s, %g, %s, %g, %s, %g, NO\n", bIter, bConv, L.P[0], YesNo(dn), 0.001, YesNo(fn),
          0.001, YesNo(en), 0.001);
    else
      Out(" , , , , , , , , , , \n");
    if (On(L.S[1]))
      if (const T_FUNC_D* modal = hvx::ModalDampingFunction(pool, L)) {
        hvx::WriteModalDampingPoints(m_out, *modal);
        MarkWritten(hvx::EKind::kFunctions, "*THLDCASE", L.Q[1]);
      }
  }

  // 8. Back to the base version, whether or not a case was written.
  WriteVersion(*this, "  6.4.1\n\n");
  if (open) Out("\n");
  return 1;
}

int CQsxSections::WriteNonlinearStaticLoad() {
  CDataPool& pool = Pool();
  if (pool.loads.Empty() || ReadMode() != 1) return 1;
  bool any = false;
  for (int32_t id : pool.loads.SortedKeys()) {
    const T_LOAD_D& L = *pool.loads.Find(id);
    const T_LCOP_D* op = pool.caseOptions.Find(L.lcop);
    if (!op || op->caseType != 3 || L.dynCode != 0 || L.nonlinear != 1) continue;
    if (!any) {
      WriteTimeFunctionHeader(*this);
      WriteRampFunction(*this, kNonlinearRamp);
      Out("*DYN-SLOAD    ; Time Varying Static Load\n");
      Out("; THIS, SLOAD, FUNC, ATIME, SCALE\n");
      any = true;
    }
    Out(" %s, %s, %s, %g, %g\n", ThCaseName(id, L), StaticCaseName(id, L), kNonlinearRamp, 0.0, 1.0);
  }
  if (any) Out("\n");
  return 1;
}

}  // namespace hvx
