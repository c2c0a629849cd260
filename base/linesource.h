// Sources of model-file lines: a file read in large chunks, or a memory buffer.
// Both deliver lines exactly as a text-mode fgets with a 500-byte buffer does:
// a carriage return before a line feed is dropped, a line longer than 499
// characters arrives in pieces of at most 499, and a line stops at a NUL byte.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/report.h"

namespace hvx {

class CLineSource {
 public:
  static constexpr size_t kMaxLine = 499;

  virtual ~CLineSource() = default;

  // Next line into line (without its line feed); false at end of input.
  bool ReadLine(std::string& line);
  // Same, viewing the source's own storage; valid until the next call.
  bool ReadLine(std::string_view& line);
  // The same line before it is cut at a NUL byte (it may hold some).
  bool ReadLineUncut(std::string_view& line);
  // Bytes of the input taken so far (for progress; never decreasing).
  virtual uint64_t Position() const = 0;

  // A line as ReadLine gives it from the line ReadLineUncut gave.
  static std::string_view CutAtNul(std::string_view s) {
    const void* z = std::memchr(s.data(), '\0', s.size());
    return z ? s.substr(0, static_cast<size_t>(static_cast<const char*>(z) - s.data())) : s;
  }

 protected:
  // Fills the window [m_cur, m_end) with more bytes; false when none are left.
  virtual bool Refill() = 0;

  const char* m_cur = nullptr;
  const char* m_end = nullptr;

 private:
  std::string m_assembled;  // a line that straddles two refills
};

// Reads a memory buffer (the caller keeps it alive).
class CMemoryLineSource : public CLineSource {
 public:
  CMemoryLineSource(const char* data, size_t size);
  uint64_t Position() const override { return static_cast<uint64_t>(m_cur - m_copy.data()); }

 protected:
  bool Refill() override { return false; }

 private:
  std::string m_copy;
};

// Reads an open stdio file in large chunks; does not close it.
class CFileLineSource : public CLineSource {
 public:
  explicit CFileLineSource(FILE* f);
  uint64_t Position() const override { return m_bytesRead - static_cast<uint64_t>(m_end - m_cur); }
  bool Failed() const { return m_failed; }
  // Told the bytes read so far after each chunk; nullptr for none.
  void SetProgress(hvx::IProgress* progress) { m_progress = progress; }

 protected:
  bool Refill() override;

 private:
  FILE* m_file;
  std::unique_ptr<char[]> m_buf;  // m_chunk bytes and a CR carried over
  size_t m_chunk;
  bool m_grow = false;  // the last chunk filled the buffer: double it
  bool m_pendingCR = false;  // a CR ended the previous chunk
  bool m_failed = false;
  hvx::IProgress* m_progress = nullptr;
  uint64_t m_bytesRead = 0;
};

}  // namespace hvx
