// Element output: *ELEMENT, one line per frame, planar or solid element in
// ascending number order, of the kinds base/element_kinds.h names as lines of
// *ELEMENT. Beams of type 2 and 5 are written with a reference point (REF),
// of type 3 without; triangles with a fourth node 0; tetrahedra with nodes 1,
// 2, 3 and 5, wedges with 1, 2, 3, 5, 6 and 7, hexahedra with 1 to 8.
// Higher-order topologies are written with their corner nodes only.
#include <atomic>

#include "base/element_kinds.h"
#include "writer/sections.h"

namespace hvx {

namespace {
constexpr const char* kSolidFormat = "%6d, SOLID , %5d, %5d, %5d, %5d, %5d, %5d, %5d, %5d, %5d, %5d\n";

// A beam (type 2 on topology 0) whose two nodes exist is written with its
// orientation vector turned into a reference point: node 1's position plus
// the vector. Otherwise the vector stands as it is.
void TurnBeam(const CDataPool& pool, T_ELEM_D& e, CMapWalk& walk) {
  if (e.type != 2 || e.topo != 0) return;
  T_NODS_D n1;
  if (!pool.nodes.Lookup(e.node[0], n1, walk) || !pool.nodes.Contains(e.node[1])) return;
  for (int i = 0; i < 3; ++i) e.orient[i] += n1.pos[i];
}
}  // namespace

// One *ELEMENT line; false for an element this section passes over. Reads
// the store only as several threads may at once.
bool CQsxSections::FormatElement(int32_t id, const T_ELEM_D& e, hvx::CPieceOut& out) const {
  // Material: the element's own in read mode 1, its property's in read
  // mode 0 (1 when the property does not exist).
  int32_t mat = e.mat;
  if (m_pool->readMode != 1) {
    const T_PROP_D* prop = m_pool->properties.Find(e.prop);
    mat = prop ? prop->mat : 1;
  }
  const int32_t* n = e.node;
  // The line's numbers, for a file that wants them: the type field, the
  // property field and the whole-number fields after it.
  hvx::CPieceNumbers* numbers = out.Numbers();
  const auto record = [&](hvx::EElementKind type, int32_t property, std::initializer_list<int32_t> fields) {
    if (numbers) numbers->Element(id, type, mat, property, fields);
  };
  using K = hvx::EElementKind;
  switch (const K kind = hvx::ElementKindOf(e.type, e.topo)) {
    case K::kTruss:
      out.Format("%6d, TRUSS , %5d, %5d, %5d, %5d, %g\n", id, mat, e.prop, n[0], n[1], 0.0);
      record(kind, e.prop, {n[0], n[1]});
      return true;
    case K::kBeam:
      if (e.type == 3)
        out.Format("%6d, BEAM  , %5d, %5d, %5d, %5d\n", id, mat, e.prop, n[0], n[1]);
      else
        out.Format("%6d, BEAM  , %5d, %5d, %5d, %5d, REF, %g, %g, %g\n", id, mat, e.prop, n[0], n[1],
                   e.orient[0], e.orient[1], e.orient[2]);
      record(kind, e.prop, {n[0], n[1]});
      return true;
    case K::kPlstrs:
    case K::kPlate:
    case K::kPlstrn: {
      const char* format = kind == K::kPlstrs ? "%6d, PLSTRS, %5d, %5d, %5d, %5d, %5d, %5d, %5d\n"
                           : kind == K::kPlate ? "%6d, PLATE , %5d, %5d, %5d, %5d, %5d, %5d, %5d\n"
                                               : "%6d, PLSTRN, %5d, %5d, %5d, %5d, %5d, %5d, %5d\n";
      const int32_t n4 = hvx::IsQuadrangle(e.topo) ? n[3] : 0;  // triangles: 0
      const int32_t sub = kind == K::kPlate ? 2 : 1;             // iSUB: 2 for plates
      out.Format(format, id, mat, e.prop, n[0], n[1], n[2], n4, sub);
      record(kind, e.prop, {n[0], n[1], n[2], n4, sub});
      return true;
    }
    case K::kSolid:
      if (hvx::IsTetrahedron(e.topo)) {
        out.Format(kSolidFormat, id, mat, 0, n[0], n[1], n[2], n[4], 0, 0, 0, 0);
        record(kind, 0, {n[0], n[1], n[2], n[4], 0, 0, 0, 0});
      } else if (hvx::IsWedge(e.topo)) {
        out.Format(kSolidFormat, id, mat, 0, n[0], n[1], n[2], n[4], n[5], n[6], 0, 0);
        record(kind, 0, {n[0], n[1], n[2], n[4], n[5], n[6], 0, 0});
      } else {
        out.Format(kSolidFormat, id, mat, 0, n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]);
        record(kind, 0, {n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]});
      }
      return true;
    default:
      return false;
  }
}

int CQsxSections::WriteElement() {
  const auto& elements = Pool().elements;
  if (elements.Empty()) return 1;
  Out("*ELEMENT    ; Elements\n");
  Out("; iEL, TYPE, iMAT, iPRO, iN1, iN2, ANGLE, iSUB, EXVAL              ; Frame  Element\n");
  Out("; iEL, TYPE, iMAT, iPRO, iN1, iN2, iN3, iN4, iSUB, iWID            ; Planar Element\n");
  Out("; iEL, TYPE, iMAT, iPRO, iN1, iN2, iN3, iN4, iN5, iN6, iN7, iN8    ; Solid  Element\n");
  Out("; iEL, TYPE, iMAT, iPRO, iN1, iN2, REF, RPX, RPY, RPZ, iSUB, EXVAL ; Frame(Ref. Point)\n");
  const std::vector<int32_t> ids = elements.SortedKeys();
  // Elements written, for the report; each piece adds its own.
  std::atomic<int64_t> written{0};
  WriteLines(ids.size(), Parallelism().writePieceLines, [&](size_t begin, size_t end, hvx::CPieceOut& out) {
    T_ELEM_D e;
    CMapWalk walk, nodeWalk;
    int64_t count = 0;
    if (hvx::CPieceNumbers* numbers = out.Numbers()) numbers->Reserve(end - begin, 8);
    for (size_t k = begin; k < end; ++k) {
      const int32_t id = ids[k];
      elements.Lookup(id, e, walk);
      TurnBeam(Pool(), e, nodeWalk);
      if (!FormatElement(id, e, out)) continue;
      // The sorted keys and the sorted element list are in the same order.
      if (m_report && m_elemMark[k] == 0) {
        m_elemMark[k] = 1;
        ++count;
      }
    }
    written += count;
  });
  m_elemWritten += written;
  ElementsWrittenTo("*ELEMENT");
  Out("\n");
  return 1;
}

}  // namespace hvx
