// Buffered output sink: formatted text is gathered in memory and handed to the
// file in large pieces. A sink without a file drops what it is given (a log
// that could not be created must not fail the conversion).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/env.h"
#include "base/format.h"
#include "base/piece_numbers.h"

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

  // Writes a piece after what is gathered, without copying it where the
  // file can take it (see COutFile::WritePiece: text is left with any
  // content); raises CFileError on failure.
  void WritePiece(std::string& text, CPieceNumbers* numbers = nullptr);
  // Whether the file would use the numbers of the pieces' lines.
  bool WantsNumbers() const { return m_file && m_file->WantsNumbers(); }

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
// sink. What has to happen on the writing thread at a point of the text (a
// log entry, a report entry) is handed to Then.
class CPieceOut {
 public:
  // Work deferred to the writing thread, due once `at` bytes of the piece's
  // text are written.
  struct CLater {
    size_t at;
    std::function<void()> run;
  };

  // numbers, when given, records the numbers of the lines (for a file that
  // wants them).
  CPieceOut(std::string& text, std::vector<CLater>& later, CPieceNumbers* numbers = nullptr)
      : m_text(text), m_later(&later), m_numbers(numbers) {}
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
  // Where the numbers of the lines go; nullptr when nobody wants them.
  CPieceNumbers* Numbers() const { return m_numbers; }
  // Runs f on the writing thread at this point of the text: at once when the
  // lines go straight to the sink, else when the piece is written.
  template <class F>
  void Then(F&& f) {
    if (m_sink)
      f();
    else
      m_later->push_back(CLater{m_text.size(), std::forward<F>(f)});
  }

 private:
  std::string& m_text;
  CTextSink* m_sink = nullptr;
  std::vector<CLater>* m_later = nullptr;
  CPieceNumbers* m_numbers = nullptr;
};

}  // namespace hvx
