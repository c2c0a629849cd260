// The numbers of the data lines of a piece of a long section, recorded while
// the lines are formatted, for a file that reads its own text back to count
// dangling references: taking the numbers as they were formatted is cheaper
// than reading them out of the text again. Two shapes of line:
//   first-number lines (*NODE): the line's first field, a whole number;
//   element lines (*ELEMENT): number, type, material, property, then the
//     whole-number fields that follow the property (nodes, and what follows
//     them as long as it is a whole number).
// Numbers that follow each other by one are held as ranges; an element line
// takes a word for its type and field count, then its material, property and
// whole-number fields.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "base/element_kinds.h"

namespace hvx {

class CPieceNumbers {
 public:
  enum class EShape : uint8_t {
    kNone,          // nothing recorded, or lines of both shapes
    kFirstNumbers,  // first-number lines
    kElements,      // element lines
  };
  // Line numbers first, first + 1, ..., last.
  struct CRange {
    int32_t first, last;
  };
  // The type of an element line: one of the first kElementLineKinds kinds.
  using EType = EElementKind;
  // Most whole-number fields of one element line.
  static constexpr size_t kMaxFields = 254;

  // A first-number line whose first field is n.
  void FirstNumber(int32_t n) {
    SetShape(EShape::kFirstNumbers);
    Number(n);
  }
  // An element line: number n, its type, material and property, then the
  // whole-number fields after them.
  void Element(int32_t n, EType type, int32_t material, int32_t property, std::initializer_list<int32_t> fields) {
    SetShape(EShape::kElements);
    Number(n);
    if (fields.size() > kMaxFields) m_mixed = true;  // not recordable: unusable
    uint8_t& fewest = m_fewest[static_cast<size_t>(type)];
    fewest = std::min(fewest, static_cast<uint8_t>(fields.size()));
    const size_t need = m_used + 3 + fields.size();
    if (need > m_words.size()) m_words.resize(std::max(need, 2 * m_words.size()));
    int32_t* w = m_words.data() + m_used;
    m_used = need;
    w[0] = static_cast<int32_t>(static_cast<uint32_t>(type) << 8 | static_cast<uint32_t>(fields.size() & 0xff));
    w[1] = material;
    w[2] = property;
    w += 3;
    for (const int32_t f : fields) *w++ = f;
  }
  // Room for `lines` element lines of up to `fields` whole-number fields.
  void Reserve(size_t lines, size_t fields) {
    m_words.resize(std::max(m_words.size(), m_used + lines * (3 + fields)));
  }

  EShape Shape() const { return m_mixed ? EShape::kNone : m_shape; }
  uint64_t Lines() const { return m_lines; }
  // The lines' numbers in line order.
  const std::vector<CRange>& Numbers() const { return m_numbers; }
  // The fewest whole-number fields of an element line of the type; kNoLines
  // for no line of it.
  static constexpr uint8_t kNoLines = 255;
  uint8_t FewestFields(EType type) const { return m_fewest[static_cast<size_t>(type)]; }
  // Calls f(type, material, property, fields, count) for every element line
  // in line order.
  template <class F>
  void ForEachElement(F f) const {
    const int32_t* w = m_words.data();
    const int32_t* const end = w + m_used;
    while (w < end) {
      const uint32_t count = static_cast<uint32_t>(w[0]) & 0xff;
      f(static_cast<EType>(static_cast<uint32_t>(w[0]) >> 8), w[1], w[2], w + 3, count);
      w += 3 + count;
    }
  }
  // Bytes held.
  size_t Bytes() const {
    return m_numbers.size() * sizeof(CRange) + m_used * sizeof(int32_t);
  }

 private:
  void SetShape(EShape s) {
    if (m_lines != 0 && s != m_shape) m_mixed = true;
    m_shape = s;
  }
  void Number(int32_t n) {
    ++m_lines;
    if (!m_numbers.empty() && m_numbers.back().last != INT32_MAX && m_numbers.back().last + 1 == n) {
      m_numbers.back().last = n;
      return;
    }
    m_numbers.push_back(CRange{n, n});
  }

  EShape m_shape = EShape::kNone;
  bool m_mixed = false;
  uint64_t m_lines = 0;
  std::vector<CRange> m_numbers;
  uint8_t m_fewest[kElementLineKinds] = {kNoLines, kNoLines, kNoLines, kNoLines, kNoLines, kNoLines};
  std::vector<int32_t> m_words;  // the element lines' words, then room for more
  size_t m_used = 0;              // words used
};

}  // namespace hvx
