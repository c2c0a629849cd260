// Static load cases and their loads: the *STLDCASE table, then one *USE-STLD
// block per static case holding its ten load blocks in a fixed order.
#include <atomic>
#include <cmath>
#include <vector>

#include "writer/sections.h"

namespace hvx {

namespace {

enum LoadKind : int32_t {
  kNodalForce = 1,
  kNodalMoment = 2,
  kEnforcedTranslation = 3,
  kEnforcedRotation = 4,
  kBeamMoment = 40,
  kBeamForce = 41,
  kFacePressure = 42,
  kPrestress = 50,
};

enum ElemType : int32_t { kTruss = 1, kBeam = 2, kSolid = 31 };

// The element under a number; a missing element reads as type 0.
T_ELEM_D ElementOrEmpty(const CDataPool& pool, int32_t id, CMapWalk& walk) {
  T_ELEM_D e;
  e.type = 0;
  pool.elements.Lookup(id, e, walk);
  return e;
}

// Face of a solid element (type 31) named by the face nodes of a pressure
// entry: 1 to 6, or 0 when no face matches.
int SolidFace(const T_ELEM_D& e, int32_t first, int32_t second) {
  if (e.type != kSolid) return 0;
  auto slot = [&](int k) { return e.node[k - 1]; };
  // The first face of the list whose four slots hold a and b twice in all.
  auto faceOf = [&](const int (*faces)[5], int count, int32_t a, int32_t b) {
    for (int f = 0; f < count; ++f) {
      int hits = 0;
      for (int k = 1; k <= 4; ++k) hits += (slot(faces[f][k]) == a) + (slot(faces[f][k]) == b);
      if (hits == 2) return faces[f][0];
    }
    return 0;
  };
  switch (e.topo) {
    case 6:
    case 10: {  // tetrahedron: the fourth corner is held in slot 5
      const int32_t n = second;
      if (n == slot(1)) return 3;
      if (n == slot(2)) return 4;
      if (n == slot(3)) return 2;
      if (n == slot(5)) return 1;
      return 0;
    }
    case 7:
    case 11: {  // wedge
      if (second == 0) {
        if (first == slot(1) || first == slot(2) || first == slot(3)) return 1;
        if (first == slot(4) || first == slot(5) || first == slot(6)) return 2;
        return 0;
      }
      static const int kWedge[][5] = {{3, 1, 2, 5, 4}, {4, 2, 3, 6, 5}, {5, 3, 1, 4, 6}};
      return faceOf(kWedge, 3, first, second);
    }
    case 8:
    case 12: {  // hexahedron
      static const int kHexa[][5] = {{1, 1, 2, 3, 4}, {2, 5, 6, 7, 8}, {3, 1, 2, 6, 5},
                                     {4, 2, 3, 7, 6}, {5, 3, 4, 8, 7}, {6, 4, 1, 5, 8}};
      return faceOf(kHexa, 6, first, second);
    }
    default:
      return 0;
  }
}

// Writes the load blocks of one static case. Each block opens (header lines)
// as soon as one entry of its kind exists and closes with an empty line. The
// entries of a block are written in pieces (on several threads when the
// writer has them); what an entry reports or logs goes through the piece.
class CStaticCaseWriter {
 public:
  CStaticCaseWriter(CQsxSections& w, const T_LOAD_D& load) : m_w(w), m_pool(w.Pool()), m_load(load) {}

  void WriteAll(int32_t id) {
    NodalLoads(kNodalForce);
    NodalLoads(kNodalMoment);
    Pressures();
    Prestress();
    SelfWeight(id);
    BeamLoads();
    SectionTemperatures();
    ElementTemperatures();
    Displacements();
    if (hvx::CConversionReport* r = m_w.Report()) {
      r->Kind(hvx::EKind::kStaticLoads).read += static_cast<int64_t>(m_load.mbld.size() + m_load.etld.size());
      for (const T_MBLD_D& m : m_load.mbld)
        if (!IsStaticKind(m.kind)) Passed(m.target, "load kind %d is not written in static load cases", m.kind);
    }
  }

