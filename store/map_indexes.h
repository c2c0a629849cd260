// The two indexes from number to entry that spare a number-keyed map its
// bucket chains: a paged direct index for mostly dense numbers, and open
// addressing for maps that hold many more records than buckets.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "store/map_support.h"

namespace hvx {

// Slot of each number, for the large maps, whose numbers are mostly dense
// from 1 up: walks in ascending number order then touch memory in order
// instead of one random bucket per number. Pages of 16384 numbers are made
// when the first number of the page is stored, as long as the pages stay
// within about twice the entries' count; a page refused then, and negative
// numbers, are answered by the bucket chains.
class CDirectIndex {
 public:
  // Where one number's entry is.
  struct Slot {
    uint32_t index;   // 1-based entry index, 0 = not stored
    uint32_t handle;  // the entry's record handle (compact maps)
  };

  // Marks a number this index cannot answer for.
  static Slot* Unknown() {
    static Slot marker;
    return &marker;
  }

  // The slot of key; nullptr when key is not stored, Unknown() when this
  // index cannot tell.
  Slot* Find(int32_t key) const {
    if (key < 0) return Unknown();
    const size_t pg = static_cast<size_t>(key) >> kPageBits;
    if (pg >= m_pages.size()) return nullptr;
    Slot* page = m_pages[pg].get();
    if (!page || page == Unknown()) return page;
    return &page[static_cast<uint32_t>(key) & (kPage - 1)];
  }

  void Prefetch(int32_t key) const {
    const size_t pg = static_cast<size_t>(static_cast<uint32_t>(key)) >> kPageBits;
    if (key >= 0 && pg < m_pages.size())
      if (const Slot* page = m_pages[pg].get(); page && page != Unknown())
        PrefetchRead(&page[static_cast<uint32_t>(key) & (kPage - 1)]);
  }

  // Records a newly stored key (entry index 1-based, count after storing);
  // false when this index does not answer for it.
  bool Add(int32_t key, uint32_t index, uint32_t handle, size_t count) {
    if (key < 0) return false;
    const size_t pg = static_cast<size_t>(key) >> kPageBits;
    if (pg >= m_pages.size()) m_pages.resize(pg + 1);
    Slot* page = m_pages[pg].get();
    if (!page) {
      if ((m_made + 1) * kPage > 2 * count + 4 * kPage) {
        m_pages[pg].reset(Unknown());
        return false;
      }
      page = static_cast<Slot*>(std::calloc(kPage, sizeof(Slot)));
      if (!page) throw std::bad_alloc();
      m_pages[pg].reset(page);
      ++m_made;
    }
    if (page == Unknown()) return false;
    page[static_cast<uint32_t>(key) & (kPage - 1)] = Slot{index, handle};
    return true;
  }

 private:
  static constexpr unsigned kPageBits = 14;
  static constexpr size_t kPage = size_t{1} << kPageBits;
  struct PageDeleter {
    void operator()(Slot* p) const {
      if (p != Unknown()) std::free(p);
    }
  };
  std::vector<std::unique_ptr<Slot, PageDeleter>> m_pages;
  size_t m_made = 0;
};
// Number to entry for a map without a direct index once its chains grow
// long: the bucket count is fixed (the enumeration order depends on it), so
// a map of many more records than buckets would walk long chains on every
// store and look-up. Open addressing over entry indices (1-based, 0 free),
// at most half full. Built by Store only, so frozen maps read it safely.
template <class Entries>
class CKeyIndex {
 public:
  bool Active() const { return !m_slots.empty(); }
  uint32_t Find(int32_t key, const Entries& entries) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = Home(key, mask);; i = (i + 1) & mask) {
      const uint32_t e = m_slots[i];
      if (e == 0 || entries[e - 1].key == key) return e;
    }
  }
  // Adds entry index (1-based) of a key not yet in the index.
  // Adds the entry just appended (index 1-based, the last of entries).
  void Add(uint32_t index, const Entries& entries) {
    if (2 * (m_count + 1) > m_slots.size())
      Build(entries, 2 * m_slots.size());
    else
      Put(index, entries);
  }
  // Indexes every entry, in a table of at least minSlots.
  void Build(const Entries& entries, size_t minSlots = 0) {
    m_slots.assign(std::bit_ceil(std::max({minSlots, 4 * entries.size(), size_t{64}})), 0);
    m_count = 0;
    for (size_t i = 0; i < entries.size(); ++i) Put(static_cast<uint32_t>(i + 1), entries);
  }

 private:
  static size_t Home(int32_t key, size_t mask) {
    return static_cast<size_t>((uint64_t{static_cast<uint32_t>(key)} * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  }
  void Put(uint32_t index, const Entries& entries) {
    const size_t mask = m_slots.size() - 1;
    size_t i = Home(entries[index - 1].key, mask);
    while (m_slots[i] != 0) i = (i + 1) & mask;
    m_slots[i] = index;
    ++m_count;
  }
  std::vector<uint32_t> m_slots;
  size_t m_count = 0;
};}  // namespace hvx
