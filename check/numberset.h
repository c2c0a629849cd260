// Sets of 64-bit numbers for the reference check: what a text defines of one
// kind (node numbers, element numbers, ...). Standard C++ only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace hvx {

// Open-addressing hash set of 64-bit numbers (linear probing, at most half
// full): one probe sequence in one array, no node per number.
class CFlatSet {
 public:
  size_t size() const { return m_count; }
  bool empty() const { return m_count == 0; }
  void insert(long long n) {
    if (n == kEmpty) {
      if (!m_hasEmpty) ++m_count;
      m_hasEmpty = true;
      return;
    }
    if (2 * (m_count + 1) > m_slots.size()) Grow();
    long long& s = m_slots[Find(n)];
    if (s == kEmpty) {
      s = n;
      ++m_count;
    }
  }
  bool count(long long n) const {
    if (n == kEmpty) return m_hasEmpty;
    return !m_slots.empty() && m_slots[Find(n)] == n;
  }
  // Calls f(n) for every number, in no particular order.
  template <class F>
  void ForEach(F f) const {
    if (m_hasEmpty) f(kEmpty);
    for (const long long v : m_slots)
      if (v != kEmpty) f(v);
  }
  void clear() {
    m_slots.clear();
    m_count = 0;
    m_hasEmpty = false;
  }

 private:
  static constexpr long long kEmpty = INT64_MIN;
  // The slot holding n, or the empty slot where n would go.
  size_t Find(long long n) const {
    const size_t mask = m_slots.size() - 1;
    size_t i = static_cast<size_t>((static_cast<uint64_t>(n) * 0x9E3779B97F4A7C15ull) >> 20) & mask;
    while (m_slots[i] != kEmpty && m_slots[i] != n) i = (i + 1) & mask;
    return i;
  }
  void Grow() {
    std::vector<long long> old(m_slots.empty() ? 16 : m_slots.size() * 2, kEmpty);
    old.swap(m_slots);
    for (const long long v : old)
      if (v != kEmpty) m_slots[Find(v)] = v;
  }
  std::vector<long long> m_slots;
  size_t m_count = 0;
  bool m_hasEmpty = false;
};

// How often each 64-bit number was met: open addressing as CFlatSet, one
// slot per number.
class CFlatCounts {
 public:
  // Counts n (not INT64_MIN) `times` more.
  void Add(long long n, long long times) {
    if (2 * (m_count + 1) > m_slots.size()) Grow();
    CSlot& s = m_slots[Find(n)];
    if (s.n == kEmpty) {
      s.n = n;
      ++m_count;
    }
    s.times += times;
  }
  // Calls f(n, times) for every number, in no particular order.
  template <class F>
  void ForEach(F f) const {
    for (const CSlot& s : m_slots)
      if (s.n != kEmpty) f(s.n, s.times);
  }
  void clear() {
    m_slots.clear();
    m_count = 0;
  }

 private:
  static constexpr long long kEmpty = INT64_MIN;
  struct CSlot {
    long long n = kEmpty;
    long long times = 0;
  };
  size_t Find(long long n) const {
    const size_t mask = m_slots.size() - 1;
    size_t i = static_cast<size_t>((static_cast<uint64_t>(n) * 0x9E3779B97F4A7C15ull) >> 20) & mask;
    while (m_slots[i].n != kEmpty && m_slots[i].n != n) i = (i + 1) & mask;
    return i;
  }
  void Grow() {
    std::vector<CSlot> old(m_slots.empty() ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    for (const CSlot& s : old)
      if (s.n != kEmpty) m_slots[Find(s.n)] = s;
  }
  std::vector<CSlot> m_slots;
  size_t m_count = 0;
};

// Defined numbers of one kind. A few thousand sit in a hash set; beyond that a
// bitmap in pages of 65536 numbers over the 32-bit range takes over, its pages
// created on first use up to a limit. The hash set keeps what falls outside
// (numbers beyond 32 bits, pages beyond the limit). A number whose page exists
// is always in the page.
class CNumberSet {
 public:
  void Add(long long n) {
    m_min = std::min(m_min, n);
    m_max = std::max(m_max, n);
    if (m_pages.empty()) {
      m_sparse.insert(n);
      if (m_sparse.size() >= kSmall) ToBitmap();
      return;
    }
    if (!AddToPage(n)) m_sparse.insert(n);
  }
  // Adds first, first + 1, ..., last: a word of bitmap at a time where
  // the pages take them.
  void AddRange(long long first, long long last) {
    while (first <= last) {
      if (m_pages.empty() || first > INT32_MAX || first < INT32_MIN || !PageOf(first)) {
        Add(first);
        if (first == last) break;
        ++first;
        continue;
      }
      // The numbers from first to the end of its bitmap word (a word never
      // holds both -1 and 0, which lie 2^32 bits apart).
      const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(first));
      const long long upTo = std::min<long long>(last, first + (63 - (u & 63)));
      const int bits = static_cast<int>(upTo - first) + 1;
      const uint64_t mask = bits == 64 ? ~uint64_t{0} : ((uint64_t{1} << bits) - 1);
      PageOf(first)[(u & 0xffff) >> 6] |= mask << (u & 63);
      m_min = std::min(m_min, first);
      m_max = std::max(m_max, upTo);
      first = upTo + 1;
    }
  }
  bool Has(long long n) const {
    if (n < m_min || n > m_max) return false;
    if (!m_pages.empty() && n >= INT32_MIN && n <= INT32_MAX) {
      const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(n));
      if (const uint64_t* page = m_pages[u >> 16].get()) return (page[(u & 0xffff) >> 6] >> (u & 63)) & 1;
    }
    return !m_sparse.empty() && m_sparse.count(n) != 0;
  }
  // While the set is a hash set of fewer than limit numbers, calls f(n) for
  // each (in no particular order) and returns true; otherwise calls nothing
  // and returns false. Cheaper than limit calls of Has for a long run of
  // numbers against a few definitions.
  template <class F>
  bool VisitIfFewer(size_t limit, F f) const {
    if (!m_pages.empty() || m_sparse.size() >= limit) return false;
    m_sparse.ForEach(f);
    return true;
  }

 private:
  static constexpr size_t kSmall = 4096;
  static constexpr size_t kPageWords = 65536 / 64;
  static constexpr size_t kMaxPages = 1024;  // 8 MiB of bitmap per kind

  void ToBitmap() {
    m_pages.resize(size_t{1} << 16);
    CFlatSet rest;
    m_sparse.ForEach([&](long long n) {
      if (!AddToPage(n)) rest.insert(n);
    });
    m_sparse = std::move(rest);
  }
  bool AddToPage(long long n) {
    if (n < INT32_MIN || n > INT32_MAX) return false;
    uint64_t* page = PageOf(n);
    if (!page) return false;
    const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(n));
    page[(u & 0xffff) >> 6] |= uint64_t{1} << (u & 63);
    return true;
  }
  // The page of a 32-bit number, created if the limit allows; nullptr beyond it.
  uint64_t* PageOf(long long n) {
    const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(n));
    std::unique_ptr<uint64_t[]>& page = m_pages[u >> 16];
    if (!page) {
      if (m_pageCount >= kMaxPages) return nullptr;
      page.reset(new uint64_t[kPageWords]());
      ++m_pageCount;
    }
    return page.get();
  }

  long long m_min = INT64_MAX, m_max = INT64_MIN;  // bounds of what was added
  std::vector<std::unique_ptr<uint64_t[]>> m_pages;
  size_t m_pageCount = 0;
  CFlatSet m_sparse;
};

}  // namespace hvx
