// Compact storage for the large maps (nodes, elements). A record is packed
// into a few dozen bytes: only the fields that differ from the record's
// default value are kept, integers in one to four bytes and doubles as their
// eight bytes, so a beam element takes about 50 bytes instead of 344.
//
// Packed form of one record:
//   [int mask][double mask][twin mask][width][ints][doubles]
// Bit i of the int mask marks int field i as present. Doubles are kept in
// groups (a vector's three components, or one value): bit j of the double
// mask marks group j as present, bit j of the twin mask marks group j as
// equal, bit for bit, to the earlier group named as its twin (a node's second
// position copy), so it is not kept. A vector is kept whole once any
// component differs from its default, so turning a beam's orientation vector
// into a point rewrites the record in place. Each mask is one byte holding
// its low five bits and the count of bytes that follow with the rest. The
// ints are zigzag-coded (small negative numbers stay short) and all take the
// width byte's count of bytes (one to four, as the largest needs), little end
// first, so a fixed-size load and mask decodes each without a branch. Fields
// are ordered by how often they differ from their default, so the masks of a
// typical record are one or two bytes each.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "store/hashmap.h"
#include "store/records.h"

namespace hvx {

// Append-only byte storage in 1 MiB chunks, addressed by 32-bit handles
// (chunk index and offset); the first chunk is 64 KiB, so that a small model
// takes little memory. A stored piece never straddles two chunks, and at
// least kSlack readable bytes follow it, so a reader may load a few bytes
// past its end.
class CByteArena {
 public:
  static constexpr unsigned kChunkBits = 20;
  static constexpr uint32_t kChunk = uint32_t{1} << kChunkBits;
  static constexpr uint32_t kFirstChunk = uint32_t{1} << 16;
  static constexpr size_t kMaxChunks = size_t{1} << (32 - kChunkBits);
  static constexpr uint32_t kSlack = 16;

  uint32_t Append(const uint8_t* data, uint32_t n) {
    if (m_used + n + kSlack > m_room) {
      if (m_chunks.size() == kMaxChunks) throw std::length_error("compact record storage is full");
      m_room = m_chunks.empty() && n + kSlack <= kFirstChunk ? kFirstChunk : kChunk;
      m_chunks.emplace_back(new uint8_t[m_room]);
      m_capacity += m_room;
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
  size_t Capacity() const { return m_capacity; }

 private:
  std::vector<std::unique_ptr<uint8_t[]>> m_chunks;
  uint32_t m_used = 0;  // bytes used in the last chunk
  uint32_t m_room = 0;  // its size
  size_t m_capacity = 0;
};

// Which fields of a record are packed: byte offsets of its int32_t fields in
// the order they are packed, and of its double groups with their sizes (1 or
// 3) and, for each group, the index of an earlier group it usually equals
// (-1: none). A field not listed is always at its default value.
template <size_t NI, size_t ND>
struct PackedFields {
  std::array<uint16_t, NI> ints{};
  std::array<uint16_t, ND> dbls{};
  std::array<uint8_t, ND> size{};
  std::array<int8_t, ND> twin{};
};

namespace packed {

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A mask of up to 61 bits: one byte with bits 0-4 and the count of bytes
// that follow (little end first) with bits 5 and up.
inline uint8_t* PutMask(uint8_t* p, uint64_t m) {
  const uint64_t high = m >> 5;
  const unsigned count = static_cast<unsigned>((std::bit_width(high) + 7) / 8);
  *p++ = static_cast<uint8_t>(((m & 31) << 3) | count);
  for (unsigned i = 0; i < count; ++i) *p++ = static_cast<uint8_t>(high >> (8 * i));
  return p;
}
// Reads up to eight bytes past the mask byte (the arena's slack covers it).
inline const uint8_t* GetMask(const uint8_t* p, uint64_t& m) {
  const unsigned count = p[0] & 7u;
  m = (uint64_t{p[0]} >> 3) | ((Load64(p + 1) & ((uint64_t{1} << (8 * count)) - 1)) << 5);
  return p + 1 + count;
}

// Bits set in m. std::popcount is a library call unless the target has a
// population-count instruction, which the x86-64 baseline does not.
inline unsigned PopCount(uint64_t m) {
  m = m - ((m >> 1) & 0x5555555555555555ull);
  m = (m & 0x3333333333333333ull) + ((m >> 2) & 0x3333333333333333ull);
  m = (m + (m >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<unsigned>((m * 0x0101010101010101ull) >> 56);
}

inline uint32_t Zig(int32_t v) { return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31); }
inline int32_t Unzig(uint32_t v) { return static_cast<int32_t>((v >> 1) ^ (0u - (v & 1))); }
// Bytes needed for a zigzag-coded value, less one.
inline unsigned LengthCode(uint32_t z) { return (z > 0xFFu) + (z > 0xFFFFu) + (z > 0xFFFFFFu); }
constexpr uint32_t kLengthMask[4] = {0xFFu, 0xFFFFu, 0xFFFFFFu, 0xFFFFFFFFu};

// Copies a whole record in 16-byte pieces: for the few hundred bytes of a
// record this is several times faster than the string move a compiler emits
// for a plain copy (and which it makes of any copy loop, hence the unrolling).
template <size_t... I>
inline void Copy16(unsigned char* d, const unsigned char* s, std::index_sequence<I...>) {
#if defined(__SSE2__)
  ((_mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16 * I),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * I)))),
   ...);
#else
  (std::memcpy(d + 16 * I, s + 16 * I, 16), ...);
#endif
}
template <size_t N>
inline void CopyBytes(void* dst, const void* src) {
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  Copy16(d, s, std::make_index_sequence<N / 16>());
  if constexpr (N % 16 != 0) std::memcpy(d + N / 16 * 16, s + N / 16 * 16, N % 16);
}

}  // namespace packed

