// Analysis-control extension sections (*HVX-).
#include "writer/sections.h"

namespace hvx {

namespace {

// Text of a code in a keyword table; a code outside the table gives "".
template <size_t N>
const char* Pick(const char* const (&table)[N], int32_t code) {
  return (code >= 0 && static_cast<size_t>(code) < N) ? table[code] : "";
}

constexpr const char* kModalMethod[] = {"NONE", "HOUS", "SUBS", "COMP"};
constexpr const char* kResMethod[] = {"NONE", "MODE", "DIRE", "COMP", "FREQ"};
constexpr const char* kDampType[] = {"NONE", "MODE", "STRA", "PROP", "PRO2", "HYST"};
constexpr const char* kExctType[] = {"", "EART", "GRD"};
// Codes 2 and 3 give SV and SA, the reverse of the order of the comment line.
constexpr const char* kDynaType[] = {"", "ACC", "SV", "SA", "SD", "TGFC", "FGFC"};
constexpr const char* kExtlType[] = {"EQFC", "UNIF", "MULT", "MULT1", "MULT2", "MULT3", "MULT4"};
constexpr const char* kIntgMethod[] = {"", "NEWM", "WILS", "DUHA", "NIGA"};
constexpr const char* kCompMethod[] = {"", "SRSS", "CQC"};
constexpr const char* kFreedom[] = {"", "DX", "DY", "DZ", "RX", "RY", "RZ"};

const char* YesNo(bool b) { return b ? "YES" : "NO"; }

}  // namespace

int CQsxSections::WriteHvxAnalType() {
  if (ReadMode() != 1 || Pool().loads.Empty()) return 1;
  Out("*HVX-ANALTYPE    ; [Halvex] Analysis Type\n");
  Out("; NAME=NAME, ANALTYPE, DESC                                            : 1st line\n");
  Out(";      bIMPORTINIT                                                     : 2nd line (ANALTYPE=STATIC)\n");
  Out(";      MODALMETHOD, RESMETHOD, DAMPTYPE                                : 2nd line (ANALTYPE=MODAL)\n");
  Out(";      TH-LCASE, MODALMETHOD, RESMETHOD, DAMPTYPE, EXCTTYPE, DYNATYPE  : 2nd line (ANALTYPE=TH)\n");
  Out(";      EXTLTYPE, INTGMETHOD, dBETAINV, dTHETA, COMPMETHOD, bIMPORTINIT : 3rd line (ANALTYPE=TH)\n");
  Out(";      RS-LCASE, MODALMETHOD, RESMETHOD, DAMPTYPE, EXCTTYPE, DYNATYPE  : 2nd line (ANALTYPE=RS)\n");
  Out(";      EXTLTYPE,k COMPMETHOD, bIMPORTINIT                              : 3rd line (ANALTYPE=RS)\n");
  Out("; -> ANALTYPE    - STATIC, MODAL, TH, RS\n");
  Out("; -> MODALMETHOD - NONE, HOUS, SUBS, COMP\n");
  Out("; -> RESMETHOD   - NONE, MODE, DIRE, COMP, FREQ\n");
  Out("; -> DAMPTYPE    - NONE, MODE, STRA, PROP, PRO2, HYST\n");
  Out("; -> EXCTTYPE    - EART, GRD\n");
  Out("; -> DYNATYPE    - ACC, SA, SV, SD, TGFC, FGFC\n");
  Out("; -> EXTLTYPE    - EQFC, UNIF, MULT, MULT1, MULT2, MULT3, MULT4\n");
  Out("; -> INTGMETHOD  - NEWM, WILS, DUHA, NIGA\n");
  Out("; -> COMPMETHOD  - SRSS, CQC\n");
  bool modalDone = false, staticDone = false;
  Pool().loads.Enumerate([&](int32_t id, const T_LOAD_D& load) {
    const T_LCOP_D* op = Pool().caseOptions.Find(load.lcop);
    if (!op) return;
    const std::string name = hvx::Format("ANALTYPE%d", id);
    const char* modal = Pick(kModalMethod, op->modalMethod);
    const char* res = Pick(kResMethod, op->resMethod);
    const char* damp = Pick(kDampType, op->dampMethod);
    const char* exct = Pick(kExctType, op->excitType);
    const char* dyna = Pick(kDynaType, op->dynaType);
    const char* extl = Pick(kExtlType, op->extlType);
    const char* comp = Pick(kCompMethod, op->combMethod);
    const char* importInit = YesNo(op->initLoad != 0);
    if (op->caseType == 1 && load.dynCode == 3) {
      // One response-spectrum entry per structural load, named like the
      // spectrum load cases.
      const std::string base = NameOr(load.title, "SPLCD%d", id);
      const size_t n = load.mbld.size();
      for (size_t j = 0; j < n; ++j) {
        const int jj = static_cast<int>(j);
        const std::string caseName = n > 1 ? hvx::Format("%s-%d", base, jj) : base;
        const std::string analName = n > 1 ? hvx::Format("%s-%d", name, jj) : name;
        Out("  NAME=%s, RS, \n", analName);
        Out("       %s, %s, %s, %s, %s, %s\n", caseName, modal, res, damp, exct, dyna);
        Out("       %s, %s, %s\n", extl, comp, importInit);
      }
    } else if (op->caseType == 1) {
      const double beta = load.M[9];  // Newmark beta
      const double betaInv = op->intgMethod == 1 ? beta : 0.0;
      const double theta = op->intgMethod == 2 ? beta : 0.0;
      Out("  NAME=%s, TH, \n", name);
      Out("       %s, %s, %s, %s, %s, %s\n", ThCaseName(id, load), modal, res, damp, exct, dyna);
      Out("       %s, %s, %g, %g, %s, %s\n", extl, Pick(kIntgMethod, op->intgMethod), betaInv, theta, comp, importInit);
    } else if (op->caseType == 2) {
      if (modalDone) return;
      modalDone = true;
      Out("  NAME=%s, MODAL, \n", name);
      Out("       %s, %s, %s\n", modal, res, damp);
    } else if (op->caseType == 3) {
      if (staticDone) return;
      staticDone = true;
      Out("  NAME=%s, STATIC,\n", name);
      Out("           %s\n", importInit);
    }
  });
  Out("\n");
  return 1;
}
int CQsxSections::WriteHvxDegree() {
  if (ReadMode() != 1) return 1;
  // Digit k of the structure code frees degree of freedom k.
  const std::string code = hvx::Format("%d", Pool().Analysis().structCode);
  char freedom[7] = "000000";
  for (int k = 0; k < 6; ++k)
    if (code.find(static_cast<char>('1' + k)) != std::string::npos) freedom[k] = '1';
  Out("*HVX-DEGREE\n");
  Out("; FREEDOM(Dx,Dy,Dz,Rx,Ry,Rz)\n");
  Out("  %s\n", freedom);
  Out("\n");
  return 1;
}

int CQsxSections::WriteHvxPrintOpt() {
  if (ReadMode() != 1) return 1;
  const int32_t* v = Pool().Analysis().set;
  auto yn = [&](int i) { return v[i] != 0 ? "NO" : "YES"; };
  Out("*HVX-PRINTOPT\n");
  Out(";bINPUTDATA, bTIMEFORCE\n");
  Out(";bEIGEN, bMAXVAL, bRESIDISP, bMAXDISP, bMAXAXIAL, bMAXSHEAR, bMAXMOMENT, bMAXFREE\n");
  Out(";bTIME, bACCVELDISP, bBEAMFORCE, bHYSTERESIS, bAXIALCHANGE, bTRANFUNC, bSPECTRUM\n");
  Out("  %s, %s\n", yn(0), yn(1));
  Out("  %s, %s, %s, %s, %s, %s, %s, %s\n", yn(2), yn(3), yn(4), yn(5), yn(6), yn(7), yn(8), yn(9));
  Out("  %s, %s, %s, %s, %s, %s, %s\n", yn(10), yn(11), yn(12), yn(13), yn(14), yn(15), yn(16));
  Out("\n");
  return 1;
}
int CQsxSections::WriteHvxConstraint() {
  if (ReadMode() != 1) return 1;
  hvx::CSection s = Section({
      "*HVX-CONSTRAINT\n",
      ";NAME, iNODE, DIR, DESC                                               ; 1st line\n",
      ";iMETHOD, iNODE, DIR                                                  ; 2nd line (iMETHOD=1)\n",
      ";iMETHOD, iNODE1, iNODE2, DIR                                         ; 2nd line (iMETHOD=2)\n",
      ";iMETHOD, bUSE1, iNODE1, DIR1, Ai1, ... , bUSE4, iNODE4, DIR4, Ai4\t\t; 2nd line (iMETHOD=3)\n",
  });
  // A freedom code outside 1 to 6 keeps the text last set, across equations.
  const char* dir = "";
  auto freedom = [&](int32_t code) {
    if (code >= 1 && code <= 6) dir = kFreedom[code];
    return dir;
  };
  Pool().constraints.Enumerate([&](int32_t, const T_CNST_D& set) {
    for (const T_CNEQ_D& eq : set.eqs) {
      // An equation without terms has no node to name: it is passed over.
      if (eq.terms.empty()) {
        NotConverted(hvx::EKind::kConstraintEquations, eq.id, "equation without terms");
        continue;
      }
      MarkWritten(hvx::EKind::kConstraintEquations, "*HVX-CONSTRAINT", eq.id);
      const T_EQNCN_D& first = eq.terms[0];
      s.Line("%s, %d, %s, \n", hvx::Format("MPC%d", eq.id), first.node, freedom(first.dof));
      Out(" 3, ");
      for (size_t t = 1; t < eq.terms.size(); ++t) {
        const T_EQNCN_D& term = eq.terms[t];
        Out("YES, %d, %s, %g, ", term.node, freedom(term.dof), term.coef);
      }
      Out("\n");
    }
  });
  s.Close();
  return 1;
}

int CQsxSections::WriteHvxEigenCtrl() {
  if (ReadMode() != 1 || Pool().loads.Empty()) return 1;
  // The same search as "*EIGEN-CTRL": case type 2, then case type 1, then any
  // dynamic load set, each in enumeration order.
  auto caseType = [&](const T_LOAD_D& l) {
    const T_LCOP_D* op = Pool().caseOptions.Find(l.lcop);
    return op ? op->caseType : 0;
  };
  const std::vector<int32_t> keys = Pool().loads.Keys();
  const T_LOAD_D* hit = nullptr;
  for (int pass = 0; pass < 3 && !hit; ++pass) {
    for (int32_t id : keys) {
      const T_LOAD_D* l = Pool().loads.Find(id);
      const bool match = pass == 0 ? caseType(*l) == 2 : pass == 1 ? caseType(*l) == 1 : l->dynCode != 0;
      if (match) {
        hit = l;
        break;
      }
    }
  }
  if (!hit) return 1;
  const T_LCOP_D* found = Pool().caseOptions.Find(hit->lcop);
  const T_LCOP_D op = found ? *found : T_LCOP_D{};
  const int32_t countDefault = op.caseType == 2 ? op.nEigen : 50;
  Out("*HVX-EIGEN-CTRL\n");
  Out("; FREQ_SHIFT, PRINTNUM, FILENUM, ITRNUM, TOLERANCE\n");
  Out(" %g, %d, %d, %d, %e\n", op.freqShift, op.printCount != 0 ? op.printCount : countDefault,
      op.fileCount != 0 ? op.fileCount : countDefault, op.iterLimit != 0 ? op.iterLimit : 10,
      op.tol == 0.0 ? 1e-6 : op.tol);
  Out("\n");
  return 1;
}

int CQsxSections::WriteHvxNlCtrl() {
  if (ReadMode() != 1 || Pool().loads.Empty()) return 1;
  hvx::CSection s = Section({
      "*HVX-NLCTRL    ; [Halvex] Nonlinear Analysis Control\n",
      "; NAME=NAME, LCASE_TH, iAMETHOD, iUNEQUAL, bCONVERG, iCONVNUM, CONVTOL, BMOMENT, bDAMP, DESC : 1st line\n",
      ";      ELEM_LIST1, BMOMENT1, ELEM_LIST2, BMOMENT2, ...                                       : from 2nd line\n",
      "; -> BMOMENT - AVERG, I, J\n",
  });
  Pool().loads.Enumerate([&](int32_t id, const T_LOAD_D& load) {
    if (load.nonlinear == 0) return;
    const std::string name = ThCaseName(id, load);
    const int unequal = load.R[6] == 0 ? 1 : 0;
    const bool converg = load.R[0] != 0 || load.R[1] != 0 || load.R[2] != 0;
    const double tol = load.R[0] == 1 ? load.K[0] : 0.01;
    const char* moment = load.N[9] == 0 ? "AVERG" : load.N[9] == 1 ? "I" : "J";
    s.Line("   NAME=%s, %s, 0, %d, %s, %d, %g, %s, NO, \n", name, name, unequal, YesNo(converg), load.P[0], tol,
           moment);
  });
  // The closing empty line is written even when no load set is nonlinear.
  Out("\n");
  return 1;
}

}  // namespace hvx