 private:
  static double Abs3(const double* v) { return std::fabs(v[0]) + std::fabs(v[1]) + std::fabs(v[2]); }
  static bool IsStaticKind(int32_t k) {
    return k == kNodalForce || k == kNodalMoment || k == kEnforcedTranslation || k == kEnforcedRotation ||
           k == kBeamMoment || k == kBeamForce || k == kFacePressure || k == kPrestress;
  }

  // For the report: a load entry on target not written, and the entries a
  // block wrote.
  template <class... A>
  void Passed(int32_t target, const char* reasonFmt, const A&... a) {
    m_w.NotConverted(hvx::EKind::kStaticLoads, target, reasonFmt, a...);
  }
  // The same from a piece of entries.
  void Passed(hvx::CPieceOut& out, int32_t target, const char* reason) {
    out.Then([this, target, reason] { Passed(target, reason); });
  }
  void Log(hvx::CPieceOut& out, const char* id) {
    out.Then([this, id] { m_w.Log(id); });
  }
  void Written(const char* section, int64_t n) {
    if (hvx::CConversionReport* r = m_w.Report()) r->AddWritten(hvx::EKind::kStaticLoads, section, n);
  }
  static constexpr const char* kUnsuited = "element missing or of a type the load does not suit";

  // The entries of list that select takes, written in pieces: the section's
  // header before the first, then entry(e, out, walk) for each, which
  // returns whether it wrote the entry. The count written.
  template <class T, class Select, class Entry>
  int64_t EachEntry(hvx::CSection& s, const std::vector<T>& list, Select&& select, Entry&& entry) {
    std::vector<const T*> picked;
    for (const T& e : list)
      if (select(e)) picked.push_back(&e);
    if (picked.empty()) return 0;
    s.Open();
    std::atomic<int64_t> written{0};
    // Threads are worth it when the case as a whole is long, though each of
    // its blocks may be short.
    m_w.WriteLines(
        picked.size(), m_w.Parallelism().writePieceLines,
        [&](size_t begin, size_t end, hvx::CPieceOut& out) {
          CMapWalk walk;
          int64_t n = 0;
          for (size_t k = begin; k < end; ++k) n += entry(*picked[k], out, walk) ? 1 : 0;
          written += n;
        },
        m_load.mbld.size() + m_load.etld.size());
    return written;
  }

  void NodalLoads(int32_t kind) {
    hvx::CSection s = m_w.Section({"*CONLOAD\n"});
    const int64_t written = EachEntry(
        s, m_load.mbld, [&](const T_MBLD_D& m) { return m.kind == kind; },
        [&](const T_MBLD_D& m, hvx::CPieceOut& out, CMapWalk&) {
          if (!(Abs3(m.val) > 1e-20)) {
            Passed(out, m.target, "nodal load of zero magnitude");
            return false;
          }
          const int32_t node = m_pool.TranslateNode(m.target);
          if (kind == kNodalForce)
            out.Format("%5d,  %g, %g, %g, %g, %g, %g\n", node, m.val[0], m.val[1], m.val[2], 0.0, 0.0, 0.0);
          else
            out.Format("%5d,  %g, %g, %g, %g, %g, %g\n", node, 0.0, 0.0, 0.0, m.val[0], m.val[1], m.val[2]);
          return true;
        });
    Written("*CONLOAD", written);
    s.Close();
  }

