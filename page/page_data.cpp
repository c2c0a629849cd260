// The model page's data blocks (page_data.h).
#include "page/page_data.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <unordered_map>
#include <utility>

#include "base/ordered_run.h"
#include "page/page_text.h"

namespace hvx {

static_assert(std::endian::native == std::endian::little, "the page's arrays are little-endian");

namespace {

using Json = PageJson;

constexpr size_t kMaxMissingListed = 1000;

// Runs both(0) and both(1), the one on a second thread when `parallel`.
void RunTwo(bool parallel, const std::function<void(size_t)>& both) {
  COrderedRun how;
  how.workers = parallel ? 1 : 0;
  how.ahead = 2;
  RunInOrder(
      how, 2, [&](size_t i, size_t) { both(i); }, [](size_t, size_t) {});
}

// A typed array: its values (held by `keep`), then their base64 text.
struct CArray {
  std::string name;
  const char* type = "u8";
  size_t count = 0;
  std::shared_ptr<const void> keep;
  const unsigned char* bytes = nullptr;
  size_t size = 0;
  std::unique_ptr<char[]> text;  // not zeroed first: every character is written
  size_t textSize = 0;

  // Encodes the values, the second half on another thread when `split`.
  void Encode(bool split) {
    textSize = (size + 2) / 3 * 4;
    text.reset(new char[textSize]);
    const size_t half = split && size > (size_t{1} << 20) ? size / 2 / 3 * 3 : 0;
    RunTwo(half != 0, [this, half](size_t i) {
      if (i == 0)
        EncodeBase64(text.get(), bytes, half);
      else
        EncodeBase64(text.get() + half / 3 * 4, bytes + half, size - half);
    });
    keep.reset();
    bytes = nullptr;
  }
};

template <typename T>
CArray MakeArray(std::string name, const char* type, std::vector<T>&& values) {
  auto held = std::make_shared<std::vector<T>>(std::move(values));
  CArray a;
  a.name = std::move(name);
  a.type = type;
  a.count = held->size();
  a.bytes = reinterpret_cast<const unsigned char*>(held->data());
  a.size = held->size() * sizeof(T);
  a.keep = std::move(held);
  return a;
}

// Indices below 2^32 in the narrowest of u8, u16, u32 that holds `limit`.
CArray NarrowArray(std::string name, std::vector<uint32_t>&& values, uint64_t limit) {
  if (limit <= 0xFF) return MakeArray(std::move(name), "u8", std::vector<uint8_t>(values.begin(), values.end()));
  if (limit <= 0xFFFF) return MakeArray(std::move(name), "u16", std::vector<uint16_t>(values.begin(), values.end()));
  return MakeArray(std::move(name), "u32", std::move(values));
}

void AddRun(std::vector<int32_t>& runs, int32_t id) {
  if (!runs.empty() && int64_t{runs[runs.size() - 2]} + runs.back() == id && runs.back() < INT32_MAX) {
    ++runs.back();
    return;
  }
  runs.push_back(id);
  runs.push_back(1);
}

constexpr uint32_t kNoNode = 0xFFFFFFFF;

// Node id to node index: a direct table when the ids are dense enough, else a
// sorted list. A repeated id finds its last node.
class CNodeIndex {
 public:
  explicit CNodeIndex(const std::vector<int32_t>& ids) {
    if (ids.empty()) return;
    const auto [lo, hi] = std::minmax_element(ids.begin(), ids.end());
    m_min = *lo;
    const uint64_t range = static_cast<uint64_t>(int64_t{*hi} - *lo) + 1;
    if (range <= 2 * uint64_t{ids.size()} + 65536) {
      m_direct.assign(range, kNoNode);
      for (size_t i = 0; i < ids.size(); ++i)
        m_direct[static_cast<size_t>(int64_t{ids[i]} - m_min)] = static_cast<uint32_t>(i);
    } else {
      m_sorted.reserve(ids.size());
      for (size_t i = 0; i < ids.size(); ++i) m_sorted.emplace_back(ids[i], static_cast<uint32_t>(i));
      std::sort(m_sorted.begin(), m_sorted.end());
    }
  }
  uint32_t Find(int32_t id) const {
    if (!m_direct.empty()) {
      const int64_t k = int64_t{id} - m_min;
      return k >= 0 && static_cast<uint64_t>(k) < m_direct.size() ? m_direct[static_cast<size_t>(k)] : kNoNode;
    }
    auto it = std::upper_bound(m_sorted.begin(), m_sorted.end(), std::pair<int32_t, uint32_t>(id, kNoNode));
    if (it == m_sorted.begin() || (it - 1)->first != id) return kNoNode;
    return (it - 1)->second;
  }

