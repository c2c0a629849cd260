// Buffered output sink: formatted text is gathered in memory and handed to the
// file in large pieces. A sink without a file drops what it is given (a log
// that could not be created must not fail the conversion).
#pragma once

#include <memory>
#include <string>

#include "base/env.h"
#include "base/format.h"

namespace hvx {

class CTextSink {
 public:
  static constexpr size_t kFlushAt = 1 << 16;

  CTextSink() = default;
  explicit CTextSink(std::unique_ptr<COutFile> file) : m_file(std::move(file)) {}

  void Attach(std::unique_ptr<COutFile> file) { m_file = std::move(file); }
  bool IsOpen() const { return m_file != nullptr; }

  template <class... A>
  void Format(const char* fmt, const A&... a) {
    FormatTo(m_buf, fmt, a...);
    if (m_buf.size() >= kFlushAt) Flush();
  }
  void Append(std::string_view text) {
    m_buf.append(text.data(), text.size());
    if (m_buf.size() >= kFlushAt) Flush();
  }

  // Hands the gathered text to the file; raises CFileError on failure.
  void Flush();
  // Flushes and closes; raises CFileError on failure.
  void Close();
  // Drops what is gathered and closes without raising.
  void Abort() noexcept;

 private:
  std::unique_ptr<COutFile> m_file;
  std::string m_buf;
};

}  // namespace hvx