// Codec for CHashMap: records packed into a byte arena, entries hold handles.
// Layout is a type with `static constexpr PackedFields<...> kFields`.
template <class Rec, class Layout>
class CPackedCodec {
  static constexpr auto kF = Layout::kFields;
  static constexpr size_t kNI = kF.ints.size();
  static constexpr size_t kND = kF.dbls.size();
  static_assert(kNI <= 61 && kND <= 61, "masks hold 61 bits");
  static_assert(std::is_trivially_copyable_v<Rec>, "packed records are plain data");
  static constexpr bool kHasTwins = [] {
    for (int8_t t : kF.twin)
      if (t >= 0) return true;
    return false;
  }();
  static constexpr size_t kDoubles = [] {
    size_t n = 0;
    for (uint8_t c : kF.size) n += c;
    return n;
  }();
  // Three masks, the width, four bytes per int and eight per double, and
  // room for the four-byte store of the last int.
  static constexpr size_t kMaxBytes = 3 * 9 + 1 + 4 * kNI + 8 * kDoubles + 4;

 public:
  using Stored = uint32_t;
  // Room Pack needs.
  static constexpr size_t kMaxPacked = kMaxBytes;

  Stored Encode(const Rec& r) {
    uint8_t buf[kMaxBytes];
    return m_arena.Append(buf, Pack(r, buf));
  }
  // Overwrites the packed record in place when the new one is not longer,
  // otherwise appends it (the old bytes stay unused).
  void Reencode(Stored& s, const Rec& r) {
    uint8_t buf[kMaxBytes];
    ReencodePacked(s, buf, Pack(r, buf));
  }
  // The same with a record packed beforehand (Pack), maybe on another thread.
  void ReencodePacked(Stored& s, const uint8_t* packed, uint32_t n) {
    if (n <= PackedSize(m_arena.At(s)))
      std::memcpy(m_arena.At(s), packed, n);
    else
      s = m_arena.Append(packed, n);
  }
  void Decode(Stored s, Rec& out) const { Unpack(m_arena.At(s), out); }
  void Prefetch(Stored s) const { PrefetchRead(m_arena.At(s)); }

  size_t ArenaCapacity() const { return m_arena.Capacity(); }