 private:
  int32_t m_min = 0;
  std::vector<uint32_t> m_direct;
  std::vector<std::pair<int32_t, uint32_t>> m_sorted;
};

struct CBox {
  double centre[3] = {0, 0, 0};
  int64_t nonFinite = 0;
};

CBox NodeBox(const CPageModel& m) {
  CBox box;
  double lo[3] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                  std::numeric_limits<double>::infinity()};
  double hi[3] = {-lo[0], -lo[0], -lo[0]};
  // Nodes without their three coordinates in nodeXyz count as not finite.
  const size_t n = m.nodeIds.size();
  for (size_t i = 0; i < n; ++i) {
    const double* p = m.nodeXyz.data() + 3 * i;
    if (3 * i + 2 >= m.nodeXyz.size() || !(std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]))) {
      ++box.nonFinite;
      continue;
    }
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
  if (box.nonFinite < static_cast<int64_t>(n))
    for (int k = 0; k < 3; ++k) box.centre[k] = lo[k] + (hi[k] - lo[k]) / 2;
  return box;
}

// The node arrays: ids, coordinates relative to the centre, markers.
std::vector<CArray> NodeArrays(const CPageModel& m, const CBox& box, const CNodeIndex& index, int64_t& dropped) {
  std::vector<CArray> arrays;
  std::vector<int32_t> runs;
  for (int32_t id : m.nodeIds) AddRun(runs, id);
  arrays.push_back(MakeArray("node_ids", "i32", std::move(runs)));
  {
    const size_t n = 3 * m.nodeIds.size(), given = std::min(n, m.nodeXyz.size() / 3 * 3);
    std::vector<float> xyz(n, std::numeric_limits<float>::quiet_NaN());
    for (size_t i = 0; i < given; ++i) xyz[i] = static_cast<float>(m.nodeXyz[i] - box.centre[i % 3]);
    arrays.push_back(MakeArray("xyz", "f32", std::move(xyz)));
  }
  std::vector<uint32_t> markerNode;
  std::vector<uint8_t> markerKind;
  dropped = 0;
  for (const CPageMarker& mk : m.markers) {
    const uint32_t k = index.Find(mk.node);
    if (k == kNoNode) {
      ++dropped;
      continue;
    }
    markerNode.push_back(k);
    markerKind.push_back(static_cast<uint8_t>(mk.kind));
  }
  arrays.push_back(MakeArray("marker_node", "u32", std::move(markerNode)));
  arrays.push_back(MakeArray("marker_kind", "u8", std::move(markerKind)));
  return arrays;
}

// Small integers to palette indices: a direct table for 0..65535, a map beyond.
class CPalette {
 public:
  uint32_t Index(int32_t v) {
    if (v >= 0 && v < kDirect) {
      if (m_direct.empty()) m_direct.assign(kDirect, kNone);
      uint32_t& slot = m_direct[static_cast<size_t>(v)];
      if (slot == kNone) slot = Add(v);
      return slot;
    }
    auto [it, added] = m_map.try_emplace(v, 0);
    if (added) it->second = Add(v);
    return it->second;
  }
  const std::vector<int32_t>& Values() const { return m_values; }

 private:
  static constexpr int32_t kDirect = 65536;
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  uint32_t Add(int32_t v) {
    m_values.push_back(v);
    return static_cast<uint32_t>(m_values.size() - 1);
  }
  std::vector<uint32_t> m_direct;
  std::unordered_map<int32_t, uint32_t> m_map;
  std::vector<int32_t> m_values;
};

