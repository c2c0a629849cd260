// Chained hash map keyed by 32-bit entity numbers, with the fixed bucket count
// and the exact enumeration order the output depends on: buckets in ascending
// index, and within a bucket from the most recently added number to the
// earliest. Replacing a record keeps its place in the chain.
//
// Entries live in fixed-size segments that are never moved, so growing a map
// of a million records costs no copy and no transient doubling, and a record
// reached through Find or FindOrCreate stays where it is. Chains link entry
// indices. A codec may store records in a compact form (large maps); callers
// then see copies only.
//
// The large maps (nodes, elements, properties) also keep a paged index from
// number to entry, which answers look-ups without the bucket chains; their
// new entries are linked into the chains only when an operation first needs
// the chains. Look-ups remember where the previous one was to fetch ahead in
// walks, so even const operations change internal state: a map is used from
// one thread at a time, except that after Freeze any number of threads may
// read it at once through the look-ups that take a walk state of their own
// (and Find, Contains, Keys, SortedKeys, ForEachStored), as long as nothing
// is stored meanwhile.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "store/map_indexes.h"
#include "store/map_support.h"
#include "store/segmented_array.h"

namespace hvx {

template <class Rec, class Codec = IdentityCodec<Rec>>
class CHashMap {
 public:
  using Stored = typename Codec::Stored;
  static constexpr bool kIdentity = std::is_same_v<Stored, Rec>;
  // Compact maps keep each record's handle in the direct index as well, so a
  // look-up by number reads the index slot and the record, not the entry.
  // (Declared before the requires-clauses that name it, as clang wants.)
  static constexpr bool kHandleInIndex = !kIdentity && std::is_same_v<Stored, uint32_t>;

  explicit CHashMap(uint32_t buckets) : m_mod(buckets) {
    if (buckets >= kDirectFrom) m_direct = std::make_unique<CDirectIndex>();
  }
  CHashMap(const CHashMap&) = delete;
  CHashMap& operator=(const CHashMap&) = delete;

  // Puts a copy of rec under key; a record already there is replaced in place.
  template <class R>
  void Store(int32_t key, R&& rec) {
    if (m_direct) {
      // A number the direct index answers for needs no chain walk; a new one
      // is appended and linked into its chain later (LinkPending).
      if (Slot* s = m_direct->Find(key); s != CDirectIndex::Unknown()) {
        if (s && s->index != 0) {
          Replace(*s, std::forward<R>(rec));
        } else {
          m_entries.emplace_back(key, 0u, m_codec.Encode(std::forward<R>(rec)));
          if (!m_direct->Add(key, Index(m_entries.size()), HandleOf(m_entries.back()), m_entries.size()))
            m_allDirect = false;
        }
        return;
      }
    }
    LinkPending();
    uint32_t* head = Heads();
    const uint32_t b = Bucket(key);
    if (m_keys.Active()) {
      if (const uint32_t i = m_keys.Find(key, m_entries)) {
        m_codec.Reencode(m_entries[i - 1].rec, std::forward<R>(rec));
        return;
      }
    } else {
      for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next) {
        Entry& e = m_entries[i - 1];
        if (e.key == key) {
          m_codec.Reencode(e.rec, std::forward<R>(rec));
          return;
        }
      }
    }
    m_entries.emplace_back(key, head[b], m_codec.Encode(std::forward<R>(rec)));
    head[b] = Index(m_entries.size());
    m_linked = m_entries.size();
    if (m_direct && !m_direct->Add(key, head[b], HandleOf(m_entries.back()), m_entries.size())) m_allDirect = false;
    if (m_keys.Active())
      m_keys.Add(head[b], m_entries);
    else if (!m_direct && m_entries.size() >= kKeyIndexPerBucket * size_t{m_mod.Divisor()})
      m_keys.Build(m_entries);
  }

