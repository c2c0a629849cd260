// Supports, rigid links, end releases and end offsets: *CONSTRAINT,
// *RIGIDLINK, *FRAME-RLS and *OFFSET.
#include <cstdlib>

#include "writer/sections.h"

namespace hvx {

namespace {

// Six flags run together, Dx first ("111000").
std::string FlagText(const int32_t* f) { return hvx::Format("%d%d%d%d%d%d", f[0], f[1], f[2], f[3], f[4], f[5]); }

// The decimal value of a flag text as atoi reads it (saturating, like the
// runtime the format comes from).
long long AtoiValue(const std::string& s) {
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) {
      v = 2147483648LL;
      break;
    }
  }
  if (neg) v = -v;
  if (v > 2147483647LL) v = 2147483647LL;
  return v;
}

// The constraint set that the model uses: the first set of the last constraint
// block. False when there is none.
bool ModelConstraintSet(const CDataPool& pool, T_CNST_D& set) {
  if (pool.constraints.Empty() || !pool.modelConstraintSet) return false;
  return pool.constraints.Lookup(*pool.modelConstraintSet, set);
}

}  // namespace

int CQsxSections::WriteConstraint() {
  hvx::CSection s = Section({"*CONSTRAINT    ; Supports\n", "; NODE_LIST, CONST(Dx,Dy,Dz,Rx,Ry,Rz), GROUP\n"});
  T_CNST_D set;
  if (ModelConstraintSet(Pool(), set))
    for (const T_CNND_D& c : set.nodes) s.Line("%5d, %s\n", c.ent, FlagText(c.dof));
  // Nodes with permanent flags, in the node map's enumeration order.
  const auto flagged = [](int32_t, const T_NODS_D& n) {
    for (int32_t f : n.cnst)
      if (f != 0) return true;
    return false;
  };
  Pool().nodes.EnumerateSelected(flagged,
                                 [&](int32_t id, const T_NODS_D& n) { s.Line("%5d, %s\n", id, FlagText(n.cnst)); });
  s.Close();
  return 1;
}

int CQsxSections::WriteRigidLink() {
  T_CNST_D set;
  if (!ModelConstraintSet(Pool(), set)) return 1;
  static const char* const kDof[] = {"100000", "010000", "001000", "000100", "000010", "000001"};
  hvx::CSection s = Section({"*RIGIDLINK    ; Rigid Link\n", "; M-NODE, DOF, S-NODE LIST, GROUP\n"});
  for (const T_CNEQ_D& eq : set.eqs) {
    if (eq.terms.size() != 2) {
      Log("IDS_HALVEX_Cannot_read_mutipoint_constraint");
      LeftOut(hvx::EKind::kConstraintEquations, eq.id, "equation of other than two terms left out of *RIGIDLINK");
      continue;
    }
    const T_EQNCN_D& slave = eq.terms[0];
    const T_EQNCN_D& master = eq.terms[1];
    if (slave.coef != -1.0 || master.coef != 1.0) continue;
    MarkWritten(hvx::EKind::kConstraintEquations, "*RIGIDLINK", eq.id);
    const char* dof = (slave.dof >= 1 && slave.dof <= 6) ? kDof[slave.dof - 1] : "";
    s.Line(" %d, %s, %d,\n", master.node, dof, slave.node);
  }
  s.Close();
  return 1;
}

int CQsxSections::WriteFrameRelease() {
  hvx::CSection s = Section({"*FRAME-RLS    ; Beam End Release\n",
                             "; ELEM_LIST, bVALUE, FLAG-i, Fxi, Fyi, Fzi, Mxi, Myi, Mzi        ; 1st line\n",
                             ";                    FLAG-j, Fxj, Fyj, Fzj, Mxj, Myj, Mzj, GROUP ; 2nd line\n"});
  ForEachElement([](const T_ELEMKEY_D& k) { return k.topo == 0 && k.release; },
                 [&](int32_t id, const T_ELEM_D& e) {
                   const int32_t* r = e.release;
                   const std::string fi = hvx::Format("%1d%1d%1d%1d%1d%1d", r[0], r[1], r[2], r[3], r[4], r[5]);
                   const std::string fj = hvx::Format("%1d%1d%1d%1d%1d%1d", r[6], r[7], r[8], r[9], r[10], r[11]);
                   if (AtoiValue(fi) + AtoiValue(fj) == 0) return;
                   s.Line("  %d, NO, %s, 0, 0, 0, 0, 0, 0\n", id, fi);
                   s.Line("          %s, 0, 0, 0, 0, 0, 0,\n", fj);
                 });
  s.Close();
  return 1;
}

int CQsxSections::WriteOffset() {
  if (Pool().elements.Empty()) return 1;
  hvx::CSection s =
      Section({"*OFFSET    ; Beam End Offsets\n",
               "; ELEM_LIST, TYPE, RGDXi, RGDYi, RGDZi, RGDXj, RGDYj, RGDZj, GROUP  ; TYPE=GLOBAL\n",
               "; ELEM_LIST, TYPE, RGDi, RGDj, GROUP                                ; TYPE=ELEMENT\n"});
  ForEachElement([](const T_ELEMKEY_D& k) { return k.topo == 0 && k.offset; },
                 [&](int32_t id, const T_ELEM_D& e) {
                   // A sum test: offsets adding up to zero or less are not written.
                   const double sum = e.offI[0] + e.offI[1] + e.offI[2] + e.offJ[0] + e.offJ[1] + e.offJ[2];
                   if (!(sum > 0.0)) return;
                   s.Line("  %d, GLOBAL, %g, %g, %g, %g, %g, %g,\n", id, e.offI[0], e.offI[1], e.offI[2], e.offJ[0],
                          e.offJ[1], e.offJ[2]);
                 });
  s.Close();
  return 1;
}

}  // namespace hvx