// Element kinds (type, node count, state, reason) to indices, with a small
// cache in front of the map: elements of a model repeat a few kinds.
class CKinds {
 public:
  struct CKind {
    uint16_t type;
    uint8_t nodes;
    uint8_t state;
    int32_t reason;
  };
  uint32_t Index(const CKind& k) {
    const uint64_t key = (uint64_t{k.type} << 48) | (uint64_t{k.nodes} << 40) | (uint64_t{k.state} << 32) |
                         static_cast<uint32_t>(k.reason);
    auto& slot = m_cache[(key ^ (key >> 29) ^ (key >> 41)) & (m_cache.size() - 1)];
    if (slot.first == key && slot.second != kNone) return slot.second;
    auto [it, added] = m_map.try_emplace(key, static_cast<uint32_t>(m_list.size()));
    if (added) m_list.push_back(k);
    slot = {key, it->second};
    return it->second;
  }
  const std::vector<CKind>& List() const { return m_list; }

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  std::array<std::pair<uint64_t, uint32_t>, 256> m_cache{[] {
    std::array<std::pair<uint64_t, uint32_t>, 256> a{};
    a.fill({0, kNone});
    return a;
  }()};
  std::unordered_map<uint64_t, uint32_t> m_map;
  std::vector<CKind> m_list;
};

const char* DrawName(EPageDraw d) {
  switch (d) {
    case EPageDraw::kLine:
      return "line";
    case EPageDraw::kPolygon:
      return "polygon";
    case EPageDraw::kSolid:
      return "solid";
    case EPageDraw::kPoint:
      return "point";
  }
  return "line";
}

struct CElementResult {
  std::vector<CArray> arrays;
  Json kinds = Json::array();
  Json typeCounts = Json::array();
  Json materials;
  Json sections;
  Json missing = Json::array();
  int64_t missingCount = 0;
};

template <typename Index>
CElementResult ElementArrays(const CPageModel& m, const CNodeIndex& nodeIndex) {
  CElementResult r;
  const size_t count = m.elements.size();
  std::vector<int32_t> runs;
  std::vector<uint32_t> kind(count), mat(count), sec(count);
  std::vector<Index> nodes;
  nodes.reserve(m.elementNodes.size());
  std::vector<int64_t> typeCounts(m.types.size(), 0);
  CKinds kinds;
  CPalette materials, sections;
  constexpr Index kMissing = std::numeric_limits<Index>::max();
  for (size_t e = 0; e < count; ++e) {
    const CPageElement& el = m.elements[e];
    AddRun(runs, el.id);
    bool missing = false;
    // A node list that runs past elementNodes counts as empty.
    const unsigned nodeCount = uint64_t{el.firstNode} + el.nodeCount <= m.elementNodes.size() ? el.nodeCount : 0;
    const int32_t* ids = m.elementNodes.data() + (nodeCount ? el.firstNode : 0);
    for (unsigned i = 0; i < nodeCount; ++i) {
      const uint32_t k = nodeIndex.Find(ids[i]);
      missing |= k == kNoNode;
      nodes.push_back(k == kNoNode ? kMissing : static_cast<Index>(k));
    }
    EPageState state = el.state;
    if (missing) {
      state = EPageState::kMissingNode;
      if (r.missingCount++ < static_cast<int64_t>(kMaxMissingListed))
        r.missing.push_back({{"id", el.id}, {"nodes", std::vector<int32_t>(ids, ids + nodeCount)}});
    }
    const uint16_t type = el.type < m.types.size() ? el.type : 0;
    const int32_t reason = el.reason >= 0 && static_cast<size_t>(el.reason) < m.reasons.size() ? el.reason : -1;
    kind[e] = kinds.Index({type, static_cast<uint8_t>(nodeCount), static_cast<uint8_t>(state), reason});
    if (type < typeCounts.size()) ++typeCounts[type];
    mat[e] = materials.Index(el.material);
    sec[e] = sections.Index(el.section);
  }
  r.arrays.push_back(MakeArray("elem_ids", "i32", std::move(runs)));
  r.arrays.push_back(NarrowArray("elem_kind", std::move(kind), kinds.List().size()));
  r.arrays.push_back(MakeArray("elem_nodes", sizeof(Index) == 2 ? "u16" : "u32", std::move(nodes)));
  // Palettes of more than 65536 values: the values themselves.
  auto palette = [&](const char* name, std::vector<uint32_t>& index, const CPalette& p, int32_t CPageElement::*field,
                     Json& values) {
    if (p.Values().size() <= 65536) {
      r.arrays.push_back(NarrowArray(name, std::move(index), p.Values().size()));
      values = p.Values();
      return;
    }
    std::vector<int32_t> raw(count);
    for (size_t e = 0; e < count; ++e) raw[e] = m.elements[e].*field;
    r.arrays.push_back(MakeArray(name, "i32", std::move(raw)));
    values = nullptr;
  };
  palette("elem_mat", mat, materials, &CPageElement::material, r.materials);
  palette("elem_sec", sec, sections, &CPageElement::section, r.sections);
  for (const auto& k : kinds.List()) r.kinds.push_back({k.type, k.nodes, k.state, k.reason});
  r.typeCounts = typeCounts;
  return r;
}

}  // namespace

