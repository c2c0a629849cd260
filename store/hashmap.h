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

namespace hvx {

// Minimal-standard multiplicative hash, computed without overflow.
inline uint32_t HashNumber(int32_t k) {
  const int32_t q = k / 127773;
  const int32_t r = k - 127773 * q;
  int64_t h = int64_t{16807} * r - int64_t{2836} * q;
  if (h < 0) h += 2147483647;
  return static_cast<uint32_t>(h);
}

// A hint that p will be read soon. The empty asm statement keeps the
// optimiser from dropping the hint.
inline void PrefetchRead(const void* p) {
  asm volatile("" ::"r"(p));
  __builtin_prefetch(p);
}
inline void PrefetchWrite(const void* p) {
  asm volatile("" ::"r"(p));
  __builtin_prefetch(p, 1);
}

// a % d for 32-bit a and d through one multiplication (d fixed per map).
class CFastMod {
  __extension__ using UInt128 = unsigned __int128;  // GCC and Clang have it on 64-bit targets


 public:
  explicit CFastMod(uint32_t d) : m_d(d), m_m(~uint64_t{0} / d + 1) {}
  uint32_t operator()(uint32_t a) const {
    const uint64_t low = m_m * a;
    return static_cast<uint32_t>((static_cast<UInt128>(low) * m_d) >> 64);
  }
  uint32_t Divisor() const { return m_d; }

 private:
  uint32_t m_d;
  uint64_t m_m;
};

// Records stored as they are. A codec provides Stored (what an entry holds),
// Encode (a new slot from a record), Reencode (replace a slot's record) and
// Decode (copy a slot's record out); it may keep state of its own.
template <class Rec>
struct IdentityCodec {
  using Stored = Rec;
  static Stored Encode(const Rec& r) { return r; }
  static Stored Encode(Rec&& r) { return std::move(r); }
  static void Reencode(Stored& s, const Rec& r) { s = r; }
  static void Reencode(Stored& s, Rec&& r) { s = std::move(r); }
  static void Decode(const Stored& s, Rec& out) { out = s; }
};

// A growable array whose elements never move: fixed-size segments of about
// 64 KiB, each allocated when first needed.
template <class T>
class CSegmentedArray {
 public:
  static constexpr unsigned kShift = std::bit_width(std::max<size_t>(1, (size_t{1} << 16) / sizeof(T))) - 1;
  static constexpr size_t kPerSegment = size_t{1} << kShift;

  CSegmentedArray() = default;
  CSegmentedArray(const CSegmentedArray&) = delete;
  CSegmentedArray& operator=(const CSegmentedArray&) = delete;
  ~CSegmentedArray() {
    for (size_t i = 0; i < m_size; ++i) (*this)[i].~T();
    for (T* s : m_segments) std::allocator<T>().deallocate(s, kPerSegment);
  }

  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  T& operator[](size_t i) { return m_segments[i >> kShift][i & (kPerSegment - 1)]; }
  const T& operator[](size_t i) const { return m_segments[i >> kShift][i & (kPerSegment - 1)]; }
  T& back() { return (*this)[m_size - 1]; }

  template <class... A>
  T& emplace_back(A&&... args) {
    if ((m_size & (kPerSegment - 1)) == 0 && (m_size >> kShift) == m_segments.size()) {
      m_segments.reserve(m_segments.size() + 1);
      m_segments.push_back(std::allocator<T>().allocate(kPerSegment));
    }
    T* slot = &m_segments[m_size >> kShift][m_size & (kPerSegment - 1)];
    ::new (static_cast<void*>(slot)) T{std::forward<A>(args)...};
    ++m_size;
    return *slot;
  }

  // Visits every element in index order.
  template <class F>
  void ForEach(F&& f) const {
    size_t left = m_size;
    for (const T* s : m_segments) {
      const size_t n = std::min(left, kPerSegment);
      for (size_t i = 0; i < n; ++i) f(s[i]);
      left -= n;
    }
  }

 private:
  std::vector<T*> m_segments;
  size_t m_size = 0;
};

// Where the previous look-up of a walk through a map was, to fetch ahead of
// the next: kept by the map for its own look-ups, and by each thread that
// reads a frozen map.
struct CMapWalk {
  uint32_t index = 0;   // entry index of the last look-up
  uint32_t bucket = 0;  // and its bucket, when it was not the next entry
};

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

  struct Slot {
    uint32_t index;   // 1-based entry index, 0 = not stored
    uint32_t handle;  // the entry's record handle (compact maps)
  };

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

  // Slot of each number, for the large maps, whose numbers are mostly dense
  // from 1 up: walks in ascending number order then touch memory in order
  // instead of one random bucket per number. Pages of 16384 numbers are made
  // when the first number of the page is stored, as long as the pages stay
  // within about twice the entries' count; a page refused then, and negative
  // numbers, are answered by the bucket chains.
  class CDirectIndex {
   public:
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
  class CKeyIndex {
   public:
    bool Active() const { return !m_slots.empty(); }
    uint32_t Find(int32_t key, const CSegmentedArray<Entry>& entries) const {
      const size_t mask = m_slots.size() - 1;
      for (size_t i = Home(key, mask);; i = (i + 1) & mask) {
        const uint32_t e = m_slots[i];
        if (e == 0 || entries[e - 1].key == key) return e;
      }
    }
    // Adds entry index (1-based) of a key not yet in the index.
    // Adds the entry just appended (index 1-based, the last of entries).
    void Add(uint32_t index, const CSegmentedArray<Entry>& entries) {
      if (2 * (m_count + 1) > m_slots.size())
        Build(entries, 2 * m_slots.size());
      else
        Put(index, entries);
    }
    // Indexes every entry, in a table of at least minSlots.
    void Build(const CSegmentedArray<Entry>& entries, size_t minSlots = 0) {
      m_slots.assign(std::bit_ceil(std::max({minSlots, 4 * entries.size(), size_t{64}})), 0);
      m_count = 0;
      for (size_t i = 0; i < entries.size(); ++i) Put(static_cast<uint32_t>(i + 1), entries);
    }

   private:
    static size_t Home(int32_t key, size_t mask) {
      return static_cast<size_t>((uint64_t{static_cast<uint32_t>(key)} * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    }
    void Put(uint32_t index, const CSegmentedArray<Entry>& entries) {
      const size_t mask = m_slots.size() - 1;
      size_t i = Home(entries[index - 1].key, mask);
      while (m_slots[i] != 0) i = (i + 1) & mask;
      m_slots[i] = index;
      ++m_count;
    }
    std::vector<uint32_t> m_slots;
    size_t m_count = 0;
  };
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
  CKeyIndex m_keys;  // maps without m_direct, once they hold kKeyIndexPerBucket records per bucket
  bool m_allDirect = true;  // every number stored is in m_direct
  mutable CMapWalk m_walk;  // of the look-ups without a walk state of their own
  [[no_unique_address]] Codec m_codec;
};

}  // namespace hvx
