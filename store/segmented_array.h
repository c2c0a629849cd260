// A growable array whose elements never move.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace hvx {

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
}  // namespace hvx
