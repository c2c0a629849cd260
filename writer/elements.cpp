// Element output: *ELEMENT, one line per frame, planar or solid element in
// ascending number order. Springs, links, rigid elements, masses and every
// other kind the table below does not name are passed over silently.
//
//   topology      | type code | line
//   --------------+-----------+--------------------------------------------
//   0             | 1         | TRUSS
//   0             | 2, 5      | BEAM with reference point (REF)
//   0             | 3         | BEAM without reference point
//   2, 3          | 11-14     | PLSTRS triangle   (15-18 PLATE, 19-20 PLSTRN)
//   4, 5          | 11-14     | PLSTRS quadrangle (15-18 PLATE, 19-20 PLSTRN)
//   6, 10         | 25        | SOLID tetrahedron (nodes 1, 2, 3, 5)
//   7, 11         | 25        | SOLID wedge       (nodes 1, 2, 3, 5, 6, 7)
//   8, 12         | 25        | SOLID hexahedron  (nodes 1 to 8)
//
// Higher-order topologies are written with their corner nodes only.
#include <atomic>

#include "writer/sections.h"

namespace hvx {

namespace {
// Line format and type field of a planar element by type code; a null
// format for none.
struct CPlanarLine {
  const char* format;
  hvx::CPieceNumbers::EType type;
};
CPlanarLine PlanarLine(int32_t type) {
  using EType = hvx::CPieceNumbers::EType;
  if (type >= 11 && type <= 14) return {"%6d, PLSTRS, %5d, %5d, %5d, %5d, %5d, %5d, %5d\n", EType::kPlstrs};
  if (type >= 15 && type <= 18) return {"%6d, PLATE , %5d, %5d, %5d, %5d, %5d, %5d, %5d\n", EType::kPlate};
  if (type == 19 || type == 20) return {"%6d, PLSTRN, %5d, %5d, %5d, %5d, %5d, %5d, %5d\n", EType::kPlstrn};
  return {nullptr, EType::kPlstrs};
}
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
  using EType = hvx::CPieceNumbers::EType;
  const auto record = [&](EType type, int32_t property, std::initializer_list<int32_t> fields) {
    if (numbers) numbers->Element(id, type, mat, property, fields);
  };
  switch (e.topo) {
    case 0:
      if (e.type == 1) {
        out.Format("%6d, TRUSS , %5d, %5d, %5d, %5d, %g\n", id, mat, e.prop, n[0], n[1], 0.0);
        record(EType::kTruss, e.prop, {n[0], n[1]});
      } else if (e.type == 2 || e.type == 5) {
        out.Format("%6d, BEAM  , %5d, %5d, %5d, %5d, REF, %g, %g, %g\n", id, mat, e.prop, n[0], n[1],
                   e.orient[0], e.orient[1], e.orient[2]);
        record(EType::kBeam, e.prop, {n[0], n[1]});
      } else if (e.type == 3) {
        out.Format("%6d, BEAM  , %5d, %5d, %5d, %5d\n", id, mat, e.prop, n[0], n[1]);
        record(EType::kBeam, e.prop, {n[0], n[1]});
      } else {
        return false;
      }
      return true;
    case 2:
    case 3:
    case 4:
    case 5:
      if (const CPlanarLine line = PlanarLine(e.type); line.format) {
        const int32_t n4 = e.topo >= 4 ? n[3] : 0;                   // triangles: 0
        const int32_t sub = (e.type >= 15 && e.type <= 18) ? 2 : 1;  // iSUB: 2 for plates
        out.Format(line.format, id, mat, e.prop, n[0], n[1], n[2], n4, sub);
        record(line.type, e.prop, {n[0], n[1], n[2], n4, sub});
        return true;
      }
      return false;
    case 6:
    case 10:
      if (e.type != 25) return false;
      out.Format(kSolidFormat, id, mat, 0, n[0], n[1], n[2], n[4], 0, 0, 0, 0);
      record(EType::kSolid, 0, {n[0], n[1], n[2], n[4], 0, 0, 0, 0});
      return true;
    case 7:
    case 11:
      if (e.type != 25) return false;
      out.Format(kSolidFormat, id, mat, 0, n[0], n[1], n[2], n[4], n[5], n[6], 0, 0);
      record(EType::kSolid, 0, {n[0], n[1], n[2], n[4], n[5], n[6], 0, 0});
      return true;
    case 8:
    case 12:
      if (e.type != 25) return false;
      out.Format(kSolidFormat, id, mat, 0, n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]);
      record(EType::kSolid, 0, {n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]});
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
