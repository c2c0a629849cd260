// Compact storage for the large maps (nodes, elements). A record is packed
// into a few dozen bytes: only the fields that differ from the record's
// default value are kept, integers as variable-length numbers and doubles as
// their eight bytes, so a beam element takes about 30 bytes instead of 340.
//
// Packed form of one record:
//   [int mask][double mask][twin mask][ints, in field order][doubles, in field order]
// The masks are variable-length numbers: bit i of the int mask marks int
// field i as present, bit j of the double mask double field j; bit j of the
// twin mask marks double field j as bit-for-bit equal to the earlier field
// named as its twin (a node's second position copy), so it is not stored.
// Integers are zigzag-coded so small negative numbers stay short. Fields are
// ordered by how often they differ from their default, so the masks of a
// typical record fit in one or two bytes.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "store/hashmap.h"
#include "store/records.h"

namespace hvx {

// Append-only byte storage in 1 MiB chunks, addressed by 32-bit handles
// (chunk index and offset). A stored piece never straddles two chunks.
class CByteArena {
 public:
  static constexpr unsigned kChunkBits = 20;
  static constexpr uint32_t kChunk = uint32_t{1} << kChunkBits;
  static constexpr size_t kMaxChunks = size_t{1} << (32 - kChunkBits);

  uint32_t Append(const uint8_t* data, uint32_t n) {
    if (m_used + n > kChunk) {
      if (m_chunks.size() == kMaxChunks) throw std::length_error("compact record storage is full");
      m_chunks.emplace_back(new uint8_t[kChunk]);
      m_used = 0;
    }
    const uint32_t handle = static_cast<uint32_t>((m_chunks.size() - 1) << kChunkBits) | m_used;
    std::memcpy(m_chunks.back().get() + m_used, data, n);
    m_used += n;
    return handle;
  }
  uint8_t* At(uint32_t handle) { return m_chunks[handle >> kChunkBits].get() + (handle & (kChunk - 1)); }
  const uint8_t* At(uint32_t handle) const {
    return m_chunks[handle >> kChunkBits].get() + (handle & (kChunk - 1));
  }
  // Bytes taken by the chunks allocated so far.
  size_t Capacity() const { return m_chunks.size() * size_t{kChunk}; }

 private:
  std::vector<std::unique_ptr<uint8_t[]>> m_chunks;
  uint32_t m_used = kChunk;  // bytes used in the last chunk
};

// Which fields of a record are packed: byte offsets of its int32_t and double
// fields in the order they are packed, and for each double field the index of
// an earlier double field it usually equals (-1: none). A field not listed is
// always at its default value.
template <size_t NI, size_t ND>
struct PackedFields {
  std::array<uint16_t, NI> ints{};
  std::array<uint16_t, ND> dbls{};
  std::array<int8_t, ND> twin{};
};

namespace packed {

inline uint8_t* PutVar(uint8_t* p, uint64_t v) {
  while (v >= 0x80) {
    *p++ = static_cast<uint8_t>(v | 0x80);
    v >>= 7;
  }
  *p++ = static_cast<uint8_t>(v);
  return p;
}

inline const uint8_t* GetVar(const uint8_t* p, uint64_t& v) {
  uint64_t r = *p & 0x7F;
  unsigned shift = 7;
  while (*p++ & 0x80) {
    r |= static_cast<uint64_t>(*p & 0x7F) << shift;
    shift += 7;
  }
  v = r;
  return p;
}

inline uint32_t Zig(int32_t v) { return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31); }
inline int32_t Unzig(uint32_t v) { return static_cast<int32_t>((v >> 1) ^ (0u - (v & 1))); }

inline uint64_t Bits(const void* p) {
  uint64_t b;
  std::memcpy(&b, p, sizeof b);
  return b;
}

}  // namespace packed

// Codec for CHashMap: records packed into a byte arena, entries hold handles.
// Layout is a type with `static constexpr PackedFields<...> kFields`.
template <class Rec, class Layout>
class CPackedCodec {
  static constexpr auto kF = Layout::kFields;
  static constexpr size_t kNI = kF.ints.size();
  static constexpr size_t kND = kF.dbls.size();
  static_assert(kNI <= 64 && kND <= 64, "masks are 64 bits wide");
  static constexpr bool kHasTwins = [] {
    for (int8_t t : kF.twin)
      if (t >= 0) return true;
    return false;
  }();
  // Three masks of up to ten bytes, five bytes per int, eight per double.
  static constexpr size_t kMaxBytes = 30 + 5 * kNI + 8 * kND;