  void Pressures() {
    hvx::CSection s = m_w.Section({
        "*PRESSURE    ; Pressure Loads\n",
        "; ELEM_LIST, CMD, ETYP, LTYP, DIR, VX, VY, VZ, bPROJ, PU, P1, P2, P3, P4, GROUP  ; ETYP=PLATE, LTYP=FACE\n",
        "; ELEM_LIST, CMD, ETYP, LTYP, iEDGE, DIR, VX, VY, VZ, PU, P1, P2, GROUP          ; ETYP=PLATE, LTYP=EDGE\n",
        "; ELEM_LIST, CMD, ETYP, iEDGE, DIR, VX, VY, VZ, PU, P1, P2, GROUP                ; ETYP=PLANE\n",
        "; ELEM_LIST, CMD, ETYP, iFACE, DIR, VX, VY, VZ, bPROJ, PU, P1, P2, P3, P4, GROUP ; ETYP=SOLID\n",
        "; [PLATE] : plate, plane stress, [PLANE] : axisymmetric, plane strain\n",
    });
    const int64_t written = EachEntry(
        s, m_load.mbld, [](const T_MBLD_D& m) { return m.kind == kFacePressure; },
        [&](const T_MBLD_D& m, hvx::CPieceOut& out, CMapWalk& walk) {
          const T_ELEM_D e = ElementOrEmpty(m_pool, m.target, walk);
          const double* v = m.val;
          if (Abs3(v) + std::fabs(v[3]) <= 1e-20) {  // a NaN magnitude is written
            Passed(out, m.target, "pressure of zero magnitude");
            return false;
          }
          const bool noVector = m.vec[0] == 0.0 && m.vec[1] == 0.0 && m.vec[2] == 0.0;
          if (e.type >= 11 && e.type <= 18) {
            if (noVector)
              out.Format("%d, PRES , PLATE, FACE, LZ, 0, 0, 0, NO, 0, %g, %g, %g, %g, \n", m.target, v[0], v[1], v[2],
                         v[3]);
            else
              out.Format("%d, PRES , PLATE, FACE, VECTOR, %g, %g, %g, NO, 0, %g, %g, %g, %g, \n", m.target,
                         m.vec[0], m.vec[1], m.vec[2], v[0], v[1], v[2], v[3]);
            return true;
          }
          if (e.type == kSolid && ((e.topo >= 6 && e.topo <= 8) || (e.topo >= 10 && e.topo <= 12))) {
            const int face = SolidFace(e, m.dir[1], m.dir[2]);
            if (noVector)
              out.Format("%d, PRES , SOLID, %d, NORMAL, 0, 0, 0, NO, 0, %g, %g, %g, %g, \n", m.target, face, v[0],
                         v[1], v[2], v[3]);
            else
              out.Format("%d, PRES , SOLID, %d, VECTOR, %g, %g, %g, NO, 0, %g, %g, %g, %g, \n", m.target, face,
                         m.vec[0], m.vec[1], m.vec[2], v[0], v[1], v[2], v[3]);
            return true;
          }
          Passed(out, m.target, kUnsuited);
          return false;
        });
    Written("*PRESSURE", written);
    s.Close();
  }

  void Prestress() {
    hvx::CSection s = m_w.Section(
        {"*PRESTRESS    ; Prestress Beam Loads\n", "; ELEM_LIST, TENS-I, TENS-J, DI, DM, DJ, GROUP\n"});
    const int64_t written = EachEntry(
        s, m_load.mbld, [](const T_MBLD_D& m) { return m.kind == kPrestress; },
        [&](const T_MBLD_D& m, hvx::CPieceOut& out, CMapWalk& walk) {
          const T_ELEM_D e = ElementOrEmpty(m_pool, m.target, walk);
          if (e.type == kTruss) {
            Log(out, "IDS_HALVEX_Cannot_assign_prestress_load_to_truss");
            Passed(out, m.target, "prestress on a truss");
            return false;
          }
          if (e.type == kBeam) {
            out.Format("%d, %g, %g, %g, %g, %g, \n", m.target, m.val[0], m.val[1], m.val[2],
                       (m.val[2] + m.val[3]) / 2, m.val[3]);
            return true;
          }
          Passed(out, m.target, kUnsuited);
          return false;
        });
    Written("*PRESTRESS", written);
    s.Close();
  }

