// CPageModel's look-ups and appending (page_model.h).
#include "page/page_model.h"

#include <algorithm>

namespace hvx {

namespace {

// A type's key in CPageModel::typeAt: the drawing, then the label.
std::string TypeKey(std::string_view label, EPageDraw draw) {
  std::string key(1, static_cast<char>('0' + static_cast<int>(draw)));
  key.append(label);
  return key;
}

}  // namespace

uint16_t CPageModel::Type(std::string_view label, EPageDraw draw) {
  if (typesIndexed > types.size()) {
    typeAt.clear();
    typesIndexed = 0;
  }
  for (; typesIndexed < types.size(); ++typesIndexed)
    typeAt.try_emplace(TypeKey(types[typesIndexed].label, types[typesIndexed].draw),
                       static_cast<uint16_t>(typesIndexed));
  const auto [it, added] = typeAt.try_emplace(TypeKey(label, draw), static_cast<uint16_t>(types.size()));
  if (added) {
    types.push_back({std::string(label), draw});
    ++typesIndexed;
  }
  return it->second;
}

int32_t CPageModel::Reason(std::string_view text) {
  if (reasonsIndexed > reasons.size()) {
    reasonAt.clear();
    reasonsIndexed = 0;
  }
  for (; reasonsIndexed < reasons.size(); ++reasonsIndexed)
    reasonAt.try_emplace(reasons[reasonsIndexed], static_cast<int32_t>(reasonsIndexed));
  const auto [it, added] = reasonAt.try_emplace(std::string(text), static_cast<int32_t>(reasons.size()));
  if (added) {
    reasons.emplace_back(text);
    ++reasonsIndexed;
  }
  return it->second;
}

CPageElement& CPageModel::AddElement(int32_t id, uint16_t type, int32_t material, int32_t section,
                                     std::span<const int32_t> nodes, EPageState state, int32_t reason) {
  CPageElement e;
  e.id = id;
  e.type = type;
  e.material = material;
  e.section = section;
  e.state = state;
  e.reason = reason;
  e.firstNode = static_cast<uint32_t>(elementNodes.size());
  e.nodeCount = static_cast<uint8_t>(std::min<size_t>(nodes.size(), 255));
  elementNodes.insert(elementNodes.end(), nodes.begin(), nodes.begin() + e.nodeCount);
  elements.push_back(e);
  return elements.back();
}

}  // namespace hvx
