// The shape most sections share: command and comment lines written just before
// the first data line, nothing at all when there is no data line, and one
// empty line closing a section that was written.
#pragma once

#include <initializer_list>
#include <vector>

#include "writer/textsink.h"

namespace hvx {

class CSection {
 public:
  CSection(CTextSink& out, std::initializer_list<const char*> header) : m_out(out), m_header(header) {}

  // Writes the header once, before the first data line.
  void Open() {
    if (m_open) return;
    m_open = true;
    for (const char* line : m_header) m_out.Append(line);
  }
  bool IsOpen() const { return m_open; }

  // One data line (opening the section first).
  template <class... A>
  void Line(const char* fmt, const A&... a) {
    Open();
    m_out.Format(fmt, a...);
  }

  // Ends the section with an empty line, when it was written.
  void Close() {
    if (m_open) m_out.Append("\n");
  }

 private:
  CTextSink& m_out;
  std::vector<const char*> m_header;
  bool m_open = false;
};

}  // namespace hvx
