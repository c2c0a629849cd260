// Writes model pages from generated inputs, for the browser tests and for the
// size and speed figures.
//
//   hvx_pagegen DIR FRAME_REPORT.json
//       writes the test pages into DIR: empty, one-point, non-finite,
//       hostile-script, hostile-img and frame (.html); the frame's report is
//       the first object of FRAME_REPORT.json
//   hvx_pagegen --synthetic N OUT.html [RUNS]
//       writes the page of a synthetic model of N nodes and N elements
//       (beams, trusses, plates, solids, in millimetres far from the origin)
//       and prints its size and the writing time, with one thread and with two
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
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

// splitmix64, as the benchmark's model generator.
struct CRandom {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int64_t Below(int64_t n) { return static_cast<int64_t>(Next() % static_cast<uint64_t>(n)); }
};

// N nodes on a grid of storeys, a tower (millimetres, 5000 km from the origin), and N
// elements: 40 % beams, 5 % trusses, 35 % plates (a tenth triangles), 20 %
// solids (hexahedra, some wedges and tetrahedra), as the benchmark models.
// One element in a thousand is not converted, one in two thousand dangling,
// ten refer to a node that does not exist.
CPageModel Synthetic(int64_t n) {
  CPageModel m = Base("synthetic.hvt", "Synthetic model of " + std::to_string(n) + " nodes and elements");
  m.units = "kN, mm";
  m.reading = "to the end of the file";
  m.seconds = 1.25;
  const int64_t nx = std::max<int64_t>(2, std::llround(1.6 * std::cbrt(static_cast<double>(n)))), ny = nx;
  const int64_t layer = nx * ny;
  CRandom rnd{42};
  m.nodeIds.reserve(static_cast<size_t>(n));
  m.nodeXyz.reserve(static_cast<size_t>(3 * n));
  for (int64_t k = 0; k < n; ++k) {
    const double x = 5.0e9 + 500.0 * static_cast<double>(k % nx) + (k % 4 == 0 ? 37.5 : 0);
    const double y = 2.0e9 + 750.0 * static_cast<double>((k / nx) % ny);
    const double z = 3200.0 * static_cast<double>(k / layer);
    m.AddNode(static_cast<int32_t>(k + 1), x, y, z);
    if (k < layer && k % 7 == 0) m.markers.push_back({static_cast<int32_t>(k + 1), EPageMarker::kSupport});
  }
  const uint16_t beam = m.Type("BEAM", EPageDraw::kLine), truss = m.Type("TRUSS", EPageDraw::kLine);
  const uint16_t plate = m.Type("PLATE", EPageDraw::kPolygon), plstrs = m.Type("PLSTRS", EPageDraw::kPolygon);
  const uint16_t solid = m.Type("SOLID", EPageDraw::kSolid);
  const int32_t reason = m.Reason("no section writes element type 26 with topology 8");
  m.elements.reserve(static_cast<size_t>(n));
  m.elementNodes.reserve(static_cast<size_t>(4 * n));
  auto node = [&](int64_t base, int64_t off) { return static_cast<int32_t>((base + off) % n + 1); };
  for (int64_t id = 1; id <= n; ++id) {
    const int64_t r = rnd.Below(100);
    int64_t base = (id - 1 + rnd.Below(3)) % n;
    int32_t v[8];
    int count = 2;
    uint16_t type;
    int32_t mat, sec;
    if (r < 45) {
      if (rnd.Below(10) == 0) base = rnd.Below(n);
      type = r < 40 ? beam : truss;
      v[0] = node(base, 0);
      v[1] = node(base, r < 40 ? 1 : nx);
      sec = static_cast<int32_t>(1 + rnd.Below(170));
      mat = 1 + sec % 60;
    } else if (r < 80) {
      sec = static_cast<int32_t>(171 + rnd.Below(110));
      type = sec % 5 == 0 ? plstrs : plate;
      mat = 1 + sec % 60;
      count = rnd.Below(10) == 0 ? 3 : 4;
      v[0] = node(base, 0);
      v[1] = node(base, 1);
      v[2] = node(base, 1 + nx);
      v[3] = node(base, nx);
    } else {
      type = solid;
      sec = 0;
      mat = static_cast<int32_t>(1 + rnd.Below(60));
      const int64_t corner[8] = {0, 1, 1 + nx, nx, layer, layer + 1, layer + 1 + nx, layer + nx};
      const int64_t s = rnd.Below(10);
      const int64_t* pick = corner;
      const int64_t tet[4] = {0, 1, 1 + nx, layer};
      const int64_t wedge[6] = {0, 1, 1 + nx, layer, layer + 1, layer + 1 + nx};
      if (s == 0) {
        count = 4;
        pick = tet;
      } else if (s == 1) {
        count = 6;
        pick = wedge;
      } else {
        count = 8;
      }
      for (int i = 0; i < count; ++i) v[i] = node(base, pick[i]);
    }
    EPageState state = EPageState::kConverted;
    int32_t why = -1;
    if (id % 1000 == 500) {
      state = EPageState::kNotConverted;
      why = reason;
    } else if (id % 2000 == 1) {
      state = EPageState::kDangling;
    }
    if (id % (n / 10 + 1) == 7) v[count - 1] = static_cast<int32_t>(n + 1000 + id);  // a node that does not exist
    m.AddElement(static_cast<int32_t>(id), type, mat, sec, std::span<const int32_t>(v, static_cast<size_t>(count)),
                 state, why);
  }
  return m;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int RunSynthetic(int64_t n, const std::string& out, int runs) {
  using Clock = std::chrono::steady_clock;
  const auto t0 = Clock::now();
  const CPageModel m = Synthetic(n);
  const double build = std::chrono::duration<double>(Clock::now() - t0).count();
  std::string page;
  double times[2];
  for (int threads = 1; threads <= 2; ++threads) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
      std::string text;
      text.reserve(page.size());
      const auto a = Clock::now();
      hvx::WriteModelPage(m, [&text](std::string_view s) { text.append(s); }, {threads == 2});
      t.push_back(std::chrono::duration<double>(Clock::now() - a).count());
      if (page.empty()) page = std::move(text);
    }
    times[threads - 1] = Median(t);
  }
  // As the converter would: straight into the file.
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const auto a = Clock::now();
    FILE* f = std::fopen(out.c_str(), "wb");
    if (!f) {
      std::fprintf(stderr, "cannot write %s\n", out.c_str());
      return 1;
    }
    hvx::WriteModelPage(m, [f](std::string_view s) { std::fwrite(s.data(), 1, s.size(), f); });
    if (std::fclose(f) != 0) return 1;
    t.push_back(std::chrono::duration<double>(Clock::now() - a).count());
  }
  std::printf("model: %lld nodes, %zu elements, %zu node references (input built in %.3f s)\n",
              static_cast<long long>(n), m.elements.size(), m.elementNodes.size(), build);
  std::printf("page: %zu bytes (%.1f MB)\n", page.size(), static_cast<double>(page.size()) / 1e6);
  std::printf("write into memory, median of %d: one thread %.3f s, two threads %.3f s\n", runs, times[0], times[1]);
  std::printf("write into the file, two threads: %.3f s\n", Median(t));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--synthetic")
    return RunSynthetic(std::atoll(argv[2]), argv[3], argc >= 5 ? std::max(1, std::atoi(argv[4])) : 3);
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: hvx_pagegen DIR FRAME_REPORT.json\n       hvx_pagegen --synthetic N OUT.html [RUNS]\n");
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
  };
  for (const auto& [name, model] : pages)
    if (!Save(dir + "/" + name + ".html", hvx::ModelPage(model))) return 1;
  return 0;
}