  // Packs r into buf (at least kMaxBytes long); returns the packed length.
  static uint32_t Pack(const Rec& r, uint8_t* buf) {
    const auto* base = reinterpret_cast<const uint8_t*>(&r);
    const auto* def = reinterpret_cast<const uint8_t*>(&kDefault);
    uint64_t imask = IntMask(base, std::make_index_sequence<kNI>()), dmask = 0, tmask = 0;
    for (size_t j = 0; j < kND; ++j) {
      if (SameGroup(base + kF.dbls[j], def + kF.dbls[j], kF.size[j])) continue;
      if (kF.twin[j] >= 0 && SameGroup(base + kF.dbls[j], base + kF.dbls[static_cast<size_t>(kF.twin[j])], kF.size[j]))
        tmask |= uint64_t{1} << j;
      else
        dmask |= uint64_t{1} << j;
    }
    uint8_t* p = packed::PutMask(buf, imask);
    p = packed::PutMask(p, dmask);
    if constexpr (kHasTwins) p = packed::PutMask(p, tmask);
    uint32_t z[kNI > 0 ? kNI : 1];
    unsigned n = 0;
    uint32_t any = 0;
    for (uint64_t m = imask; m; m &= m - 1) {
      z[n] = packed::Zig(static_cast<int32_t>(packed::Load32(base + kF.ints[static_cast<size_t>(std::countr_zero(m))])));
      any |= z[n++];
    }
    const unsigned width = packed::LengthCode(any) + 1;  // bytes of the widest
    *p++ = static_cast<uint8_t>(width);
    for (unsigned k = 0; k < n; ++k) {
      std::memcpy(p, &z[k], 4);
      p += width;
    }
    for (uint64_t m = dmask; m; m &= m - 1) {
      const size_t j = static_cast<size_t>(std::countr_zero(m));
      if (kF.size[j] == 3)
        std::memcpy(p, base + kF.dbls[j], 24);
      else
        std::memcpy(p, base + kF.dbls[j], 8);
      p += 8u * kF.size[j];
    }
    return static_cast<uint32_t>(p - buf);
  }

  static void Unpack(const uint8_t* p, Rec& out) {
    packed::CopyBytes<sizeof(Rec)>(&out, &kDefault);
    auto* base = reinterpret_cast<uint8_t*>(&out);
    uint64_t imask, dmask, tmask = 0;
    p = packed::GetMask(p, imask);
    p = packed::GetMask(p, dmask);
    if constexpr (kHasTwins) p = packed::GetMask(p, tmask);
    const unsigned width = *p++;
    const uint32_t keep = packed::kLengthMask[(width - 1) & 3];
    for (uint64_t m = imask; m; m &= m - 1) {
      const int32_t v = packed::Unzig(packed::Load32(p) & keep);
      p += width;
      std::memcpy(base + kF.ints[static_cast<size_t>(std::countr_zero(m))], &v, 4);
    }
    for (uint64_t m = dmask; m; m &= m - 1) {
      const size_t j = static_cast<size_t>(std::countr_zero(m));
      if (kF.size[j] == 3)
        std::memcpy(base + kF.dbls[j], p, 24);
      else
        std::memcpy(base + kF.dbls[j], p, 8);
      p += 8u * kF.size[j];
    }
    for (uint64_t m = tmask; m; m &= m - 1) {
      const size_t j = static_cast<size_t>(std::countr_zero(m));
      std::memmove(base + kF.dbls[j], base + kF.dbls[static_cast<size_t>(kF.twin[j])], 8u * kF.size[j]);
    }
  }

  // Length of the packed record at start.
  static uint32_t PackedSize(const uint8_t* start) {
    uint64_t imask, dmask, tmask = 0;
    const uint8_t* p = packed::GetMask(start, imask);
    p = packed::GetMask(p, dmask);
    if constexpr (kHasTwins) p = packed::GetMask(p, tmask);
    const unsigned width = *p++;
    uint32_t bytes = packed::PopCount(imask) * width;
    for (uint64_t m = dmask; m; m &= m - 1) bytes += 8u * kF.size[static_cast<size_t>(std::countr_zero(m))];
    return static_cast<uint32_t>(p - start) + bytes;
  }

 private:
  // Bit i set when int field i differs from its default; unrolled, with the
  // offsets and defaults known at compile time.
  template <size_t... I>
  static uint64_t IntMask(const uint8_t* base, std::index_sequence<I...>) {
    return ((uint64_t{packed::Load32(base + kF.ints[I]) != kDefaultInt<I>} << I) | ...);
  }
  template <size_t I>
  static constexpr uint32_t kDefaultInt = [] {
    // The default record's int field I, read through the member it is.
    const Rec d{};
    const auto bytes = std::bit_cast<std::array<uint8_t, sizeof(Rec)>>(d);
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
      const int at = std::endian::native == std::endian::little ? 3 - k : k;
      v = v << 8 | bytes[kF.ints[I] + at];
    }
    return v;
  }();

  static bool SameGroup(const uint8_t* a, const uint8_t* b, unsigned count) {
    for (unsigned i = 0; i < count; ++i)
      if (packed::Load64(a + 8 * i) != packed::Load64(b + 8 * i)) return false;
    return true;
  }

  static constexpr Rec kDefault{};

  CByteArena m_arena;
};

