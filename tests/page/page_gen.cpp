// Writes model pages from generated inputs, for the browser tests.
//
//   hvx_pagegen DIR FRAME_REPORT.json
//       writes the test pages into DIR: empty, one-point, non-finite,
//       hostile-script, hostile-img, frame and cancelled (.html), the frame's
//       report being the first object of FRAME_REPORT.json; and the pages
//       of the encoding cases (enc-*.html), each with its input model as
//       NAME.input.json for the browser test to compare the page's decoded
//       data with:
//         {"nodes": [[id, x, y, z]], (null: no coordinate or not finite)
//          "markers": [[node id, kind]], "types": [[label, draw]], "reasons": [text],
//          "elements": [[id, type, material, section, [node ids], state, reason]]}
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "page/page_writer.h"

namespace {

using hvx::CPageModel;
using hvx::EPageDraw;
using hvx::EPageMarker;
using hvx::EPageState;

bool Save(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!f) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return static_cast<bool>(f);
}

std::string Load(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

CPageModel Base(const std::string& path, const std::string& title) {
  CPageModel m;
  m.modelPath = path;
  m.title = title;
  m.units = "kN, m";
  m.date = "2025-01-31 14:05";
  m.reading = "to the end of the file";
  m.statusText = "converted";
  m.seconds = 0.0123;
  return m;
}

// The two-storey frame of examples/frame-with-problems.hvt: columns, beams,
// braces, slabs, springs, links and a mass, with its problems: element 950 of
// a type no section writes, elastic link 952 on one node, truss 951 on node 99
// that does not exist, and truss 302 whose material was not converted.
CPageModel Frame(const std::string& reportJson) {
  CPageModel m = Base("examples/frame-with-problems.hvt", "Two-storey frame with slabs");
  m.reading = "stopped at line 1151 after a format error";
  m.lossy = true;
  m.seconds = 0.00412;
  m.reportJson = reportJson;
  m.messages = {"Invalid format in line 1151.", "A beam load cannot be assigned to a truss element; skipped."};
  const double corner[4][2] = {{0, 0}, {6, 0}, {6, 5}, {0, 5}};
  for (int level = 0; level < 3; ++level)
    for (int c = 0; c < 4; ++c) m.AddNode(1 + 4 * level + c, corner[c][0], corner[c][1], 3.5 * level);
  m.markers = {{4, EPageMarker::kSupport}, {1, EPageMarker::kSpring}, {2, EPageMarker::kSpring}};
  const uint16_t beam = m.Type("BEAM", EPageDraw::kLine), truss = m.Type("TRUSS", EPageDraw::kLine);
  const uint16_t plate = m.Type("PLATE", EPageDraw::kPolygon), spring = m.Type("SPRING", EPageDraw::kPoint);
  const uint16_t link = m.Type("ELASTICLINK", EPageDraw::kLine), nlLink = m.Type("NL-LINK", EPageDraw::kLine);
  const uint16_t gspring = m.Type("GSPRING", EPageDraw::kPoint), mass = m.Type("MASS", EPageDraw::kPoint);
  const uint16_t other = m.Type("type 41/0", EPageDraw::kLine);
  using N = std::vector<int32_t>;
  for (int i = 0; i < 8; ++i) m.AddElement(101 + i, beam, 1, 1, N{1 + i, 5 + i});
  const int ring[4] = {0, 1, 2, 3};
  for (int level = 1; level < 3; ++level)
    for (int c : ring)
      m.AddElement(200 + 4 * (level - 1) + c + 1, beam, 1, 2, N{1 + 4 * level + c, 1 + 4 * level + (c + 1) % 4});
  m.AddElement(301, truss, 2, 3, N{1, 6});
  m.AddElement(302, truss, 9, 3, N{3, 8}, EPageState::kDangling);
  m.AddElement(401, plate, 1, 4, N{5, 6, 7, 8});
  m.AddElement(402, plate, 1, 4, N{9, 10, 11, 12});
  m.AddElement(501, spring, 0, 5, N{1});
  m.AddElement(502, spring, 0, 5, N{2});
  m.AddElement(601, link, 0, 6, N{6, 7});
  m.AddElement(701, nlLink, 0, 7, N{5, 10});
  m.AddElement(702, nlLink, 0, 7, N{7, 12});
  m.AddElement(801, gspring, 0, 8, N{3});
  m.AddElement(901, mass, 0, 9, N{11});
  m.AddElement(950, other, 2, 3, N{1, 6}, EPageState::kNotConverted,
               m.Reason("no section writes element type 41 with topology 0"));
  m.AddElement(951, truss, 2, 3, N{5, 99}, EPageState::kDangling);
  m.AddElement(952, link, 0, 6, N{2, 2}, EPageState::kNotConverted,
               m.Reason("elastic link with both ends on one node"));
  return m;
}

// Texts an attacker would choose, in every field that comes from the model.
CPageModel Hostile(const std::string& text) {
  CPageModel m = Base(text + ".hvt", text);
  m.units = text + " m\xFF";  // and a byte that is not UTF-8
  m.reading = text;
  m.date = text;
  m.messages = {text, "</script><script>alert(3)</script>"};
  m.reportJson = R"({"model": ")" + std::string("hostile </script><script>alert(2)</script>") +
                 R"(", "status": 0, "entities": {"elements": {"read": 1, "written": 0, "sections": {},
                 "not_converted": [{"reason": "<img src=x onerror=alert(4)>", "count": 1, "numbers": [1]}]}},
                 "unknown_blocks": [], "lines_outside_blocks": 0, "read_stopped_at_line": null,
                 "blocks_not_read": [], "checked": true, "dangling": [], "unchecked_references": 0})";
  m.AddNode(1, 0, 0, 0);
  m.AddNode(2, 1, 0, 0);
  const uint16_t t = m.Type(text, EPageDraw::kLine);
  m.AddElement(1, t, 1, 1, std::vector<int32_t>{1, 2}, EPageState::kNotConverted, m.Reason(text));
  return m;
}