 public:
  using Stored = uint32_t;

  Stored Encode(const Rec& r) {
    uint8_t buf[kMaxBytes];
    return m_arena.Append(buf, Pack(r, buf));
  }
  // Overwrites the packed record in place when the new one is not longer,
  // otherwise appends it (the old bytes stay unused).
  void Reencode(Stored& s, const Rec& r) {
    uint8_t buf[kMaxBytes];
    const uint32_t n = Pack(r, buf);
    if (n <= PackedSize(m_arena.At(s)))
      std::memcpy(m_arena.At(s), buf, n);
    else
      s = m_arena.Append(buf, n);
  }
  void Decode(Stored s, Rec& out) const { Unpack(m_arena.At(s), out); }
  void Prefetch(Stored s) const { PrefetchRead(m_arena.At(s)); }

  size_t ArenaCapacity() const { return m_arena.Capacity(); }

  // Packs r into buf (at least kMaxBytes long); returns the packed length.
  static uint32_t Pack(const Rec& r, uint8_t* buf) {
    const auto* base = reinterpret_cast<const unsigned char*>(&r);
    const auto* def = reinterpret_cast<const unsigned char*>(&Default());
    uint64_t imask = 0, dmask = 0, tmask = 0;
    for (size_t i = 0; i < kNI; ++i)
      if (std::memcmp(base + kF.ints[i], def + kF.ints[i], 4) != 0) imask |= uint64_t{1} << i;
    for (size_t j = 0; j < kND; ++j) {
      const uint64_t v = packed::Bits(base + kF.dbls[j]);
      if (v == packed::Bits(def + kF.dbls[j])) continue;
      if (kF.twin[j] >= 0 && v == packed::Bits(base + kF.dbls[static_cast<size_t>(kF.twin[j])]))
        tmask |= uint64_t{1} << j;
      else
        dmask |= uint64_t{1} << j;
    }
    uint8_t* p = packed::PutVar(buf, imask);
    p = packed::PutVar(p, dmask);
    if constexpr (kHasTwins) p = packed::PutVar(p, tmask);
    for (uint64_t m = imask; m; m &= m - 1) {
      int32_t v;
      std::memcpy(&v, base + kF.ints[static_cast<size_t>(std::countr_zero(m))], 4);
      p = packed::PutVar(p, packed::Zig(v));
    }
    for (uint64_t m = dmask; m; m &= m - 1) {
      std::memcpy(p, base + kF.dbls[static_cast<size_t>(std::countr_zero(m))], 8);
      p += 8;
    }
    return static_cast<uint32_t>(p - buf);
  }

  static void Unpack(const uint8_t* p, Rec& out) {
    out = Default();
    auto* base = reinterpret_cast<unsigned char*>(&out);
    uint64_t imask, dmask, tmask = 0;
    p = packed::GetVar(p, imask);
    p = packed::GetVar(p, dmask);
    if constexpr (kHasTwins) p = packed::GetVar(p, tmask);
    for (uint64_t m = imask; m; m &= m - 1) {
      uint64_t z;
      p = packed::GetVar(p, z);
      const int32_t v = packed::Unzig(static_cast<uint32_t>(z));
      std::memcpy(base + kF.ints[static_cast<size_t>(std::countr_zero(m))], &v, 4);
    }
    for (size_t j = 0; j < kND; ++j) {
      const uint64_t bit = uint64_t{1} << j;
      if (dmask & bit) {
        std::memcpy(base + kF.dbls[j], p, 8);
        p += 8;
      } else if (tmask & bit) {
        std::memcpy(base + kF.dbls[j], base + kF.dbls[static_cast<size_t>(kF.twin[j])], 8);
      }
    }
  }

  static uint32_t PackedSize(const uint8_t* start) {
    uint64_t imask, dmask, tmask = 0;
    const uint8_t* p = packed::GetVar(start, imask);
    p = packed::GetVar(p, dmask);
    if constexpr (kHasTwins) p = packed::GetVar(p, tmask);
    for (int n = std::popcount(imask); n > 0; --n)
      while (*p++ & 0x80) {
      }
    return static_cast<uint32_t>(p - start) + 8u * static_cast<uint32_t>(std::popcount(dmask));
  }

 private:
  static constexpr Rec kDefault{};
  static const Rec& Default() { return kDefault; }

  CByteArena m_arena;
};

// ---- layouts of the compact maps -------------------------------------------

