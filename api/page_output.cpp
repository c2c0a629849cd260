#include "api/page_output.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <map>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "api/status.h"
#include "base/element_kinds.h"
#include "base/format.h"
#include "page/page_writer.h"

#if defined(_WIN32)
#include "platform/wintext.h"
#endif

namespace hvx {

// The element sections' choice (*ELEMENT by topology, then the spring, link
// and mass sections by type code), as the writer makes it.
CPageShape PageShapeOf(int32_t type, int32_t topo) {
  using D = EPageDraw;
  using K = EElementKind;
  const bool tri = IsTriangle(topo), quad = IsQuadrangle(topo);
  const bool tet = IsTetrahedron(topo), wedge = IsWedge(topo), hex = IsHexahedron(topo);
  const std::vector<int> line = {0, 1}, point = {0};
  const std::vector<int> corners = tri ? std::vector<int>{0, 1, 2} : std::vector<int>{0, 1, 2, 3};
  const std::vector<int> solid = tet     ? std::vector<int>{0, 1, 2, 4}
                                 : wedge ? std::vector<int>{0, 1, 2, 4, 5, 6}
                                         : std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7};
  switch (const K kind = ElementKindOf(type, topo)) {
    case K::kTruss:
    case K::kBeam:
    case K::kNlLink:
    case K::kElasticLink:
      return {ElementKind(kind).name, D::kLine, line};
    case K::kPlstrs:
    case K::kPlate:
    case K::kPlstrn:
      return {ElementKind(kind).name, D::kPolygon, corners};
    case K::kSolid:
      return {ElementKind(kind).name, D::kSolid, solid};
    case K::kSpring:
    case K::kGenSpring:
    case K::kMass:
      return {ElementKind(kind).name, D::kPoint, point};
    case K::kNone:
      break;
  }
  // No section writes it: drawn by its topology, over the nodes it has.
  CPageShape s{Format("type %d/%d", type, topo), D::kLine, {}, true};
  if (tri || quad) {
    s.draw = D::kPolygon;
    s.slots = corners;
  } else if (tet || wedge || hex) {
    s.draw = D::kSolid;
    s.slots = solid;
  } else if (topo == 9) {
    s.draw = D::kPoint;
    s.slots = point;
  } else if (topo == 0) {
    s.slots = line;
  } else {
    for (int i = 0; i < 20; ++i) s.slots.push_back(i);
  }
  return s;
}

namespace {

bool AnyFlag(const int32_t* flags) {
  return std::any_of(flags, flags + 6, [](int32_t f) { return f != 0; });
}

// "kN, m": the units as the *UNIT section names them.
std::string UnitsText(const T_HEAD_D& h) {
  static const char* const kLength[] = {"", "m", "cm", "mm", "ft", "in"};
  static const char* const kForce[] = {"", "N", "kN", "kgf", "tonf", "lbf", "kips"};
  if (h.present == 0) return "";
  const std::string length = h.lengthUnit >= 1 && h.lengthUnit <= 5 ? kLength[h.lengthUnit] : "";
  const std::string force = h.forceUnit >= 1 && h.forceUnit <= 6 ? kForce[h.forceUnit] : "";
  if (length.empty() && force.empty()) return "";
  return (force.empty() ? "?" : force) + ", " + (length.empty() ? "?" : length);
}

// The title as *PROJINFO writes it (none when it holds "<NULL>"), trimmed.
std::string TitleText(const T_HEAD_D& h) {
  if (h.present == 0 || h.title.find("<NULL>") != std::string::npos) return "";
  const size_t first = h.title.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return ModelText(std::string_view(h.title).substr(first, h.title.find_last_not_of(' ') + 1 - first));
}

// The first integer of a line (after blanks); false when it has none.
bool FirstNumber(const std::string& line, int32_t& n) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos) return false;
  bool neg = false;
  if (line[i] == '-' || line[i] == '+') neg = line[i++] == '-';
  if (i >= line.size() || line[i] < '0' || line[i] > '9') return false;
  int64_t v = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && v < (int64_t{1} << 32); ++i) v = v * 10 + (line[i] - '0');
  v = neg ? -v : v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  n = static_cast<int32_t>(v);
  return true;
}

