#include "base/linesource.h"

#include <algorithm>
#include <cstring>

namespace hvx {

namespace {
// Files are read in chunks that start small and double up to kChunk, so a
// small file costs a small buffer.
constexpr size_t kFirstChunk = size_t{1} << 16;
constexpr size_t kChunk = size_t{1} << 20;

// Drops every CR that stands right before an LF; returns the new length.
size_t DropCRBeforeLF(char* p, size_t n) {
  char* cr = static_cast<char*>(std::memchr(p, '\r', n));
  if (!cr) return n;
  char* out = cr;
  const char* in = cr;
  const char* end = p + n;
  while (in < end) {
    if (*in == '\r' && in + 1 < end && in[1] == '\n') {
      ++in;
      continue;
    }
    *out++ = *in++;
  }
  return static_cast<size_t>(out - p);
}
}  // namespace

bool CLineSource::ReadLineUncut(std::string_view& line) {
  if (m_cur == m_end && !Refill()) return false;
  size_t avail = static_cast<size_t>(m_end - m_cur);
  size_t lim = std::min(avail, kMaxLine);
  if (const char* nl = static_cast<const char*>(std::memchr(m_cur, '\n', lim))) {
    line = std::string_view(m_cur, static_cast<size_t>(nl - m_cur));
    m_cur = nl + 1;
    return true;
  }
  if (lim == kMaxLine) {
    line = std::string_view(m_cur, kMaxLine);
    m_cur += kMaxLine;
    return true;
  }
  // The line runs past the end of the window: gather it across refills.
  m_assembled.assign(m_cur, avail);
  m_cur = m_end;
  while (m_assembled.size() < kMaxLine && Refill()) {
    avail = static_cast<size_t>(m_end - m_cur);
    lim = std::min(avail, kMaxLine - m_assembled.size());
    if (const char* nl = static_cast<const char*>(std::memchr(m_cur, '\n', lim))) {
      m_assembled.append(m_cur, static_cast<size_t>(nl - m_cur));
      m_cur = nl + 1;
      line = m_assembled;
      return true;
    }
    m_assembled.append(m_cur, lim);
    m_cur += lim;
  }
  line = m_assembled;
  return true;
}

bool CLineSource::ReadLine(std::string_view& line) {
  if (!ReadLineUncut(line)) return false;
  line = CutAtNul(line);
  return true;
}

bool CLineSource::ReadLine(std::string& line) {
  std::string_view v;
  if (!ReadLine(v)) return false;
  line.assign(v.data(), v.size());
  return true;
}

CMemoryLineSource::CMemoryLineSource(const char* data, size_t size) {
  m_copy.assign(data, size);
  m_copy.resize(DropCRBeforeLF(m_copy.data(), m_copy.size()));
  m_cur = m_copy.data();
  m_end = m_cur + m_copy.size();
}

CFileLineSource::CFileLineSource(FILE* f) : m_file(f), m_buf(new char[kFirstChunk + 1]), m_chunk(kFirstChunk) {}

bool CFileLineSource::Refill() {
  if (!m_file) return false;
  // Nothing of the window is needed any more: the buffer may be replaced.
  if (m_grow) {
    m_chunk *= 2;
    m_buf.reset(new char[m_chunk + 1]);
    m_grow = false;
  }
  char* base = m_buf.get();
  size_t have = 0;
  if (m_pendingCR) {
    base[0] = '\r';
    have = 1;
    m_pendingCR = false;
  }
  const size_t got = std::fread(base + have, 1, m_chunk, m_file);
  m_grow = got == m_chunk && m_chunk < kChunk;
  if (got == 0) {
    if (std::ferror(m_file)) m_failed = true;
    m_file = nullptr;  // nothing more will come
  }
  have += got;
  if (m_progress && got != 0) m_progress->ReadProgress(m_bytesRead += got);
  if (have == 0) return false;
  // A CR at the very end may pair with an LF at the start of the next chunk.
  if (m_file && base[have - 1] == '\r') {
    m_pendingCR = true;
    --have;
  }
  have = DropCRBeforeLF(base, have);
  m_cur = base;
  m_end = base + have;
  if (have == 0) return Refill();
  return true;
}

}  // namespace hvx