std::string ScriptJson(const PageJson& j) {
  const std::string text = j.dump(-1, ' ', false, PageJson::error_handler_t::replace);
  std::string out;
  out.reserve(text.size() + 64);
  for (char c : text) {
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  }
  return out;
}

CPageBlocks PageBlocks(const CPageModel& m, bool secondThread) {
  const CBox box = NodeBox(m);
  const CNodeIndex nodeIndex(m.nodeIds);

  // The node arrays and the element arrays at once; then both threads encode
  // the element arrays, half each.
  const bool parallel = secondThread && m.nodeIds.size() + m.elements.size() > 100000;
  std::vector<CArray> nodeArrays;
  int64_t markersDropped = 0;
  CElementResult elems;
  RunTwo(parallel, [&](size_t i) {
    if (i == 0) {
      elems = m.nodeIds.size() < 0xFFFF ? ElementArrays<uint16_t>(m, nodeIndex) : ElementArrays<uint32_t>(m, nodeIndex);
      return;
    }
    nodeArrays = NodeArrays(m, box, nodeIndex, markersDropped);
    for (CArray& a : nodeArrays) a.Encode(false);
  });
  for (CArray& a : elems.arrays) a.Encode(parallel);

  Json report;
  std::string reportState = "none";
  if (!m.reportJson.empty()) {
    try {
      report = Json::parse(ValidUtf8(m.reportJson));
      reportState = report.is_object() ? "ok" : "invalid";
    } catch (const Json::exception&) {
      reportState = "invalid";
    }
    if (reportState != "ok") report = nullptr;
  }

  Json meta;
  meta["format"] = 1;
  meta["model"] = ValidUtf8(m.modelPath);
  meta["title"] = ValidUtf8(m.title);
  meta["units"] = ValidUtf8(m.units);
  meta["date"] = ValidUtf8(m.date);
  meta["reading"] = ValidUtf8(m.reading);
  meta["status"] = m.exitStatus;
  meta["status_text"] = ValidUtf8(m.statusText);
  meta["lossy"] = m.lossy;
  meta["seconds"] = m.seconds;
  meta["report"] = reportState;
  meta["centre"] = {box.centre[0], box.centre[1], box.centre[2]};
  meta["nodes"] = m.nodeIds.size();
  meta["elements"] = m.elements.size();
  meta["nonfinite"] = box.nonFinite;
  Json types = Json::array();
  for (const auto& t : m.types) types.push_back({{"label", ValidUtf8(t.label)}, {"draw", DrawName(t.draw)}});
  meta["types"] = std::move(types);
  meta["type_counts"] = std::move(elems.typeCounts);
  Json reasons = Json::array();
  for (const auto& t : m.reasons) reasons.push_back(ValidUtf8(t));
  meta["reasons"] = std::move(reasons);
  meta["kinds"] = std::move(elems.kinds);
  meta["materials"] = std::move(elems.materials);
  meta["sections"] = std::move(elems.sections);
  meta["missing"] = std::move(elems.missing);
  meta["missing_count"] = elems.missingCount;
  meta["markers_dropped"] = markersDropped;
  Json messages = Json::array();
  for (const auto& t : m.messages) messages.push_back(ValidUtf8(t));
  meta["messages"] = std::move(messages);
  Json arrays = Json::object();
  for (const auto* list : {&nodeArrays, &elems.arrays})
    for (const CArray& a : *list) arrays[a.name] = {{"type", a.type}, {"count", a.count}};
  meta["arrays"] = std::move(arrays);

  CPageBlocks blocks;
  blocks.meta = std::move(meta);
  blocks.report = std::move(report);
  for (auto* list : {&nodeArrays, &elems.arrays})
    for (CArray& a : *list) blocks.arrays.push_back({std::move(a.name), std::move(a.text), a.textSize});
  return blocks;
}

}  // namespace hvx
