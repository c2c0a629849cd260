// The neutral input of the model page: what the conversion knows about one
// model, in a shape that needs nothing of the reader, store or writer. The
// host fills it after a conversion and hands it to WriteModelPage
// (page_writer.h).
//
// Nodes and elements are flat arrays, as a model of a million elements must
// cost a few bytes per entity here, not a node of a map. Element types and
// reasons are small tables that elements refer to by index: look a type up
// once per (type code, topology code), not once per element.
//
// Filling it from a conversion (element type code T, topology code P, node
// numbers N1..N8 of the element record; label as the section writes the line):
//
//   element                                  label         draw      nodes
//   P 0, T 1                                 TRUSS         kLine     N1 N2
//   P 0, T 2, 3, 5                           BEAM          kLine     N1 N2
//   P 2, 3 / 4, 5 (triangle / quad), T 11-14 PLSTRS        kPolygon  N1 N2 N3 / N1 N2 N3 N4
//   the same, T 15-18                        PLATE         kPolygon  as PLSTRS
//   the same, T 19-20                        PLSTRN        kPolygon  as PLSTRS
//   P 6, 10 / 7, 11 / 8, 12; T 25            SOLID         kSolid    N1 N2 N3 N5 / N1 N2 N3 N5 N6 N7 / N1..N8
//   T 82                                     NL-LINK       kLine     N1 N2
//   T 7, P 0                                 ELASTICLINK   kLine     N1 N2
//   T 7, P 9                                 SPRING        kPoint    N1
//   T 81                                     GSPRING       kPoint    N1
//   T 27, P 9                                MASS          kPoint    N1
//   anything else (not written)              "type T/P"    by P as above, kLine for P 0, 1 and
//                                                          unknown P, kPoint for P 9; its non-zero nodes
//
// Solid corners in this order: base then top, each in turn around the face
// (hexahedron 0-1-2-3 / 4-5-6-7, wedge 0-1-2 / 3-4-5, tetrahedron 0-1-2 then
// the apex), which is the record's order. State: kNotConverted with the
// report's reason text for the elements the report lists as not converted;
// kDangling for elements whose written line the reference check names;
// kMissingNode needs no filling (the writer finds nodes that do not exist).
// Material: the element's material number; section: its property number.
// Markers: kSupport for nodes with a constraint flag set, kSpring for spring
// supports when they are not given as kPoint elements.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hvx {

// How the view draws an element.
enum class EPageDraw : uint8_t {
  kLine,     // beams, trusses, links: the segments between consecutive nodes
  kPolygon,  // plates and other planar elements: a filled polygon over its corner nodes
  kSolid,    // solids: the edges of a tetrahedron (4 corners), pyramid (5), wedge (6) or hexahedron (8)
  kPoint,    // one-node elements (point springs, masses): a marker at each node
};

// What became of an element in the conversion.
enum class EPageState : uint8_t {
  kConverted,     // written
  kNotConverted,  // written nowhere; the reason says why
  kDangling,      // written, but its line refers to something the file does not define
  kMissingNode,   // refers to a node the model does not have: not drawn, listed under the view
};

// Marker drawn at a node.
enum class EPageMarker : uint8_t {
  kSupport,  // a constrained degree of freedom
  kSpring,   // a spring support
};

struct CPageElementType {
  std::string label;  // e.g. BEAM, TRUSS, PLATE, SOLID, LINK, SPRING, MASS, "type 41/0"
  EPageDraw draw = EPageDraw::kLine;
};

struct CPageElement {
  int32_t id = 0;
  int32_t material = 0;    // 0: none
  int32_t section = 0;     // section or thickness (property) number; 0: none
  int32_t reason = -1;     // index into CPageModel::reasons, -1: none
  uint32_t firstNode = 0;  // the element's node ids are elementNodes[firstNode, firstNode + nodeCount)
  uint16_t type = 0;       // index into CPageModel::types
  uint8_t nodeCount = 0;
  EPageState state = EPageState::kConverted;
};

struct CPageMarker {
  int32_t node = 0;  // node id
  EPageMarker kind = EPageMarker::kSupport;
};

struct CPageModel {
  // ---- header texts (UTF-8; invalid sequences show as replacement characters)
  std::string modelPath;  // as given to the conversion
  std::string title;      // the model's title, may be empty
  std::string units;      // e.g. "kN, m"
  std::string date;       // when the conversion ran, as it should be shown
  std::string reading;    // how far reading got, e.g. "to the end of the file"
  int exitStatus = 0;     // the model's exit status (0 converted, 5 converted but lossy under --strict, ...)
  std::string statusText; // the exit status's text, e.g. "converted"; shown after the number
  bool lossy = false;     // the conversion lost something: not converted or partly converted
                          // entities, unknown blocks, lines outside blocks, reading stopped
                          // early, dangling references, or no data block at all; the header
                          // shows status 0 as a success only without it, as a warning with it
  double seconds = 0;     // the conversion's time

  // This model's object of --report-json, as JSON text; empty when there is none.
  std::string reportJson;
  // The message window's lines, in order.
  std::vector<std::string> messages;

  // ---- nodes: id i has coordinates nodeXyz[3i .. 3i+2]; any order, ids unique
  std::vector<int32_t> nodeIds;
  std::vector<double> nodeXyz;
  std::vector<CPageMarker> markers;

  // ---- elements, in any order (the page keeps it)
  std::vector<CPageElementType> types;
  std::vector<std::string> reasons;
  std::vector<CPageElement> elements;
  std::vector<int32_t> elementNodes;

  void AddNode(int32_t id, double x, double y, double z) {
    nodeIds.push_back(id);
    nodeXyz.insert(nodeXyz.end(), {x, y, z});
  }
  // Index of the type with this label and drawing, added when new.
  uint16_t Type(std::string_view label, EPageDraw draw);
  // Index of this reason text, added when new.
  int32_t Reason(std::string_view text);

  // Type and Reason find an entry by its text (a model may have thousands):
  // these index the entries [0, typesIndexed) and [0, reasonsIndexed); they
  // take in what was appended to the lists directly before the next call.
  std::unordered_map<std::string, uint16_t> typeAt;
  std::unordered_map<std::string, int32_t> reasonAt;
  size_t typesIndexed = 0, reasonsIndexed = 0;
  // Appends an element; nodes beyond 255 are dropped.
  CPageElement& AddElement(int32_t id, uint16_t type, int32_t material, int32_t section, std::span<const int32_t> nodes,
                           EPageState state = EPageState::kConverted, int32_t reason = -1);
};

}  // namespace hvx