// The beginnings (at most 64 bytes) of the given lines of a file; lines
// sorted ascending and unique, counted from 1.
std::vector<std::string> LineStarts(FILE* f, const std::vector<int64_t>& lines) {
  std::vector<std::string> starts(lines.size());
  std::vector<char> buf(size_t{1} << 20);
  size_t next = 0;
  int64_t line = 1;
  size_t n;
  while (next < lines.size() && (n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
    const char* p = buf.data();
    const char* const end = p + n;
    while (p < end && next < lines.size()) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      const char* stop = nl ? nl : end;
      if (line == lines[next]) {
        std::string& s = starts[next];
        s.append(p, std::min<size_t>(static_cast<size_t>(stop - p), 64 - std::min<size_t>(s.size(), 64)));
      }
      if (!nl) break;
      if (line == lines[next]) ++next;
      ++line;
      p = nl + 1;
    }
  }
  return starts;
}

}  // namespace

std::string ModelText(std::string_view text) {
  // Valid UTF-8 apart from control characters (which the page writer replaces
  // either way) stays as it is.
  std::string plain(text);
  for (char& c : plain)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  if (ValidUtf8(plain) == plain) return std::string(text);
#if defined(_WIN32)
  return AnsiToUtf8(std::string(text));
#else
  return std::string(text);
#endif
}

namespace {

// The nodes and the support markers.
void AddNodes(const CDataPool& pool, CPageModel& m) {
  m.nodeIds.reserve(pool.nodes.Count());
  m.nodeXyz.reserve(3 * pool.nodes.Count());
  pool.nodes.ForEachStored([&m](int32_t id, const T_NODS_D& n) {
    m.AddNode(id, n.pos[0], n.pos[1], n.pos[2]);
    if (AnyFlag(n.cnst)) m.markers.push_back({id, EPageMarker::kSupport});
  });
  T_CNST_D set;
  if (pool.modelConstraintSet && pool.constraints.Lookup(*pool.modelConstraintSet, set))
    for (const T_CNND_D& c : set.nodes)
      if (AnyFlag(c.dof)) m.markers.push_back({c.ent, EPageMarker::kSupport});
}

// The elements with their states, and the spring markers.
void AddElements(const CDataPool& pool, const CConversionReport& facts, CPageModel& m) {
  // Not converted: element number to the page's reason.
  const CConversionReport::CKind& elements = facts.Kind(EKind::kElements);
  std::unordered_map<int32_t, int32_t> reasonOf;
  for (const CConversionReport::CNumbered& n : facts.AllNumbers(EKind::kElements))
    if (n.reason < elements.notConverted.size()) reasonOf[n.number] = m.Reason(elements.notConverted[n.reason].text);

  // Shapes by (type, topology): a model repeats a few.
  struct CType {
    uint16_t index;
    CPageShape shape;
    bool spring;  // written by a spring section: a spring marker too
  };
  std::map<std::pair<int32_t, int32_t>, CType> types;
  const CType* last = nullptr;
  std::pair<int32_t, int32_t> lastKey;
  m.elements.reserve(pool.elements.Count());
  m.elementNodes.reserve(4 * pool.elements.Count());  // a mix of lines, plates and solids
  std::vector<int32_t> nodes;
  pool.elements.ForEachStored([&](int32_t id, const T_ELEM_D& e) {
    const std::pair<int32_t, int32_t> key(e.type, e.topo);
    if (!last || key != lastKey) {
      auto it = types.find(key);
      if (it == types.end()) {
        CPageShape shape = PageShapeOf(e.type, e.topo);
        const uint16_t index = m.Type(shape.label, shape.draw);
        const bool spring = shape.label == "SPRING" || shape.label == "GSPRING";
        it = types.emplace(key, CType{index, std::move(shape), spring}).first;
      }
      last = &it->second;
      lastKey = key;
    }
    nodes.clear();
    for (int slot : last->shape.slots)
      if (!last->shape.nonZero || e.node[slot] != 0) nodes.push_back(e.node[slot]);
    EPageState state = EPageState::kConverted;
    int32_t reason = -1;
    if (!reasonOf.empty()) {
      if (auto it = reasonOf.find(id); it != reasonOf.end()) {
        state = EPageState::kNotConverted;
        reason = it->second;
      }
    }
    m.AddElement(id, last->index, e.mat, e.prop, nodes, state, reason);
    // Spring supports are written by their own sections: a marker as well.
    if (last->spring && state == EPageState::kConverted) m.markers.push_back({e.node[0], EPageMarker::kSpring});
  });
}

}  // namespace

