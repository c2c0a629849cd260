// Eigenvalue and response-spectrum analysis: *EIGEN-CTRL, *SPEC-CTRL,
// *SFUNCTION and *SPLDCASE.
#include <optional>
#include <unordered_map>

#include "writer/function_points.h"
#include "writer/sections.h"

namespace hvx {

namespace {

constexpr int kSpectrumLoad = 3;      // dynamic-load code of a response-spectrum load set
constexpr int kSpectrumFunction = 18;

// A direction flag counts as set only when it is exactly 1.
bool FlagSet(int32_t flag) { return flag == 1; }

// The function of a spectrum entry: X, else Y, else Z by the first set flag;
// none when no flag is set (the caller carries the previous entry's id).
std::optional<int32_t> EntryFunction(const T_MBLD_D& e) {
  for (int d = 0; d < 3; ++d)
    if (FlagSet(e.dir[d])) return e.l3[d];
  return std::nullopt;
}

// Damping ratios of the spectrum functions: for each function id, val1 of the
// first entry of a spectrum load set (ascending ids, list order) naming it. An
// entry without a set flag keeps the last flagged entry's function and names
// nothing before any. A function no entry names has ratio 0.
std::unordered_map<int32_t, double> SpectrumDampingRatios(CDataPool& pool) {
  std::unordered_map<int32_t, double> ratios;
  std::optional<int32_t> carried;
  for (int32_t id : pool.loads.SortedKeys()) {
    const T_LOAD_D* load = pool.loads.Find(id);
    if (load->dynCode != kSpectrumLoad) continue;
    for (const T_MBLD_D& e : load->mbld) {
      if (auto f = EntryFunction(e)) carried = f;
      if (carried) ratios.emplace(*carried, e.val[0]);  // the first one stays
    }
  }
  return ratios;
}

}  // namespace

int CQsxSections::WriteEigenControl() {
  CDataPool& pool = Pool();
  if (pool.loads.Empty()) return 1;
  const std::vector<int32_t> keys = pool.loads.Keys();
  auto caseType = [&](int32_t id) {
    const T_LCOP_D* op = pool.caseOptions.Find(pool.loads.Find(id)->lcop);
    return op ? op->caseType : 0;
  };
  std::optional<int32_t> hit;
  for (int wanted : {2, 1}) {
    for (int32_t id : keys)
      if (caseType(id) == wanted) {
        hit = id;
        break;
      }
    if (hit) break;
  }
  if (!hit)
    for (int32_t id : keys)
      if (pool.loads.Find(id)->dynCode != 0) {
        hit = id;
        break;
      }
  if (!hit) return 1;

  T_LCOP_D op;
  pool.caseOptions.Lookup(pool.loads.Find(*hit)->lcop, op);
  Out("*EIGEN-CTRL    ; Eigenvalue Analysis Control\n");
  Out("; TYPE, iFREQ, iITER, iDIM, TOL          ; TYPE=EIGEN\n");
  Out("; TYPE, bINCNL, iGNUM                    ; TYPE=RITZ(line 1)\n");
  Out(";       KIND1, CASE1/GROUND1, iNOG1, ... ; TYPE=RITZ(from line2)\n");
  Out("EIGEN, %d, %d, 1, %g\n", op.nEigen == 0 ? 50 : op.nEigen, op.iterLimit == 0 ? 20 : op.iterLimit,
      op.tol == 0.0 ? 1e-10 : op.tol);
  Out("\n");
  MarkWritten(hvx::EKind::kLoadSets, "*EIGEN-CTRL", *hit);
  return 1;
}

int CQsxSections::WriteSpectrumControl() {
  CDataPool& pool = Pool();
  for (int32_t id : pool.loads.Keys()) {
    const T_LOAD_D* load = pool.loads.Find(id);
    if (load->dynCode != kSpectrumLoad) continue;
    const T_LCOP_D* op = pool.caseOptions.Find(load->lcop);
    const int comb = op ? op->combMethod : 0;
    Out("*SPEC-CTRL    ; Response Spectrum Analysis Control\n");
    Out("; TYPE, bADDSIGN, iSIGNTYPE\n");
    Out(" %s, NO, 0\n", comb == 1 ? "SRSS" : comb == 2 ? "CQC" : "");
    Out("\n");
    break;
  }
  return 1;
}

int CQsxSections::WriteSpectrumFunction() {
  CDataPool& pool = Pool();
  hvx::CSection s = Section({"*SFUNCTION    ; Specturm Function\n",
                             "; FUNC=NAME, iTYPE, iMETHOD, SCALE/MAX, GRAV, DRATIO, DESC  ; line 1\n",
                             ";      PERIOD1, VALUE1, PERIOD2, VALUE2, ...        ; from line 2\n"});
  if (pool.functions.Empty()) return 1;
  const std::unordered_map<int32_t, double> ratios = SpectrumDampingRatios(pool);
  pool.functions.Enumerate([&](int32_t id, const T_FUNC_D& f) {
    if (f.type != kSpectrumFunction) return;
    MarkWritten(hvx::EKind::kFunctions, "*SFUNCTION", id);
    const auto ratio = ratios.find(id);
    s.Line("FUNC=%s, %d, %d, %g, %g, %g, \n", NameOr(f.title, "SFUNC%d", id), 2, 0, 1.0, 0.0,
           ratio == ratios.end() ? 0.0 : ratio->second);
    hvx::WritePointPairs(m_out, f, " %g, %g", ", %g, %g\n");
  });
  s.Close();
  return 1;
}

int CQsxSections::WriteSpectrumLoadCase() {
  CDataPool& pool = Pool();
  if (pool.loads.Empty()) return 1;
  // The spectrum case syntax needs the newer format version; it is set back
  // below whether or not a case was written.
  hvx::CSection s = Section(
      {"*VERSION\n", "  6.7.0\n\n", "*SPLDCASE    ; Spectrum Load Cases\n",
       "; NAME=NAME, DIR, ANGLE, SCALE, PMFT, bDAMP, bECC, INTERP, DESC     ; line 1\n",
       ";      FUNC1, FUNC2, FUNC3, ...                                     ; line 2\n",
       ";      bCDR, [DR-DC]                                             ; line 3 (bDAMP=YES)\n",
       "; [DR-DC] : iMDTYPE, DALL, iMODE1, DAMPING1, iMODE2, DAMPING2, ...     ; iMDTYPE=1\n",
       ";         : iMDTYPE, iCOEF, bMASSP, MASSC, bSTIFFP, STIFFC             ; iMDTYPE=2, iCOEF=1\n",
       ";         : iMDTYPE, iCOEF, iCALC, bMASSP, FP1, DR1, bSTIFFP, FP2, DR2 ; iMDTYPE=2, iCOEF=2\n"});
  int32_t function = 0;  // carried to entries without a set direction flag
  for (int32_t id : pool.loads.SortedKeys()) {
    const T_LOAD_D* load = pool.loads.Find(id);
    if (load->dynCode != kSpectrumLoad) continue;
    // A spectrum load set opens the section even when it has no entries.
    s.Open();
    MarkWritten(hvx::EKind::kLoadSets, "*SPLDCASE", id);
    const std::string base = NameOr(load->title, "SPLCD%d", id);
    const T_LCOP_D* op = pool.caseOptions.Find(load->lcop);
    const int damp = op ? op->dampMethod : 0;
    const char* bDamp = damp != 0 ? "YES" : "NO";
    for (size_t j = 0; j < load->mbld.size(); ++j) {
      const T_MBLD_D& e = load->mbld[j];
      const std::string name = load->mbld.size() < 2 ? base : hvx::Format("%s-%d", base, static_cast<int>(j));
      if (auto f = EntryFunction(e)) function = *f;
      const T_FUNC_D* fn = pool.functions.Find(function);
      const std::string fname = NameOr(fn ? fn->title : std::string(), "SFUNC%d", function);

      // An entry without a set flag has no line 1; its function line is still
      // written, as the source program does.
      if (FlagSet(e.dir[0]))
        Out("NAME=%s, XY, 0., 1, 1, %s, NO, LOG, \n", name, bDamp);
      else if (FlagSet(e.dir[1]))
        Out("NAME=%s, XY, 90., 1, 1, %s, NO, LOG, \n", name, bDamp);
      else if (FlagSet(e.dir[2]))
        Out("NAME=%s, Z, 0., 1, 1, %s, NO, LOG, \n", name, bDamp);
      Out(" %s\n", fname);

      switch (damp) {
        case 1: {
          Out("     YES, 1, %g, ", load->M[0]);
          const T_FUNC_D* modal = hvx::ModalDampingFunction(pool, *load);
          if (modal) MarkWritten(hvx::EKind::kFunctions, "*SPLDCASE", load->Q[1]);
          if (!modal || hvx::WriteModalDampingPoints(m_out, *modal) == 0) Out("\n");
          break;
        }
        case 2:
          Out("     YES, 3\n");
          break;
        case 3:
          Out("     YES, 2, 1, YES, %g, YES, %g\n", load->M[11], load->M[10]);
          break;
        default:
          break;
      }
    }
  }
  s.Close();
  Out("*VERSION\n");
  Out("  6.4.1\n\n");
  return 1;
}

}  // namespace hvx