// ---- layouts of the compact maps -------------------------------------------

// Collects field offsets in order; an array field adds one offset per element.
// All N must be added: Full() fails the layout's compile-time evaluation.
template <size_t N>
struct OffsetList {
  std::array<uint16_t, N> at{};
  size_t n = 0;
  constexpr void Add(size_t offset, size_t count = 1) {
    for (size_t i = 0; i < count; ++i) at[n++] = static_cast<uint16_t>(offset + i * 4);
  }
  constexpr const std::array<uint16_t, N>& Full() const {
    if (n != N) throw "a layout names fewer fields than it holds";
    return at;
  }
};

// Nodes: the attributes and constraint flags, then the position and its
// second copy, which is nearly always the same and so is kept as a twin.
struct NodeLayout {
  static constexpr PackedFields<11, 2> kFields = [] {
    PackedFields<11, 2> f;
    OffsetList<11> ints;
    ints.Add(offsetof(T_NODS_D, attr) + 3 * 4);
    ints.Add(offsetof(T_NODS_D, cnst), 6);
    ints.Add(offsetof(T_NODS_D, attr), 3);
    ints.Add(offsetof(T_NODS_D, kind));
    f.ints = ints.Full();
    f.dbls = {offsetof(T_NODS_D, pos), offsetof(T_NODS_D, pos2)};
    f.size = {3, 3};
    f.twin = {-1, 0};
    return f;
  }();
};

// Elements: the fields every element has first (codes, corner nodes,
// material), then the rarer ones (higher-order nodes, attributes, releases,
// extension values); the orientation vector leads the doubles.
struct ElementLayout {
  static constexpr size_t kInts = 53;
  static constexpr PackedFields<kInts, 7> kFields = [] {
    PackedFields<kInts, 7> f;
    OffsetList<kInts> ints;
    ints.Add(offsetof(T_ELEM_D, colour));
    ints.Add(offsetof(T_ELEM_D, prop));
    ints.Add(offsetof(T_ELEM_D, type));
    ints.Add(offsetof(T_ELEM_D, topo));
    ints.Add(offsetof(T_ELEM_D, layer));
    ints.Add(offsetof(T_ELEM_D, mat));
    ints.Add(offsetof(T_ELEM_D, node), 8);
    ints.Add(offsetof(T_ELEM_D, ext4));
    ints.Add(offsetof(T_ELEM_D, hinge));
    ints.Add(offsetof(T_ELEM_D, ext5));
    ints.Add(offsetof(T_ELEM_D, node) + 8 * 4, 12);
    ints.Add(offsetof(T_ELEM_D, attr), 7);
    ints.Add(offsetof(T_ELEM_D, release), 12);
    ints.Add(offsetof(T_ELEM_D, spare));
    ints.Add(offsetof(T_ELEM_D, spare2), 4);
    f.ints = ints.Full();
    f.dbls = {offsetof(T_ELEM_D, orient), offsetof(T_ELEM_D, offI),  offsetof(T_ELEM_D, offJ),
              offsetof(T_ELEM_D, orient2), offsetof(T_ELEM_D, axial), offsetof(T_ELEM_D, ext6),
              offsetof(T_ELEM_D, ext7)};
    f.size = {3, 3, 3, 3, 1, 1, 1};
    f.twin = {-1, -1, -1, -1, -1, -1, -1};
    return f;
  }();
};

// A field added to either record must be added to its layout as well.
static_assert(sizeof(T_NODS_D) == 11 * 4 + 6 * 8 + 4, "T_NODS_D changed: update NodeLayout");
static_assert(sizeof(T_ELEM_D) == (ElementLayout::kInts * 4 + 15 * 8 + 8 + 7) / 8 * 8,
              "T_ELEM_D changed: update ElementLayout");

using NodeCodec = CPackedCodec<T_NODS_D, NodeLayout>;
using ElementCodec = CPackedCodec<T_ELEM_D, ElementLayout>;

}  // namespace hvx