  void SelfWeight(int32_t id) {
    T_LOAD_D load;
    if (!m_pool.loads.Lookup(id, load)) return;
    const double* g = load.grav;
    if (g[0] == 0.0 && g[1] == 0.0 && g[2] == 0.0) return;
    m_w.Out("; *SELFWEIGHT, X, Y, Z, GROUP\n");
    m_w.Out("*SELFWEIGHT, %g, %g, %g, \n", g[0], g[1], g[2]);
    m_w.Out("\n");
  }

  void BeamLoads() {
    hvx::CSection s = m_w.Section({"*BEAMLOAD    ; Element Beam Loads\n",
                                   "; ELEM_LIST, CMD, TYPE, DIR, bPROJ, D1, P1, D2, P2, D3, P3, D4, P4, GROUP\n",
                                   "; ELEM_LIST, CMD, TYPE, DIR, VX, VY, VZ, bPROJ, D1, P1, D2, P2, D3, P3, D4, P4, "
                                   "GROUP\n"});
    static const char* const kDir[] = {"GX", "GY", "GZ", "LX", "LY", "LZ"};
    const int64_t written = EachEntry(
        s, m_load.mbld, [](const T_MBLD_D& m) { return m.kind == kBeamMoment || m.kind == kBeamForce; },
        [&](const T_MBLD_D& m, hvx::CPieceOut& out, CMapWalk& walk) {
          const double d1 = m.val[0], p1 = m.val[1], d2 = m.val[2], p2 = m.val[3];
          const bool distributed = d1 != d2 && d2 != 0.0;
          const char* type = m.kind == kBeamMoment ? (distributed ? "UNIMOMENT" : "CONMOMENT")
                                                   : (distributed ? "UNILOAD" : "CONLOAD");
          const char* dir = (m.dir[0] >= 1 && m.dir[0] <= 6) ? kDir[m.dir[0] - 1] : "";
          const char* proj = m.proj == 1 ? "YES" : "NO";
          const T_ELEM_D e = ElementOrEmpty(m_pool, m.target, walk);
          if (e.type == kTruss) {
            Log(out, "IDS_HALVEX_Cannot_assign_distload_to_truss");
            Passed(out, m.target, "beam load on a truss");
            return false;
          }
          if (e.type == kBeam) {
            if (distributed)
              out.Format("%d, BEAM, %s, %s, %s, %g, %g, %g, %g, 0, 0, 0, 0, \n", m.target, type, dir, proj, d1, p1,
                         d2, p2);
            else
              out.Format("%d, BEAM, %s, %s, %s, %g, %g, 0, 0, 0, 0, 0, 0, \n", m.target, type, dir, proj, d1, p1);
            return true;
          }
          Passed(out, m.target, kUnsuited);
          return false;
        });
    Written("*BEAMLOAD", written);
    s.Close();
  }

  // Temperature gradients: entries whose two temperatures differ.
  void SectionTemperatures() {
    hvx::CSection s = m_w.Section({
        "*BSTEMPER    ; Beam Section Temperature\n",
        "; ELEM_LIST, DIR, REF, NUM, GROUP                    ; line 1\n",
        ";   TYPE1, ELAST1, THERMAL1, B1, H11, T11, H21, T21  ; line 2\n",
        ";   ...\n",
        ";   TYPEn, ELASTn, THERMALn, Bn, H1n, T1n, H2n, T2n  ; line n+1\n",
    });
    const int64_t written = EachEntry(
        s, m_load.etld, [](const T_ETLD_D& t) { return t.t[0] != t.t[1]; },
        [&](const T_ETLD_D& t, hvx::CPieceOut& out, CMapWalk& walk) {
          const double T1 = t.t[0], T2 = t.t[1], t0 = t.t[2], dh = t.t[3], a = t.t[4], H = t.t[5];
          const T_ELEM_D e = ElementOrEmpty(m_pool, t.elem, walk);
          T_MATL601_D mat;
          m_pool.materials.Lookup(e.mat, mat, walk);
          T_PROP_D prop;
          m_pool.properties.Lookup(e.prop, prop, walk);
          if (e.type != kBeam) {
            Passed(out, t.elem, kUnsuited);
            return false;
          }
          const double E = mat.value[0];
          const double Iyy = prop.value[1];
          const double H1 = H / 2 - t0;
          const double H2 = H1 + dh;
          const double B = 12 * Iyy / (H * H * H);
          out.Format(" %d, LZ, Top, 1, \n", t.elem);
          out.Format(" INPUT, %g, %g, %g, %g, %g, %g, %g\n", E, a, B, H1, T1, H2, T2);
          return true;
        });
    Written("*BSTEMPER", written);
    s.Close();
  }

