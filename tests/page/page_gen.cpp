// Writes model pages from generated inputs, for the browser tests.
//
//   hvx_pagegen DIR FRAME_REPORT.json
//       writes the test pages into DIR: those of models.json beside
//       FRAME_REPORT.json (the frame's report being the first object of that
//       file) and enc-wide, made here (.html); for the pages of the encoding cases
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
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <iterator>
#include <string>
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
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// 70000 nodes (u32 node indices) with ids spread over the whole range (the
// writer's sorted index), two of them not finite; more than 65536 materials
// (elem_mat as i32 values); more than 100000 entities (the second thread).
Json EncWide() {
  constexpr int32_t kNodes = 70000;
  const auto id = [](int32_t i) { return i * 30000 - 2000000000; };
  Json nodes = Json::array(), elements = Json::array();
  for (int32_t i = 0; i < kNodes; ++i) {
    nodes.push_back({id(i), i == 5 ? Json("nan") : Json(i), (i % 7) * 0.5, i == 6 ? Json("inf") : Json(-(i % 3))});
    elements.push_back({i + 1, 0, i * 7 - 100000, 3, Json::array({id(i)}), 0, -1});
  }
  elements.push_back({kNodes + 1, 1, 1, 1, {id(0), id(kNodes - 1)}, 0, -1});
  elements.push_back({kNodes + 2, 1, 1, 1, {id(0) + 1, 0}, 0, -1});  // neither exists
  elements.push_back({kNodes + 3, 1, 1, 1, {id(4), id(5)}, 0, -1});  // on a node that is not finite
  return {{"path", "enc-wide.hvt"}, {"title", "Encoding: wide"}, {"encoding", true}, {"nodes", nodes},
          {"markers", {{id(0), 0}, {id(kNodes - 1), 1}}}, {"elements", elements},
          {"types", Json::array({Json::array({"SPRING", "point"}), Json::array({"TRUSS", "line"})})}};
}

// A model in the form of models.json.
CPageModel FromJson(const Json& j, const std::string& frameReport) {
  CPageModel m;
  m.modelPath = j.at("path");
  m.title = j.at("title");
  m.units = j.value("units", "kN, m");
  if (m.units.ends_with("\\xFF")) m.units.replace(m.units.size() - 4, 4, "\xFF");  // a byte that is not UTF-8
  m.date = j.value("date", "2025-01-31 14:05");
  m.reading = j.value("reading", "to the end of the file");
  m.statusText = j.value("status_text", "converted");
  m.seconds = j.value("seconds", 0.0123);
  m.exitStatus = j.value("exit_status", 0);
  m.lossy = j.value("lossy", false);
  m.reportJson = j.value("frame_report", false) ? frameReport : j.value("report", "");
  m.messages = j.value("messages", std::vector<std::string>());
  const auto number = [](const Json& v) {
    return v.is_string() ? std::strtod(v.get<std::string>().c_str(), nullptr) : v.get<double>();
  };
  for (const Json& n : j.value("nodes", Json::array())) {
    if (n.size() == 1) m.nodeIds.push_back(n[0]);
    else m.AddNode(n.at(0), number(n.at(1)), number(n.at(2)), number(n.at(3)));
  }
  for (const Json& k : j.value("markers", Json::array())) m.markers.push_back({k.at(0), EPageMarker(k.at(1))});
  for (const Json& t : j.value("types", Json::array()))
    m.Type(t.at(0).get<std::string>(), EPageDraw(std::find(kDraw, std::end(kDraw), t.at(1)) - kDraw));
  for (const Json& r : j.value("reasons", Json::array())) m.Reason(r.get<std::string>());
  for (const Json& e : j.value("elements", Json::array()))
    m.AddElement(e.at(0), e.at(1), e.at(2), e.at(3), e.at(4).get<std::vector<int32_t>>(), EPageState(e.at(5)), e.at(6));
  return m;
}

// The input of an encoding case, as NAME.input.json describes it: its
// model's lists, with null for each coordinate not given or not finite.
Json InputJson(const Json& j) {
  Json in = {{"nodes", Json::array()}};
  for (const char* list : {"markers", "types", "reasons", "elements"}) in[list] = j.value(list, Json::array());
  for (Json n : j.value("nodes", Json::array())) {
    for (size_t k = 1; k < 4; ++k)
      if (k >= n.size() || !n[k].is_number()) n[k] = nullptr;
    in["nodes"].push_back(n);
  }
  return in;
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
  Json models = Json::parse(Load(modelsPath), nullptr, false);
  if (!models.is_object() || models.empty()) {
    std::fprintf(stderr, "no models in %s\n", modelsPath.c_str());
    return 1;
  }
  models["enc-wide"] = EncWide();
  for (const auto& [name, j] : models.items())
    if (!Save(dir + "/" + name + ".html", hvx::ModelPage(FromJson(j, report))) ||
        (j.value("encoding", false) && !Save(dir + "/" + name + ".input.json", InputJson(j).dump())))
      return 1;
  return 0;
}
