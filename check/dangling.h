// The dangling references of a text as the reference check gives them: one
// entry per reference to something the text does not define, or per run of
// missing numbers on one line, held in a compact list (check/pending.h has its
// encoding).
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

namespace hvx {

namespace qsxcheck {
struct CDanglingCodec;
}  // namespace qsxcheck

// One entry of the dangling references of a text: a single reference to
// something the text does not define, or a run of missing numbers on one line.
struct CDangling {
  std::string_view section;  // command keyword of the section holding it, e.g. "*ELEMENT"
  long long line = 0;        // 1-based line number in the text
  std::string_view kind;     // what is missing: "node", "element", "material", "load case", ...
  std::string name;          // a single reference: the missing number or name, as text; a run: ""
  // A run: count missing numbers first, first + step, ..., last (count at
  // least kMinRun, step not 0), referred to in this order on one line. A
  // single reference has count 1 and first, last and step 0.
  long long count = 1;
  long long first = 0;
  long long last = 0;
  long long step = 0;

  // Fewer missing numbers in a row are single references.
  static constexpr long long kMinRun = 3;
  bool IsRun() const { return count > 1; }
  bool operator==(const CDangling&) const = default;
};

// A run as text: "nodes 5 to 99 (95)", "elements 10 to 50 step 10 (5)".
std::string RunText(const CDangling& run);

// Section and kind rows of the last two entries of a CDanglingList, on which
// the next entry builds (-1: none, or given as texts).
struct CDanglingRows {
  int section = -1, kind = -1;    // the last entry's
  int section2 = -1, kind2 = -1;  // the one before, when its rows differ
};

// The dangling references of a text in file order, held in a few bytes per
// entry and read back by iteration (an input iterator that decodes one entry
// at a time). The section and kind texts of an entry read from a list stay
// valid as long as the list.
class CDanglingList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = CDangling;
    using difference_type = std::ptrdiff_t;
    using pointer = const CDangling*;
    using reference = const CDangling&;

    const CDangling& operator*() const { return m_entry; }
    const CDangling* operator->() const { return &m_entry; }
    const_iterator& operator++();
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++*this;
      return old;
    }
    bool operator==(const const_iterator& o) const { return m_pos == o.m_pos; }

   private:
    friend class CDanglingList;
    friend struct qsxcheck::CDanglingCodec;
    std::string_view m_bytes;  // the list's entries
    size_t m_pos = 0;   // start of the entry held
    size_t m_next = 0;  // start of the next one
    long long m_line = 0;
    CDanglingRows m_rows;
    CDangling m_entry;
  };

  const_iterator begin() const;
  const_iterator end() const;
  bool empty() const { return m_entries == 0; }
  // Entries: a run counts once.
  size_t size() const { return m_entries; }
  // Dangling references: each number of a run counts.
  long long References() const { return m_references; }
  // Bytes held.
  size_t Bytes() const { return m_used; }

  void push_back(const CDangling& d);
  void assign(size_t n, const CDangling& d);
  void clear();

  // Same entries in the same order.
  bool operator==(const CDanglingList& o) const;

 private:
  friend struct qsxcheck::CDanglingCodec;
  std::string m_bytes;  // entries, then room for more
  size_t m_used = 0;    // bytes of the entries
  size_t m_entries = 0;
  long long m_references = 0;
  long long m_line = 0;  // line of the last entry, on which the next builds
  CDanglingRows m_rows;
};

}  // namespace hvx
