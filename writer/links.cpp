// General link properties and general links: *NL-PROP and *HVX-NL-PROP (walks
// of WriteProperties over properties of type code 82) and *NL-LINK (elements
// of type code 82 in ascending number order).
#include "geometry/mathfunc.h"
#include "writer/boundary_index.h"
#include "base/element_kinds.h"
#include "writer/sections.h"

namespace hvx {

namespace {

constexpr int32_t kLinkCode = 82;

std::string LinkPropName(const T_PROP_D& p, int32_t id) { return CQsxSections::NameOr(p.title, "GPROP%d", id); }

const char* AppTypeName(int32_t app) {
  switch (app) {
    case 1: return "ELEMENT";
    case 2: return "FORCE";
    default: return "";
  }
}

const char* LinkTypeName(int32_t app, int32_t type) {
  static const char* const kElement[] = {"SPG", "DSP", "SLD"};
  static const char* const kForce[] = {"VD", "GAP", "HOOK", "HS", "LRBI", "FPSI"};
  if (app == 1 && type >= 1 && type <= 3) return kElement[type - 1];
  if (app == 2 && type >= 1 && type <= 6) return kForce[type - 1];
  return "";
}

// "YES" for each degree of freedom whose digit (1 = DX ... 6 = RZ) occurs in
// the decimal text of the flag.
void DofFlags(int32_t flag, const char* out[6]) {
  const std::string digits = hvx::Format("%d", flag);
  for (int k = 0; k < 6; ++k)
    out[k] = digits.find(static_cast<char>('1' + k)) != std::string::npos ? "YES" : "NO";
}

}  // namespace

void CQsxSections::WriteNlPropWalk(const std::vector<int32_t>& ids) {
  hvx::CSection s = Section({"*NL-PROP    ; General Link Property\n",
                             "; NAME, APPTYPE, TYPE, TW, bUSEMASS, TM, bSSL, DY, DZ, DESC\n",
                             "; bLDX, DX, EFFDAMP, bNDX, [NL_PROP]\n",
                             "; bLDY, DY, EFFDAMP, bNDY, [NL_PROP]\n",
                             "; bLDZ, DZ, EFFDAMP, bNDZ, [NL_PROP]\n",
                             "; bLRX, RX, EFFDAMP, bNRX, [NL_PROP]\n",
                             "; bLRY, RY, EFFDAMP, bNRY, [NL_PROP]\n",
                             "; bLRZ, RZ, EFFDAMP, bNRZ, [NL_PROP]\n",
                             "; [NL_PROP] : DSTIFF, DAMP, DEXP, bRIGDBR, BSTIFF, REFV ; Visco-elastic Damper Type\n",
                             "; [NL_PROP] : STIFF, OPEN                               ; Gap Type or Hook Type\n",
                             "; [NL_PROP] : STIFF, YSTR, PYS_RATIO, YEXP, PA, PB      ; Hysteretic System Type\n",
                             "; [NL_PROP] : STIFF, YSTR, PYS_RATIO, PA, PB            ; Lead Rubber Bearing Type\n",
                             "; [NL_PROP] : STIFF, FCS, FCF, RP, RADIUS, PA, PB       ; Friction Pendulum System Type\n"});
  ForEachProperty(ids, [&](int32_t id, const T_PROP_D& p) {
    if (p.type != kLinkCode) return;
    MarkWritten(hvx::EKind::kProperties, "*NL-PROP", id);
    const int32_t app = p.flag[0];
    const int32_t type = p.flag[1];
    const bool element = app == 1;
    const char* lin[6];
    const char* nl[6];
    DofFlags(p.flag[2], lin);
    DofFlags(p.flag[3], nl);
    if (element)
      for (const char*& f : nl) f = "NO";
    const double* v = p.value;
    s.Line(" %s, %s, %s, %g, %s, %g, YES, %g, %g, %s \n", LinkPropName(p, id), AppTypeName(app),
           LinkTypeName(app, type), v[0], v[1] == 0.0 ? "NO" : "YES", v[1], v[2], v[3], p.title);
    for (int k = 0; k < 6; ++k) {
      if (element) {
        s.Line(" %s, %g, %g, %s\n", lin[k], v[4 + k], v[10 + k], nl[k]);
        continue;
      }
      s.Line(" %s, %g, %g, %s", lin[k], v[4 + k], v[10 + k], nl[k]);
      const double* n = v + 16 + 8 * k;  // NL1 to NL8 of this degree of freedom
      switch (type) {
        case 1:  // VD
          s.Line(" %g, %g, %g, %s, %g, %g\n", n[0], n[1], n[2], n[3] == 0.0 ? "NO" : "YES", n[4], n[5]);
          break;
        case 2:  // GAP
        case 3:  // HOOK
          s.Line(" %g, %g\n", n[0], n[1]);
          break;
        case 4:  // HS
          s.Line(" %g, %g, %g, %g, %g, %g\n", n[0], n[1], n[2], n[3], n[4], n[5]);
          break;
        case 5:  // LRBI
          s.Line(" %g, %g, %g, %g, %g\n", n[0], n[1], n[2], n[3], n[4]);
          break;
        case 6:  // FPSI
          s.Line(" %g, %g, %g, %g, %g, %g, %g\n", n[0], n[1], n[2], n[3], n[4], n[5], n[6]);
          break;
        default:
          break;  // no continuation: the next text follows on the same line
      }
    }
  });
  s.Close();
}

void CQsxSections::WriteHvxNlPropWalk(const std::vector<int32_t>& ids) {
  hvx::CSection s = Section({"*HVX-NL-PROP\n"});
  ForEachProperty(ids, [&](int32_t id, const T_PROP_D& p) {
    if (p.type != kLinkCode) return;
    s.Line(" %s, %g, %g\n", LinkPropName(p, id), p.value[64], p.value[65]);
    MarkWritten(hvx::EKind::kProperties, "*HVX-NL-PROP", id);
  });
  s.Close();
}

int CQsxSections::WriteGeneralLink() {
  const auto& elements = Pool().elements;
  if (elements.Empty()) return 1;
  hvx::CSection s = Section(
      {"*NL-LINK  ; General Link\n", "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, ANGLE, GROUP\n",
       "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, iMETHOD, ANGLE-x, ANGLE-y, ANGLE-z, GROUP\n",
       "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, iMETHOD, P0X, P0Y, P0Z, P1X, P1Y, P1Z, P2X, P2Y, P2Z, GROUP\n",
       "; iNO, iNODE1, iNODE2, GPROP, IEPROP, iRCS, iMETHOD, V1X, V1Y, V1Z, V2X, V2Y, V2Z, GROUP\n"});
  const hvx::CBoundaryIndex groups(BoundaryGroups());
  T_PROP_D p;
  auto selected = [](const T_ELEMKEY_D& k) { return hvx::ElementKindOf(k.type, k.topo) == hvx::EElementKind::kNlLink; };
  ForEachElement(selected, [&](int32_t id, const T_ELEM_D& e) {
    // A missing property names the link by its number, as an untitled one.
    const std::string gprop =
        Pool().properties.Lookup(e.prop, p) ? LinkPropName(p, e.prop) : hvx::Format("GPROP%d", e.prop);
    const std::string ieprop = e.hinge != 0 ? hvx::Format("IHPR%d", e.hinge) : std::string();
    const std::string& group = groups.Name(id);
    ElementWritten();
    if (e.orient2[0] == 0.0 && e.orient2[1] == 0.0 && e.orient2[2] == 0.0) {
      double angle = 0.0;
      BetaAngleOf(e, angle);
      s.Line(" %d, %d, %d, %s, %s, 0, %g, %s\n", id, e.node[0], e.node[1], gprop, ieprop, angle, group);
    } else {
      s.Line(" %d, %d, %d, %s, %s, 1, 2, %g, %g, %g, %g, %g, %g, %s\n", id, e.node[0], e.node[1], gprop, ieprop,
             e.orient[0], e.orient[1], e.orient[2], e.orient2[0], e.orient2[1], e.orient2[2], group);
    }
  });
  ElementsWrittenTo("*NL-LINK");
  s.Close();
  return 1;
}

}  // namespace hvx
