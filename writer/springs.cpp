// Spring supports, elastic links, nodal masses and node local axes:
// *GSPRTYPE (a walk of WriteProperties), *GSPRING, *NODALMASS, *SPRING,
// *ELASTICLINK and *LOCALAXIS. The element sections walk the element numbers
// in ascending order.
//
// An element whose property is missing from the store is written with the
// values of an empty property (all 0, no title), except a general spring,
// which needs its property's first flag to be 1 and so is not written. A
// node missing from the store is taken at the origin.
#include "geometry/mathfunc.h"
#include "writer/boundary_index.h"
#include "base/element_kinds.h"
#include "writer/sections.h"

namespace hvx {

namespace {

// The property of an element, or an empty one when the store has none.
T_PROP_D PropertyOf(const CDataPool& pool, const T_ELEM_D& e, bool* found = nullptr) {
  T_PROP_D p;
  const bool ok = pool.properties.Lookup(e.prop, p);
  if (found) *found = ok;
  return p;
}

void NodePos(const CDataPool& pool, int32_t id, double out[3]) {
  T_NODS_D n;
  const bool ok = pool.nodes.Lookup(id, n);
  for (int i = 0; i < 3; ++i) out[i] = ok ? n.pos[i] : 0.0;
}

std::string SpringTypeName(const T_PROP_D& p, int32_t id) {
  return CQsxSections::NameOr(p.title, "GSPR%d", id);
}

}  // namespace

void CQsxSections::WriteGsprTypeWalk(const std::vector<int32_t>& ids) {
  hvx::CSection s = Section({"*GSPRTYPE    ; Define General Spring Supports\n",
                             "; NAME, SDx1, SDy1, SDy2, SDz1, SDz2, SDz3, ..., SRz1, ..., SRz6\n"});
  ForEachProperty(ids, [&](int32_t id, const T_PROP_D& p) {
    if (p.type != 81 || p.flag[0] != 1) return;
    MarkWritten(hvx::EKind::kProperties, "*GSPRTYPE", id);
    const double* v = p.value;
    s.Line(" %s, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g, %g\n",
           SpringTypeName(p, id), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
           v[13], v[14], v[15], v[16], v[17], v[18], v[19], v[20]);
  });
  s.Close();
}

int CQsxSections::WriteGeneralSpring() {
  hvx::CSection s = Section({"*GSPRING    ; General Spring Supports\n", "; NODE_LIST, TYPE-NAME, GROUP\n"});
  auto selected = [](const T_ELEMKEY_D& k) { return hvx::ElementKindOf(k.type, k.topo) == hvx::EElementKind::kGenSpring; };
  ForEachElement(selected, [&](int32_t, const T_ELEM_D& e) {
    bool found = false;
    const T_PROP_D p = PropertyOf(Pool(), e, &found);
    if (!found || p.flag[0] != 1) {
      ElementPassed(found ? "general spring whose property's first flag is not 1" : "general spring without its property");
      return;
    }
    s.Line(" %d, %s,  \n", e.node[0], SpringTypeName(p, e.prop));
    ElementWritten();

    CLocalAxis axis;
    axis.node = e.node[0];
    if (e.node[1] != 0) {
      // Three points: node 1, node 2, and a point level with node 2 at right
      // angles to the plan direction from node 1 to node 2.
      axis.method = 2;
      NodePos(Pool(), e.node[0], axis.p0);
      NodePos(Pool(), e.node[1], axis.p1);
      double x = axis.p1[0] - axis.p0[0], y = axis.p1[1] - axis.p0[1], z = 0.0;
      CMathFunc::RotateAboutZ(90.0, x, y, z);
      axis.p2[0] = axis.p1[0] + x;
      axis.p2[1] = axis.p1[1] + y;
      axis.p2[2] = axis.p1[2];
    } else {
      // Two vectors: the orientation vector and it plus its plan turned by 90.
      axis.method = 3;
      for (int i = 0; i < 3; ++i) axis.v1[i] = e.orient[i];
      double x = e.orient[0], y = e.orient[1], z = 0.0;
      CMathFunc::RotateAboutZ(90.0, x, y, z);
      axis.v2[0] = axis.v1[0] + x;
      axis.v2[1] = axis.v1[1] + y;
      axis.v2[2] = axis.v1[2] + z;
    }
    LocalAxes().push_back(axis);
  });
  ElementsWrittenTo("*GSPRING");
  s.Close();
  return 1;
}

int CQsxSections::WriteNodalMass() {
  hvx::CSection s = Section({"*NODALMASS    ; Nodal Masses\n", "; NODE_LIST, mX, mY, mZ, rmX, rmY, rmZ\n"});
  auto selected = [](const T_ELEMKEY_D& k) { return hvx::ElementKindOf(k.type, k.topo) == hvx::EElementKind::kMass; };
  ForEachElement(selected, [&](int32_t, const T_ELEM_D& e) {
    const T_PROP_D p = PropertyOf(Pool(), e);
    MarkProperty("*NODALMASS", e.prop);
    s.Line(" %d, %g, %g, %g, %g, %g, %g\n", e.node[0], p.value[7], p.value[11], p.value[12], p.value[1], p.value[3],
           p.value[6]);
    ElementWritten();
  });
  ElementsWrittenTo("*NODALMASS");
  s.Close();
  return 1;
}

int CQsxSections::WritePointSpring() {
  hvx::CSection s =
      Section({"*SPRING    ; Point Spring Supports\n", "; NODE_LIST, SDx, SDy, SDz, SRx, SRy,SRz, GROUP\n"});
  const hvx::CBoundaryIndex groups(BoundaryGroups());
  auto selected = [](const T_ELEMKEY_D& k) { return hvx::ElementKindOf(k.type, k.topo) == hvx::EElementKind::kSpring; };
  ForEachElement(selected, [&](int32_t id, const T_ELEM_D& e) {
    const T_PROP_D p = PropertyOf(Pool(), e);
    MarkProperty("*SPRING", e.prop);
    const double* v = p.value + 5;  // entries 6 to 11
    s.Line(" %d, %g, %g, %g, %g, %g, %g, %s\n", e.node[0], v[0], v[1], v[2], v[3], v[4], v[5], groups.Name(id));
    ElementWritten();
  });
  ElementsWrittenTo("*SPRING");
  s.Close();
  return 1;
}

int CQsxSections::WriteElasticLink() {
  hvx::CSection s = Section(
      {"*ELASTICLINK\n",
       "; iNO, iNODE1, iNODE2, LINK, ANGLE, SDx, SDy, SDz, SRx, SRy, SRz, bSHEAR, DRy, DRz, GROUP   ; GEN\n",
       "; iNO, iNODE1, iNODE2, LINK, ANGLE, bSHEAR, DRy, DRz, GROUP                                 ; RIGID\n",
       "; iNO, iNODE1, iNODE2, LINK, ANGLE, SDx, bSHEAR, DRy, DRz, GROUP                            ; TENS,COMP\n"});
  const hvx::CBoundaryIndex groups(BoundaryGroups());
  auto selected = [](const T_ELEMKEY_D& k) { return hvx::ElementKindOf(k.type, k.topo) == hvx::EElementKind::kElasticLink; };
  ForEachElement(selected, [&](int32_t id, const T_ELEM_D& e) {
    if (e.node[0] == e.node[1]) {
      ElementPassed("elastic link with both ends on one node");
      return;
    }
    ElementWritten();
    double angle = 0.0;
    BetaAngleOf(e, angle);
    const T_PROP_D p = PropertyOf(Pool(), e);
    MarkProperty("*ELASTICLINK", e.prop);
    const double* v = p.value + 5;  // entries 6 to 11
    s.Line(" %d, %d, %d, GEN, %g, %g, %g, %g, %g, %g, %g, NO, 0.5, 0.5, %s\n", id, e.node[0], e.node[1], angle, v[0],
           v[1], v[2], v[3], v[4], v[5], groups.Name(id));
  });
  ElementsWrittenTo("*ELASTICLINK");
  s.Close();
  return 1;
}

int CQsxSections::WriteLocalAxis() {
  hvx::CSection s = Section({"*LOCALAXIS    ; Node Local Axis\n",
                             "; NODE_LIST, iMETHOD, ANGLE-x, ANGLE-y, ANGLE-z                    ; iMETHOD=1\n",
                             "; NODE_LIST, iMETHOD, P0X, P0Y, P0Z, P1X, P1Y, P1Z, P2X, P2Y, P2Z  ; iMETHOD=2\n",
                             "; NODE_LIST, iMETHOD, V1X, V1Y, V1Z, V2X, V2Y, V2Z                 ; iMETHOD=3\n"});
  if (LocalAxes().empty()) return 1;
  s.Open();  // the header comes even when no axis has a method that writes a line
  for (const CLocalAxis& a : LocalAxes()) {
    switch (a.method) {
      case 1:
        s.Line(" %d, %d, %g, %g, %g\n", a.node, 1, a.angle[0], a.angle[1], a.angle[2]);
        break;
      case 2:
        s.Line(" %d, %d, %g, %g, %g, %g, %g, %g, %g, %g, %g\n", a.node, 2, a.p0[0], a.p0[1], a.p0[2], a.p1[0], a.p1[1],
               a.p1[2], a.p2[0], a.p2[1], a.p2[2]);
        break;
      case 3:
        s.Line(" %d, %d, %g, %g, %g, %g, %g, %g\n", a.node, 3, a.v1[0], a.v1[1], a.v1[2], a.v2[0], a.v2[1], a.v2[2]);
        break;
      default:
        break;  // no line
    }
  }
  s.Close();
  return 1;
}

}  // namespace hvx
