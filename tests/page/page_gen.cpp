// Writes model pages from generated inputs, for the browser tests.
//
//   hvx_pagegen DIR FRAME_REPORT.json
//       writes the test pages into DIR: those of models.json beside
//       FRAME_REPORT.json (the frame's report being the first object of that
//       file) and enc-wide (.html); for the pages of the encoding cases
//       (enc-*.html) also their input model as NAME.input.json for the
//       browser test to compare the page's decoded data with:
//         {"nodes": [[id, x, y, z]], (null: no coordinate or not finite)
//          "markers": [[node id, kind]], "types": [[label, draw]], "reasons": [text],
//          "elements": [[id, type, material, section, [node ids], state, reason]]}
//       models.json holds models in that form (a node [id] without
//       coordinates, "nan" and "-inf" for coordinates that are not finite)
//       with the header's texts (a units text ending in \xFF: in that byte,
//       which is not UTF-8), "encoding" for an encoding case and
//       "frame_report" for the frame's report.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "page/page_writer.h"

namespace {

using hvx::CPageModel;
using hvx::EPageDraw;
using hvx::EPageMarker;
using hvx::EPageState;
using Json = nlohmann::json;

const char* const kDraw[] = {"line", "polygon", "solid", "point"};

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

// A model of models.json.
CPageModel FromJson(const Json& j, const std::string& frameReport) {
  CPageModel m = Base(j.at("path"), j.at("title"));
  m.units = j.value("units", m.units);
  if (m.units.ends_with("\\xFF")) m.units.replace(m.units.size() - 4, 4, "\xFF");  // a byte that is not UTF-8
  m.reading = j.value("reading", m.reading);
  m.date = j.value("date", m.date);
  m.statusText = j.value("status_text", m.statusText);
  m.seconds = j.value("seconds", m.seconds);
  m.exitStatus = j.value("exit_status", 0);
  m.lossy = j.value("lossy", false);
  m.reportJson = j.value("frame_report", false) ? frameReport : j.value("report", "");
  m.messages = j.value("messages", std::vector<std::string>());
  const auto number = [](const Json& v) { return v.is_string() ? std::strtod(v.get<std::string>().c_str(), nullptr) : v.get<double>(); };
  for (const Json& n : j.value("nodes", Json::array())) {
    if (n.size() == 1) m.nodeIds.push_back(n[0]);
    else m.AddNode(n.at(0), number(n.at(1)), number(n.at(2)), number(n.at(3)));
  }
  for (const Json& k : j.value("markers", Json::array())) m.markers.push_back({k.at(0), EPageMarker(k.at(1).get<int>())});
  for (const Json& t : j.value("types", Json::array()))
    m.Type(t.at(0).get<std::string>(), EPageDraw(std::find(kDraw, std::end(kDraw), t.at(1).get<std::string>()) - kDraw));
  for (const Json& r : j.value("reasons", Json::array())) m.Reason(r.get<std::string>());
  for (const Json& e : j.value("elements", Json::array()))
    m.AddElement(e.at(0), e.at(1), e.at(2), e.at(3), e.at(4).get<std::vector<int32_t>>(), EPageState(e.at(5).get<int>()), e.at(6));
  return m;
}

// The input of an encoding case, as NAME.input.json describes it.
nlohmann::json InputJson(const CPageModel& m) {
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
    std::fprintf(stderr, "usage: hvx_pagegen DIR FRAME_REPORT.json\n");
    return 1;
  }
  const std::string dir = argv[1];
  std::string report = Load(argv[2]);
  // The report file holds an array of one object per model: take the first.
  const size_t open = report.find('{'), close = report.rfind('}');
  report = open == std::string::npos ? "" : report.substr(open, close - open + 1);
  const std::string modelsPath = (std::filesystem::path(argv[2]).parent_path() / "models.json").string();
  const Json models = Json::parse(Load(modelsPath), nullptr, false);
  if (!models.is_object() || models.empty()) {
    std::fprintf(stderr, "no models in %s\n", modelsPath.c_str());
    return 1;
  }
  std::vector<std::tuple<std::string, CPageModel, bool>> pages;  // name, model, an encoding case
  for (const auto& [name, j] : models.items()) pages.emplace_back(name, FromJson(j, report), j.value("encoding", false));
  pages.emplace_back("enc-wide", EncWide(), true);
  for (const auto& [name, model, encoding] : pages)
    if (!Save(dir + "/" + name + ".html", hvx::ModelPage(model)) ||
        (encoding && !Save(dir + "/" + name + ".input.json", InputJson(model).dump())))
      return 1;
  return 0;
}