  // Links what waits to be linked and allocates what look-ups allocate on
  // first use, so that reading changes nothing until the next Store.
  void Freeze() const {
    // Look-ups of a map whose numbers are all in its direct index need no
    // chain.
    if (!m_entries.empty() && !(m_direct && m_allDirect)) LinkPending();
  }

  // Copies the record stored under key into out; false (out untouched) if none.
  bool Lookup(int32_t key, Rec& out) const { return Lookup(key, out, m_walk); }
  // The same with the caller's walk state (after Freeze: on any thread).
  bool Lookup(int32_t key, Rec& out, [[maybe_unused]] CMapWalk& walk) const {
    if constexpr (kHandleInIndex) {
      if (m_direct) {
        if (const Slot* s = m_direct->Find(key); s != CDirectIndex::Unknown()) {
          if (!s || s->index == 0) return false;
          FollowWalk(key, s->index, walk);
          m_codec.Decode(s->handle, out);
          return true;
        }
      }
    }
    const Entry* e = FindEntry(key);
    if (!e) return false;
    m_codec.Decode(e->rec, out);
    return true;
  }

  bool Contains(int32_t key) const {
    if (m_direct)
      if (const Slot* s = m_direct->Find(key); s != CDirectIndex::Unknown()) return s && s->index != 0;
    return FindEntry(key) != nullptr;
  }

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
    LinkPending();
    const uint32_t* head = m_heads.get();
    const uint32_t buckets = m_mod.Divisor();
    if constexpr (kIdentity) {
      for (uint32_t b = 0; b < buckets; ++b) {
        PrefetchAhead(b, false);
        for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next)
          f(m_entries[i - 1].key, m_entries[i - 1].rec);
      }
    } else {
      Rec tmp;
      for (uint32_t b = 0; b < buckets; ++b) {
        PrefetchAhead(b, false);
        for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next) {
          m_codec.Decode(m_entries[i - 1].rec, tmp);
          f(m_entries[i - 1].key, static_cast<const Rec&>(tmp));
        }
      }
    }
  }

  // Visits every (number, record) pair in the order the numbers were first
  // stored: memory order, the cheapest full walk where order does not matter.
  template <class F>
  void ForEachStored(F&& f) const {
    if constexpr (kIdentity) {
      m_entries.ForEach([&](const Entry& e) { f(e.key, e.rec); });
    } else {
      Rec tmp;
      m_entries.ForEach([&](const Entry& e) {
        m_codec.Decode(e.rec, tmp);
        f(e.key, static_cast<const Rec&>(tmp));
      });
    }
  }

  // ForEachStored over the entries [begin, end) of that order only.
  template <class F>
  void ForEachStoredIn(size_t begin, size_t end, F&& f) const {
    Rec tmp;
    for (size_t i = begin; i < end; ++i) {
      const Entry& e = m_entries[i];
      if constexpr (kIdentity) {
        f(e.key, e.rec);
      } else {
        m_codec.Decode(e.rec, tmp);
        f(e.key, static_cast<const Rec&>(tmp));
      }
    }
  }

  // Enumerate, restricted to the pairs keep(number, record) selects. The
  // selection is made in memory order; only the selected entries are then put
  // in enumeration order: ascending bucket, and within a bucket the later
  // stored first, which is the order of its chain.
  template <class Keep, class F>
  void EnumerateSelected(Keep&& keep, F&& f) const {
    std::vector<std::pair<uint64_t, uint32_t>> picked;  // (bucket, reversed index), index
    uint32_t index = 0;
    ForEachStored([&](int32_t key, const Rec& rec) {
      if (keep(key, rec)) picked.emplace_back((uint64_t{Bucket(key)} << 32) | (UINT32_MAX - index), index);
      ++index;
    });
    std::sort(picked.begin(), picked.end());
    Rec tmp;
    for (const auto& p : picked) {
      const Entry& e = m_entries[p.second];
      if constexpr (kIdentity) {
        f(e.key, e.rec);
      } else {
        m_codec.Decode(e.rec, tmp);
        f(e.key, static_cast<const Rec&>(tmp));
      }
    }
  }

  // Numbers in enumeration order.
  std::vector<int32_t> Keys() const {
    std::vector<int32_t> keys;
    keys.reserve(m_entries.size());
    if (m_entries.empty()) return keys;
    LinkPending();
    const uint32_t* head = m_heads.get();
    const uint32_t buckets = m_mod.Divisor();
    constexpr uint32_t kAhead = 32;
    for (uint32_t b = 0; b < buckets; ++b) {
      if (b + kAhead < buckets)
        if (const uint32_t i = head[b + kAhead]) PrefetchRead(&m_entries[i - 1]);
      for (uint32_t i = head[b]; i != 0; i = m_entries[i - 1].next) keys.push_back(m_entries[i - 1].key);
    }
    return keys;
  }

  // Numbers sorted ascending as signed 32-bit integers.
  std::vector<int32_t> SortedKeys() const {
    std::vector<int32_t> keys(m_entries.size());
    int32_t* out = keys.data();
    m_entries.ForEach([&](const Entry& e) { *out++ = e.key; });
    // Models usually number their entities in file order: then there is nothing to sort.
    if (!std::is_sorted(keys.begin(), keys.end())) std::sort(keys.begin(), keys.end());
    return keys;
  }

  // The codec (compact maps: its storage statistics).
  const Codec& GetCodec() const { return m_codec; }

 private:
  struct Entry {
    Entry(int32_t k, uint32_t n, Stored&& r) : key(k), next(n), rec(std::move(r)) {}
    int32_t key;
    uint32_t next;  // 1-based index of the next entry in the chain, 0 = end
    Stored rec;
  };
  struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
  };

  using Slot = CDirectIndex::Slot;

  static uint32_t Index(size_t n) {
    if (n > UINT32_MAX - 1) throw std::length_error("too many records");
    return static_cast<uint32_t>(n);
  }
  static uint32_t HandleOf(const Entry& e) {
    if constexpr (kHandleInIndex)
      return e.rec;
    else
      return 0;
  }

  template <class R>
  void Replace(Slot& s, R&& rec) {
    Entry& e = m_entries[s.index - 1];
    if constexpr (kHandleInIndex) {
      // Touch the entry only when the record moved.
      uint32_t h = s.handle;
      m_codec.Reencode(h, std::forward<R>(rec));
      if (h != s.handle) s.handle = e.rec = h;
    } else {
      m_codec.Reencode(e.rec, std::forward<R>(rec));
    }
  }

  uint32_t Bucket(int32_t key) const { return m_mod(HashNumber(key)); }

  // Bucket heads (1-based entry index, 0 = empty) are allocated on first use
  // with calloc, so the large tables cost nothing for small models.
  uint32_t* Heads() const {
    if (!m_heads) {
      void* p = std::calloc(m_mod.Divisor(), sizeof(uint32_t));
      if (!p) throw std::bad_alloc();
      m_heads.reset(static_cast<uint32_t*>(p));
    }
    return m_heads.get();
  }

  // Links the entries appended without a chain walk into their chains, in the
  // order they were appended, which gives exactly the chains that linking each
  // at once would have given. Done in one pass, the scattered writes to the
  // bucket heads overlap instead of stalling every Store.
  void LinkPending() const {
    const size_t n = m_entries.size();
    if (m_linked == n) return;
    uint32_t* head = Heads();
    constexpr size_t kAhead = 16;
    for (size_t i = m_linked; i < n; ++i) {
      if (i + kAhead < n) PrefetchWrite(&head[Bucket(m_entries[i + kAhead].key)]);
      Entry& e = m_entries[i];
      const uint32_t b = Bucket(e.key);
      e.next = head[b];
      head[b] = static_cast<uint32_t>(i + 1);
    }
    m_linked = n;
  }

  const Entry* FindEntry(int32_t key) const {
    if (m_direct) {
      if (const Slot* s = m_direct->Find(key); s != CDirectIndex::Unknown())
        return s && s->index != 0 ? &m_entries[s->index - 1] : nullptr;
      if (m_allDirect) return nullptr;  // every number stored is in the index
    }
    if (m_entries.empty()) return nullptr;
    if (m_keys.Active()) {
      const uint32_t i = m_keys.Find(key, m_entries);
      return i ? &m_entries[i - 1] : nullptr;
    }
    LinkPending();
    for (uint32_t i = m_heads[Bucket(key)]; i != 0; i = m_entries[i - 1].next)
      if (m_entries[i - 1].key == key) return &m_entries[i - 1];
    return nullptr;
  }

  // Bucket order visits entries all over memory: fetch the entry of the chain
  // head kAhead buckets on, and the record (and index slot) of the one half
  // as far, which by then is in the cache.
  void PrefetchAhead(uint32_t b, bool slots) const {
    constexpr uint32_t kAhead = 32;
    const uint32_t* head = m_heads.get();
    const uint32_t buckets = m_mod.Divisor();
    if (b + kAhead < buckets)
      if (const uint32_t i = head[b + kAhead]) PrefetchRead(&m_entries[i - 1]);
    if (b + kAhead / 2 < buckets)
      if (const uint32_t i = head[b + kAhead / 2]) {
        const Entry& e = m_entries[i - 1];
        if constexpr (requires(const Codec& c, const Stored& st) { c.Prefetch(st); }) m_codec.Prefetch(e.rec);
        if (slots && m_direct) m_direct->Prefetch(e.key);
      }
  }

  // Look-ups by number in the order of Keys() (a walk in enumeration order)
  // jump all over memory too. A look-up whose bucket follows closely on the
  // previous one's is taken as such a walk and fetches ahead as Enumerate
  // does; a look-up of the entry after the previous one (a walk in the order
  // numbers were stored, the usual sorted walk) needs nothing.
  void FollowWalk(int32_t key, uint32_t index, CMapWalk& walk) const {
    const uint32_t last = walk.index;
    walk.index = index;
    if (index == last + 1) {
      // In entry order: fetch the record a few entries on.
      if constexpr (requires(const Codec& c, const Stored& st) { c.Prefetch(st); })
        if (index + kSequentialAhead <= m_entries.size()) m_codec.Prefetch(m_entries[index + kSequentialAhead - 1].rec);
      return;
    }
    if (m_linked != m_entries.size()) return;
    const uint32_t b = Bucket(key);
    const uint32_t lastBucket = walk.bucket;
    walk.bucket = b;
    if (b == lastBucket) return;  // the same chain: fetched already
    // Fetch for every bucket passed since the last look-up (empty buckets
    // are passed over), as Enumerate does bucket by bucket.
    if (b > lastBucket && b - lastBucket <= 8)
      for (uint32_t x = lastBucket + 1; x <= b; ++x) PrefetchAhead(x, true);
  }

  static constexpr size_t kKeyIndexPerBucket = 4;
  static constexpr uint32_t kDirectFrom = 65536;
  static constexpr uint32_t kSequentialAhead = 8;

  CFastMod m_mod;
  mutable std::unique_ptr<uint32_t[], FreeDeleter> m_heads;
  // Chain links are brought up to date on demand (LinkPending), also by const
  // operations: entries [0, m_linked) are linked, the rest wait.
  mutable CSegmentedArray<Entry> m_entries;
  mutable size_t m_linked = 0;
  std::unique_ptr<CDirectIndex> m_direct;
  CKeyIndex<CSegmentedArray<Entry>> m_keys;  // maps without m_direct, once they hold kKeyIndexPerBucket records per bucket
  bool m_allDirect = true;  // every number stored is in m_direct
  mutable CMapWalk m_walk;  // of the look-ups without a walk state of their own
  [[no_unique_address]] Codec m_codec;
};

}  // namespace hvx
