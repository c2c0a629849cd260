// Boundary-group name by element number, looked up in constant time: the name
// of the first boundary group (in list order) holding the element, as
// CQsxSections::BoundaryGroupName gives it, for sections that name
// the group of many elements. Built from the finished list.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "writer/sections.h"

namespace hvx {

class CBoundaryIndex {
 public:
  explicit CBoundaryIndex(const std::vector<T_BNDRGRP_D>& groups) {
    for (const T_BNDRGRP_D& g : groups)
      for (int32_t e : g.elems) m_first.try_emplace(e, &g.name);
  }
  const std::string& Name(int32_t elem) const {
    static const std::string kNone;
    const auto it = m_first.find(elem);
    return it == m_first.end() ? kNone : *it->second;
  }

 private:
  std::unordered_map<int32_t, const std::string*> m_first;
};

}  // namespace hvx