CPageModel PageModelOf(const CDataPool& pool, const CConversionReport& facts) {
  CPageModel m;
  m.title = TitleText(pool.Header());
  m.units = UnitsText(pool.Header());
  // The node map on a second thread (the maps share nothing), the elements here.
  CPageModel nodes;
  std::exception_ptr failed;
  std::thread second([&] {
    try {
      AddNodes(pool, nodes);
    } catch (...) {
      failed = std::current_exception();
    }
  });
  try {
    AddElements(pool, facts, m);
  } catch (...) {
    second.join();
    throw;
  }
  second.join();
  if (failed) std::rethrow_exception(failed);
  m.nodeIds = std::move(nodes.nodeIds);
  m.nodeXyz = std::move(nodes.nodeXyz);
  m.markers.insert(m.markers.begin(), nodes.markers.begin(), nodes.markers.end());
  return m;
}

void MarkDangling(CPageModel& page, const CDanglingList& dangling, IConvertEnv& env,
                  const std::string& qsxPath) {
  // The element sections whose lines begin with the element number. (The
  // point sections begin with the node, and a dangling node there is a node
  // the element lacks, which the page finds itself.)
  static const char* const kSections[] = {"*ELEMENT", "*NL-LINK", "*ELASTICLINK"};
  std::vector<int64_t> lines;
  for (const CDangling& d : dangling)
    if (std::find(std::begin(kSections), std::end(kSections), d.section) != std::end(kSections))
      lines.push_back(d.line);
  if (lines.empty()) return;
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  FILE* f = env.OpenRead(qsxPath);
  if (!f) return;
  const std::vector<std::string> starts = LineStarts(f, lines);
  std::fclose(f);
  std::unordered_set<int32_t> ids;
  for (const std::string& start : starts)
    if (int32_t id; FirstNumber(start, id)) ids.insert(id);
  for (CPageElement& e : page.elements)
    if (e.state == EPageState::kConverted && ids.count(e.id) != 0) e.state = EPageState::kDangling;
}

std::string ReadingText(bool opened, const CConversionReport& facts, int64_t lineCount) {
  if (!opened) return "the model file could not be opened";
  if (facts.readStoppedAtLine >= 0)
    return Format("stopped at line %lld after a format error", static_cast<long long>(facts.readStoppedAtLine));
  return Format(facts.dataBlocks == 0 ? "to the end of the file (%lld lines): no Halvex data block found"
                                      : "to the end of the file (%lld lines)",
                static_cast<long long>(lineCount));
}

void SetPageStatus(CPageModel& page, int status, bool lossy) {
  page.exitStatus = status;
  page.statusText = StatusText(status);
  page.lossy = lossy;
}

std::string LocalDateText() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
#if defined(_WIN32)
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &t);
  return text;
}

std::string PagePathFor(const std::string& qsxPath) {
  const std::string ext = ".qsx";
  if (qsxPath.size() >= ext.size() && qsxPath.compare(qsxPath.size() - ext.size(), ext.size(), ext) == 0)
    return qsxPath.substr(0, qsxPath.size() - ext.size()) + ".html";
  return qsxPath + ".html";
}

bool WritePage(const CPageModel& page, IConvertEnv& env, const std::string& path) {
  std::unique_ptr<COutFile> file;
  try {
    file = env.CreateFile(path);
    WriteModelPage(page, [&file](std::string_view piece) { file->Write(piece.data(), piece.size()); });
    file->Close();
    return true;
  } catch (...) {
    // A file error, or no memory for the page: no page rather than a partial one.
    if (file) {
      file->Abort();
      env.RemoveFile(path);
    }
    return false;
  }
}

}  // namespace hvx
