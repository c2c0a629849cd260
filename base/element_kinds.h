// What an element is written as, by its type code and topology: a line of
// *ELEMENT (frame, planar or solid) or a line of one of the spring, link and
// mass sections. The writer writes by this table, the model page draws by it
// and the recorded numbers of element lines name their types by it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hvx {

enum class EElementKind : uint8_t {
  // *ELEMENT lines, by their type field
  kTruss,
  kBeam,
  kPlstrs,
  kPlate,
  kPlstrn,
  kSolid,
  // lines of sections of their own
  kNlLink,
  kElasticLink,
  kSpring,
  kGenSpring,
  kMass,
  kNone,  // no section writes it
};

// The first kElementLineKinds kinds are lines of *ELEMENT.
inline constexpr size_t kElementLineKinds = 6;

struct CElementKindRow {
  const char* name;     // the type field of an *ELEMENT line (without blanks), else the section's word
  const char* section;  // the section that writes it
};
inline constexpr CElementKindRow kElementKinds[] = {
    {"TRUSS", "*ELEMENT"},     {"BEAM", "*ELEMENT"},         {"PLSTRS", "*ELEMENT"}, {"PLATE", "*ELEMENT"},
    {"PLSTRN", "*ELEMENT"},    {"SOLID", "*ELEMENT"},        {"NL-LINK", "*NL-LINK"}, {"ELASTICLINK", "*ELASTICLINK"},
    {"SPRING", "*SPRING"},     {"GSPRING", "*GSPRING"},      {"MASS", "*NODALMASS"},
};
static_assert(std::size(kElementKinds) == static_cast<size_t>(EElementKind::kNone));

inline const CElementKindRow& ElementKind(EElementKind k) { return kElementKinds[static_cast<size_t>(k)]; }

// Topology classes: triangles and quadrangles (planar), tetrahedra, wedges
// and hexahedra (solid), each with its higher-order twin; 0 is a two-node
// line, 9 a single node.
constexpr bool IsTriangle(int32_t topo) { return topo == 2 || topo == 3; }
constexpr bool IsQuadrangle(int32_t topo) { return topo == 4 || topo == 5; }
constexpr bool IsTetrahedron(int32_t topo) { return topo == 6 || topo == 10; }
constexpr bool IsWedge(int32_t topo) { return topo == 7 || topo == 11; }
constexpr bool IsHexahedron(int32_t topo) { return topo == 8 || topo == 12; }

//   topology      | type code | kind
//   --------------+-----------+--------------------------------------------
//   0             | 1         | TRUSS
//   0             | 2, 3, 5   | BEAM (2 and 5 with a reference point)
//   2-5           | 11-14     | PLSTRS (15-18 PLATE, 19-20 PLSTRN)
//   6-8, 10-12    | 25        | SOLID
//   any           | 82        | NL-LINK
//   0             | 7         | ELASTICLINK
//   9             | 7         | SPRING
//   any           | 81        | GSPRING
//   9             | 27        | MASS
constexpr EElementKind ElementKindOf(int32_t type, int32_t topo) {
  using K = EElementKind;
  if (topo == 0 && type == 1) return K::kTruss;
  if (topo == 0 && (type == 2 || type == 3 || type == 5)) return K::kBeam;
  if (IsTriangle(topo) || IsQuadrangle(topo)) {
    if (type >= 11 && type <= 14) return K::kPlstrs;
    if (type >= 15 && type <= 18) return K::kPlate;
    if (type == 19 || type == 20) return K::kPlstrn;
  }
  if ((IsTetrahedron(topo) || IsWedge(topo) || IsHexahedron(topo)) && type == 25) return K::kSolid;
  if (type == 82) return K::kNlLink;
  if (type == 7 && topo == 0) return K::kElasticLink;
  if (type == 7 && topo == 9) return K::kSpring;
  if (type == 81) return K::kGenSpring;
  if (type == 27 && topo == 9) return K::kMass;
  return K::kNone;
}

}  // namespace hvx