CPageModel OnePoint() {
  CPageModel m = Base("one-point.hvt", "A single node");
  m.AddNode(7, 1.5, 2, -0.25);
  m.markers = {{7, EPageMarker::kSupport}};
  m.AddElement(1, m.Type("SPRING", EPageDraw::kPoint), 0, 1, std::vector<int32_t>{7});
  return m;
}

CPageModel NonFinite() {
  CPageModel m = Base("non-finite.hvt", "Nodes with coordinates that are not numbers");
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  m.AddNode(1, 0, 0, 0);
  m.AddNode(2, 4, 0, 0);
  m.AddNode(3, 4, 0, 3);
  m.AddNode(4, 0, 0, 3);
  m.AddNode(5, nan, 0, 3);
  m.AddNode(6, 8, -inf, 0);
  const uint16_t beam = m.Type("BEAM", EPageDraw::kLine);
  using N = std::vector<int32_t>;
  m.AddElement(1, beam, 1, 1, N{1, 4});
  m.AddElement(2, beam, 1, 1, N{2, 3});
  m.AddElement(3, beam, 1, 2, N{4, 3});
  m.AddElement(4, beam, 1, 2, N{3, 5});
  m.AddElement(5, beam, 1, 2, N{2, 6});
  return m;
}


// A conversion that was cancelled: the status text comes from the model.
CPageModel Cancelled() {
  CPageModel m = Base("cancelled.hvt", "Cancelled");
  m.exitStatus = 6;
  m.statusText = "cancelled";
  m.reportJson = R"({"model": "cancelled.hvt", "status": 6, "entities": {}})";
  m.AddNode(1, 0, 0, 0);
  m.AddNode(2, 1, 0, 0);
  m.AddElement(1, m.Type("BEAM", EPageDraw::kLine), 1, 1, std::vector<int32_t>{1, 2});
  return m;
}

// ---- encoding cases: what the arrays must carry through ----

// Ids in no order with gaps, a node without coordinates, markers on a node that
// does not exist, an element on a node that does not exist, every state,
// u16 node indices and u8 palettes.
CPageModel EncSmall() {
  CPageModel m = Base("enc-small.hvt", "Encoding: small");
  const int32_t ids[] = {5, 6, 7, 100, 101, 3};
  for (int i = 0; i < 6; ++i) m.AddNode(ids[i], i, 2.0 * i, -1.0 * i);
  m.nodeIds.push_back(8);  // no coordinates given
  m.markers = {{100, EPageMarker::kSupport}, {3, EPageMarker::kSpring}, {42, EPageMarker::kSupport}};
  const uint16_t beam = m.Type("BEAM", EPageDraw::kLine), plate = m.Type("PLATE", EPageDraw::kPolygon);
  const uint16_t solid = m.Type("SOLID", EPageDraw::kSolid);
  using N = std::vector<int32_t>;
  m.AddElement(10, beam, 7, 3, N{5, 6});
  m.AddElement(11, beam, 7, 4, N{6, 7}, EPageState::kDangling);
  m.AddElement(12, plate, 8, 9, N{5, 6, 7, 100});
  m.AddElement(13, beam, 7, 3, N{101, 999});  // node 999 does not exist
  m.AddElement(20, beam, 0, 0, N{3, 5}, EPageState::kNotConverted, m.Reason("no section writes it"));
  m.AddElement(21, solid, 2, 0, N{5, 6, 7, 100}, EPageState::kNotConverted, m.Reason("a second reason"));
  m.AddElement(-4, beam, -1, 65535, N{101, 3});
  return m;
}