// Collects offsets of fields (and of every element of array fields) in order.
template <class Rec, size_t N>
struct OffsetList {
  std::array<uint16_t, N> at{};
  size_t n = 0;
  constexpr void Add(size_t offset, size_t count, size_t size) {
    for (size_t i = 0; i < count; ++i) at[n++] = static_cast<uint16_t>(offset + i * size);
  }
};

// Nodes: the attributes and constraint flags, then the position, whose second
// copy is nearly always the same and so is kept as a twin.
struct NodeLayout {
  static constexpr PackedFields<11, 6> kFields = [] {
    PackedFields<11, 6> f;
    OffsetList<T_NODS_D, 11> ints;
    ints.Add(offsetof(T_NODS_D, attr) + 3 * 4, 1, 4);
    ints.Add(offsetof(T_NODS_D, cnst), 6, 4);
    ints.Add(offsetof(T_NODS_D, attr), 3, 4);
    ints.Add(offsetof(T_NODS_D, kind), 1, 4);
    f.ints = ints.at;
    OffsetList<T_NODS_D, 6> dbls;
    dbls.Add(offsetof(T_NODS_D, pos), 3, 8);
    dbls.Add(offsetof(T_NODS_D, pos2), 3, 8);
    f.dbls = dbls.at;
    f.twin = {-1, -1, -1, 0, 1, 2};
    return f;
  }();
};

// Elements: the fields every element has first (codes, corner nodes,
// material), then the rarer ones (higher-order nodes, attributes, releases,
// extension values); the orientation vector leads the doubles.
struct ElementLayout {
  static constexpr size_t kInts = 54;
  static constexpr size_t kDbls = 15;
  static constexpr PackedFields<kInts, kDbls> kFields = [] {
    PackedFields<kInts, kDbls> f;
    OffsetList<T_ELEM_D, kInts> ints;
    ints.Add(offsetof(T_ELEM_D, colour), 1, 4);
    ints.Add(offsetof(T_ELEM_D, prop), 1, 4);
    ints.Add(offsetof(T_ELEM_D, type), 1, 4);
    ints.Add(offsetof(T_ELEM_D, topo), 1, 4);
    ints.Add(offsetof(T_ELEM_D, layer), 1, 4);
    ints.Add(offsetof(T_ELEM_D, mat), 1, 4);
    ints.Add(offsetof(T_ELEM_D, node), 8, 4);
    ints.Add(offsetof(T_ELEM_D, pointFlag), 1, 4);
    ints.Add(offsetof(T_ELEM_D, ext4), 1, 4);
    ints.Add(offsetof(T_ELEM_D, hinge), 1, 4);
    ints.Add(offsetof(T_ELEM_D, ext5), 1, 4);
    ints.Add(offsetof(T_ELEM_D, node) + 8 * 4, 12, 4);
    ints.Add(offsetof(T_ELEM_D, attr), 7, 4);
    ints.Add(offsetof(T_ELEM_D, release), 12, 4);
    ints.Add(offsetof(T_ELEM_D, spare), 1, 4);
    ints.Add(offsetof(T_ELEM_D, spare2), 4, 4);
    f.ints = ints.at;
    OffsetList<T_ELEM_D, kDbls> dbls;
    dbls.Add(offsetof(T_ELEM_D, orient), 3, 8);
    dbls.Add(offsetof(T_ELEM_D, offI), 3, 8);
    dbls.Add(offsetof(T_ELEM_D, offJ), 3, 8);
    dbls.Add(offsetof(T_ELEM_D, orient2), 3, 8);
    dbls.Add(offsetof(T_ELEM_D, axial), 1, 8);
    dbls.Add(offsetof(T_ELEM_D, ext6), 1, 8);
    dbls.Add(offsetof(T_ELEM_D, ext7), 1, 8);
    f.dbls = dbls.at;
    f.twin.fill(-1);
    return f;
  }();
};

// A field added to either record must be added to its layout as well.
static_assert(sizeof(T_NODS_D) == 11 * 4 + 6 * 8 + 4, "T_NODS_D changed: update NodeLayout");
static_assert(sizeof(T_ELEM_D) == ElementLayout::kInts * 4 + ElementLayout::kDbls * 8 + 8,
              "T_ELEM_D changed: update ElementLayout");

using NodeCodec = CPackedCodec<T_NODS_D, NodeLayout>;
using ElementCodec = CPackedCodec<T_ELEM_D, ElementLayout>;

}  // namespace hvx
