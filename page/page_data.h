// The model page's data: the JSON blocks and the typed arrays the page's
// script reads (page/js/data.js), made from a CPageModel.
//
// Data blocks, script elements the browser does not run:
//   <script type="application/json" id="hvx-meta">META</script>
//   <script type="application/json" id="hvx-report">the report object, or null</script>
//   <script type="application/octet-stream" id="hvx-a-NAME">base64 of array NAME</script>
// Every text is valid UTF-8 (ill-formed input shows as U+FFFD); JSON carries
// "<" as \u003c, so nothing inside it can close its script element.
//
// META keys:
//   format          1
//   model, title, units, date, reading, seconds: the header facts
//   status          the exit status; status_text its text (CPageModel::statusText)
//   lossy           the conversion lost something (CPageModel::lossy)
//   report          "ok", "none" (no report given) or "invalid" (not a JSON object)
//   centre          [x, y, z]: every coordinate is relative to it (the middle of the box
//                   of the finite nodes), so float32 keeps models far from the origin steady
//   nodes, elements counts; nonfinite: nodes with a non-finite coordinate
//   types           [{label, draw}], draw "line" | "polygon" | "solid" | "point"
//   type_counts     elements per type
//   reasons         [text]
//   kinds           [[type, nodes, state, reason]]: one entry per combination met;
//                   state 0 converted, 1 not converted, 2 dangling, 3 missing node; reason -1: none
//   materials, sections  [value per palette index], or null when elem_mat / elem_sec hold values
//   missing         [{id, nodes: [node ids]}]: the first 1000 elements with a missing node;
//   missing_count   all of them
//   markers_dropped markers on nodes that do not exist
//   messages        [text]: the message window's lines
//   arrays          {NAME: {type, count}}: type "u8" | "u16" | "u32" | "i32" | "f32", count of values
//
// Arrays, little-endian:
//   node_ids     i32  runs of consecutive ids in node order: first, count, first, count, ...
//   xyz          f32  x, y, z per node, relative to centre (NaN or infinite when not finite)
//   marker_node  u32  node index;  marker_kind u8: 0 support, 1 spring
//   elem_ids     i32  runs as node_ids, in element order
//   elem_kind    u8 | u16 | u32: index into kinds
//   elem_nodes   u16 | u32: node indices, kinds[kind].nodes per element, in element order;
//                the type's largest value (0xFFFF, 0xFFFFFFFF) stands for a missing node
//   elem_mat, elem_sec  u8 | u16: palette index, or i32: the value itself
//
// Cost: a few array passes per entity (an id-to-index table for the nodes,
// small caches for kinds and palettes), then base64. With the second thread
// the node arrays are encoded while the calling thread does the elements.
#pragma once

#include <cstddef>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_model.h"

namespace hvx {

using PageJson = nlohmann::ordered_json;

// One typed array as its base64 text.
struct CPageArrayText {
  std::string name;
  std::unique_ptr<char[]> text;  // not zeroed first: every character is written
  size_t size = 0;
  std::string_view Text() const { return {text.get(), size}; }
};

struct CPageBlocks {
  PageJson meta;    // META
  PageJson report;  // the report object, or null
  std::vector<CPageArrayText> arrays;
};

// The data of `model`'s page. With `secondThread`, a large model is encoded
// on a second thread as well; the blocks are the same either way.
CPageBlocks PageBlocks(const CPageModel& model, bool secondThread);

// JSON for a script element: "<" as \u003c (it occurs only inside strings).
std::string ScriptJson(const PageJson& j);

}  // namespace hvx
