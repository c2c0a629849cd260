// Chained hash map keyed by 32-bit entity numbers, with the fixed bucket count
// and the exact enumeration order the output depends on: buckets in ascending
// index, and within a bucket from the most recently added number to the
// earliest. Replacing a record keeps its place in the chain.
//
// Records live in one dense array; chains link array indices. A codec may store
// records in a compact form (large maps); callers then see copies only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace hvx {

// Minimal-standard multiplicative hash, computed without overflow.
inline uint32_t HashNumber(int32_t k) {
  const int32_t q = k / 127773;
  const int32_t r = k - 127773 * q;
  int64_t h = int64_t{16807} * r - int64_t{2836} * q;
  if (h < 0) h += 2147483647;
  return static_cast<uint32_t>(h);
}

template <class Rec>
struct IdentityCodec {
  using Stored = Rec;
  static Stored Encode(const Rec& r) { return r; }
  static Stored Encode(Rec&& r) { return std::move(r); }
  static void Decode(const Stored& s, Rec& out) { out = s; }
};

template <class Rec, class Codec = IdentityCodec<Rec>>
class CHashMap {
 public:
  using Stored = typename Codec::Stored;
  static constexpr bool kIdentity = std::is_same_v<Stored, Rec>;

  explicit CHashMap(uint32_t buckets) : m_buckets(buckets) {}

  // Puts a copy of rec under key; a record already there is replaced in place.
  template <class R>
  void Store(int32_t key, R&& rec) {
    const uint32_t b = HashNumber(key) % m_buckets;
    uint32_t* head = Heads();
    for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next) {
      if (m_entries[i - 1].key == key) {
        m_entries[i - 1].rec = Codec::Encode(std::forward<R>(rec));
        return;
      }
    }
    m_entries.push_back(Entry{key, head[b], Codec::Encode(std::forward<R>(rec))});
    head[b] = static_cast<uint32_t>(m_entries.size());
  }

  // Copies the record stored under key into out; false (out untouched) if none.
  bool Lookup(int32_t key, Rec& out) const {
    const Entry* e = FindEntry(key);
    if (!e) return false;
    Codec::Decode(e->rec, out);
    return true;
  }

  bool Contains(int32_t key) const { return FindEntry(key) != nullptr; }

  // Direct read access without a copy (plain-stored maps only).
  const Rec* Find(int32_t key) const
    requires kIdentity
  {
    const Entry* e = FindEntry(key);
    return e ? &e->rec : nullptr;
  }

  // Access to the record under key, storing a default record first if none.
  Rec& FindOrCreate(int32_t key)
    requires kIdentity
  {
    if (const Entry* e = FindEntry(key)) return const_cast<Rec&>(e->rec);
    Store(key, Rec{});
    return m_entries.back().rec;
  }

  size_t Count() const { return m_entries.size(); }
  bool Empty() const { return m_entries.empty(); }

  // Visits every (number, record) pair once in enumeration order.
  template <class F>
  void Enumerate(F&& f) const {
    if (m_entries.empty()) return;
    const uint32_t* head = m_heads.get();
    if constexpr (kIdentity) {
      for (uint32_t b = 0; b < m_buckets; ++b)
        for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next)
          f(m_entries[i - 1].key, m_entries[i - 1].rec);
    } else {
      Rec tmp;
      for (uint32_t b = 0; b < m_buckets; ++b)
        for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next) {
          Codec::Decode(m_entries[i - 1].rec, tmp);
          f(m_entries[i - 1].key, static_cast<const Rec&>(tmp));
        }
    }
  }

  // Numbers in enumeration order.
  std::vector<int32_t> Keys() const {
    std::vector<int32_t> keys;
    keys.reserve(m_entries.size());
    if (m_entries.empty()) return keys;
    const uint32_t* head = m_heads.get();
    for (uint32_t b = 0; b < m_buckets; ++b)
      for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next) keys.push_back(m_entries[i - 1].key);
    return keys;
  }

  // Numbers sorted ascending as signed 32-bit integers.
  std::vector<int32_t> SortedKeys() const {
    std::vector<int32_t> keys;
    keys.reserve(m_entries.size());
    for (const Entry& e : m_entries) keys.push_back(e.key);
    std::sort(keys.begin(), keys.end());
    return keys;
  }

 private:
  struct Entry {
    int32_t key;
    uint32_t next;  // 1-based index of the next entry in the chain, 0 = end
    Stored rec;
  };
  struct FreeDeleter {
    void operator()(uint32_t* p) const { std::free(p); }
  };

  // Bucket heads (1-based entry index, 0 = empty) are allocated on first use
  // with calloc, so the large tables cost nothing for small models.
  uint32_t* Heads() {
    if (!m_heads) {
      void* p = std::calloc(m_buckets, sizeof(uint32_t));
      if (!p) throw std::bad_alloc();
      m_heads.reset(static_cast<uint32_t*>(p));
    }
    return m_heads.get();
  }

  const Entry* FindEntry(int32_t key) const {
    if (!m_heads) return nullptr;
    const uint32_t b = HashNumber(key) % m_buckets;
    for (uint32_t i = m_heads[b]; i != 0; i = m_entries[i - 1].next)
      if (m_entries[i - 1].key == key) return &m_entries[i - 1];
    return nullptr;
  }

  uint32_t m_buckets;
  std::unique_ptr<uint32_t[], FreeDeleter> m_heads;
  std::vector<Entry> m_entries;
};

}  // namespace hvx
