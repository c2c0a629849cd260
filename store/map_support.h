// Small pieces the number-keyed maps are built from: the hash of a number,
// fetch hints, a fixed divisor's fast modulo, the identity codec and a walk's
// look-up state.
#pragma once

#include <cstdint>
#include <utility>

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
 public:
  explicit CFastMod(uint32_t d) : m_d(d), m_m(~uint64_t{0} / d + 1) {}
  uint32_t operator()(uint32_t a) const {
    const uint64_t low = m_m * a;
#if defined(__SIZEOF_INT128__)
    __extension__ using UInt128 = unsigned __int128;  // GCC and Clang have it on 64-bit targets
    return static_cast<uint32_t>((static_cast<UInt128>(low) * m_d) >> 64);
#else
    // The high word of low * m_d from two 32-bit halves (32-bit targets): exact.
    const uint64_t lo = (low & 0xffffffffu) * m_d, hi = (low >> 32) * m_d;
    return static_cast<uint32_t>((hi + (lo >> 32)) >> 32);
#endif
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
// Where the previous look-up of a walk through a map was, to fetch ahead of
// the next: kept by the map for its own look-ups, and by each thread that
// reads a frozen map.
struct CMapWalk {
  uint32_t index = 0;   // entry index of the last look-up
  uint32_t bucket = 0;  // and its bucket, when it was not the next entry
};
}  // namespace hvx