// Millimetres, 5000 km out: float32 of the absolute values would lose the 0.5 mm.
CPageModel EncFar() {
  CPageModel m = Base("enc-far.hvt", "Encoding: far from the origin");
  m.AddNode(1, 5.0e9, -3.0e9, 100.0);
  m.AddNode(2, 5.0e9 + 0.5, -3.0e9 + 1000.25, 100.0);
  m.AddNode(3, 5.0e9 - 0.125, -3.0e9 + 0.375, 99.5);
  const uint16_t beam = m.Type("BEAM", EPageDraw::kLine);
  m.AddElement(1, beam, 1, 1, std::vector<int32_t>{1, 2});
  m.AddElement(2, beam, 1, 1, std::vector<int32_t>{2, 3});
  return m;
}

// 70000 nodes (u32 node indices) with ids spread over the whole range (the
// writer's sorted index), two of them not finite; more than 65536 materials
// (elem_mat as i32 values); more than 100000 entities (the second thread).
CPageModel EncWide() {
  CPageModel m = Base("enc-wide.hvt", "Encoding: wide");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr int32_t kNodes = 70000;
  const auto id = [](int32_t i) { return i * 30000 - 2000000000; };
  for (int32_t i = 0; i < kNodes; ++i) m.AddNode(id(i), i, (i % 7) * 0.5, -(i % 3));
  m.nodeXyz[3 * 5] = nan;
  m.nodeXyz[3 * 6 + 2] = std::numeric_limits<double>::infinity();
  m.markers = {{id(0), EPageMarker::kSupport}, {id(kNodes - 1), EPageMarker::kSpring}};
  const uint16_t spring = m.Type("SPRING", EPageDraw::kPoint), truss = m.Type("TRUSS", EPageDraw::kLine);
  for (int32_t i = 0; i < kNodes; ++i) m.AddElement(i + 1, spring, i * 7 - 100000, 3, std::vector<int32_t>{id(i)});
  m.AddElement(kNodes + 1, truss, 1, 1, std::vector<int32_t>{id(0), id(kNodes - 1)});
  m.AddElement(kNodes + 2, truss, 1, 1, std::vector<int32_t>{id(0) + 1, 0});  // neither exists
  m.AddElement(kNodes + 3, truss, 1, 1, std::vector<int32_t>{id(4), id(5)});  // on a node that is not finite
  return m;
}

// The input of an encoding case, as NAME.input.json describes it.
nlohmann::json InputJson(const CPageModel& m) {
  using Json = nlohmann::json;
  Json nodes = Json::array();
  for (size_t i = 0; i < m.nodeIds.size(); ++i) {
    Json node = {m.nodeIds[i]};
    for (size_t k = 0; k < 3; ++k) {
      const size_t at = 3 * i + k;
      if (3 * i + 2 < m.nodeXyz.size() && std::isfinite(m.nodeXyz[at]))
        node.push_back(m.nodeXyz[at]);
      else
        node.push_back(nullptr);
    }
    nodes.push_back(std::move(node));
  }
  Json markers = Json::array();
  for (const auto& mk : m.markers) markers.push_back({mk.node, static_cast<int>(mk.kind)});
  static const char* const kDraw[] = {"line", "polygon", "solid", "point"};
  Json types = Json::array();
  for (const auto& t : m.types) types.push_back({t.label, kDraw[static_cast<int>(t.draw)]});
  Json elements = Json::array();
  for (const auto& e : m.elements) {
    const std::vector<int32_t> ids(m.elementNodes.begin() + e.firstNode,
                                   m.elementNodes.begin() + e.firstNode + e.nodeCount);
    elements.push_back({e.id, e.type, e.material, e.section, ids, static_cast<int>(e.state), e.reason});
  }
  return {{"nodes", nodes}, {"markers", markers}, {"types", types}, {"reasons", m.reasons}, {"elements", elements}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: hvx_pagegen DIR FRAME_REPORT.json\n");
    return 1;
  }
  const std::string dir = argv[1];
  std::string report = Load(argv[2]);
  // The report file holds an array of one object per model: take the first.
  const size_t open = report.find('{'), close = report.rfind('}');
  report = open == std::string::npos ? "" : report.substr(open, close - open + 1);
  const std::pair<const char*, CPageModel> pages[] = {
      {"empty", Base("empty.hvt", "A model without nodes")},
      {"one-point", OnePoint()},
      {"non-finite", NonFinite()},
      {"hostile-script", Hostile("<script>alert(1)</script>")},
      {"hostile-img", Hostile("\"><img src=x onerror=alert(1)>")},
      {"frame", Frame(report)},
      {"cancelled", Cancelled()},
  };
  for (const auto& [name, model] : pages)
    if (!Save(dir + "/" + name + ".html", hvx::ModelPage(model))) return 1;
  const std::pair<const char*, CPageModel> encodings[] = {
      {"enc-small", EncSmall()},
      {"enc-far", EncFar()},
      {"enc-wide", EncWide()},
  };
  for (const auto& [name, model] : encodings)
    if (!Save(dir + "/" + name + ".html", hvx::ModelPage(model)) ||
        !Save(dir + "/" + name + ".input.json", InputJson(model).dump()))
      return 1;
  return 0;
}
