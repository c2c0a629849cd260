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
  // The gathered text, to append to directly; call Appended() after.
  std::string& Buffer() { return m_buf; }
  void Appended() {
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

// Where the data lines of a piece of a section go: into the piece's own text
// (formatted on some thread, written later in order), or straight into the
// sink.
class CPieceOut {
 public:
  explicit CPieceOut(std::string& text) : m_text(text) {}
  explicit CPieceOut(CTextSink& sink) : m_text(sink.Buffer()), m_sink(&sink) {}

  template <class... A>
  void Format(const char* fmt, const A&... a) {
    FormatTo(m_text, fmt, a...);
    if (m_sink) m_sink->Appended();
  }
  // " %d" of v.
  void SpaceAndInt(long long v) {
    m_text += ' ';
    AppendD(m_text, v);
    if (m_sink) m_sink->Appended();
  }

 private:
  std::string& m_text;
  CTextSink* m_sink = nullptr;
};

}  // namespace hvx