  // Uniform temperatures: entries whose two temperatures are equal.
  void ElementTemperatures() {
    hvx::CSection s =
        m_w.Section({"*ELTEMPER    ; Element Temperatures\n", "; ELEM_LIST, TEMPER, GROUP\n"});
    const int64_t written = EachEntry(
        s, m_load.etld, [](const T_ETLD_D& t) { return t.t[0] == t.t[1]; },
        [&](const T_ETLD_D& t, hvx::CPieceOut& out, CMapWalk& walk) {
          const T_ELEM_D e = ElementOrEmpty(m_pool, t.elem, walk);
          if (e.type == kTruss || e.type == kBeam) {
            out.Format(" %d, %g, \n", t.elem, t.t[0]);
            return true;
          }
          Passed(out, t.elem, kUnsuited);
          return false;
        });
    Written("*ELTEMPER", written);
    s.Close();
  }

  void Displacements() {
    hvx::CSection s = m_w.Section({"*SPDISP    ; Specified Displacement of Supports\n",
                                   "; NODE_LIST, FLAG, Dx, Dy, Dz, Rx, Ry, Rz, GROUP\n"});
    const int64_t written = EachEntry(
        s, m_load.mbld,
        [](const T_MBLD_D& m) { return m.kind == kEnforcedTranslation || m.kind == kEnforcedRotation; },
        [&](const T_MBLD_D& m, hvx::CPieceOut& out, CMapWalk&) {
          const int32_t node = m_pool.TranslateNode(m.target);
          if (m.kind == kEnforcedTranslation)
            out.Format("%5d, 111000, %g, %g, %g, 0, 0, 0, \n", node, m.val[0], m.val[1], m.val[2]);
          else
            out.Format("%5d, 000111, 0, 0, 0, %g, %g, %g, \n", node, m.val[0], m.val[1], m.val[2]);
          return true;
        });
    Written("*SPDISP", written);
    s.Close();
  }

  CQsxSections& m_w;
  const CDataPool& m_pool;
  const T_LOAD_D& m_load;
};

}  // namespace

bool CQsxSections::IsStaticLoadCase(const T_LOAD_D& load) const {
  const T_LCOP_D* option = m_pool->caseOptions.Find(load.lcop);
  return option && option->caseType == 3 && load.dynCode == 0;
}

int CQsxSections::WriteStaticCaseTable() {
  hvx::CSection s = Section({"*STLDCASE\n"});
  T_LOAD_D load;
  for (int32_t id : Pool().loads.SortedKeys()) {
    Pool().loads.Lookup(id, load);
    if (!IsStaticLoadCase(load)) continue;
    s.Line("%s,  %s,  %s\n", StaticCaseName(id, load), "USER", load.title);
    MarkWritten(hvx::EKind::kLoadSets, "*STLDCASE", id);
  }
  s.Close();
  return 1;
}

int CQsxSections::WriteStaticCaseBlocks() {
  T_LOAD_D load;
  for (int32_t id : Pool().loads.SortedKeys()) {
    Pool().loads.Lookup(id, load);
    if (!IsStaticLoadCase(load)) continue;
    const std::string name = StaticCaseName(id, load);
    Out("*USE-STLD, %s\n\n", name);
    CStaticCaseWriter(*this, load).WriteAll(id);
    Out("; End of data for load case [%s] -------------------------\n\n", name);
  }
  return 1;
}

}  // namespace hvx
