#include "cli/progress.h"

#include <algorithm>

#include "api/tool_text.h"

namespace hvx {

void CProgressLine::Begin(std::string name) {
  m_name = std::move(name);
  m_shown.clear();
  m_drawn = false;
}

void CProgressLine::Update(const CProgress& p) {
  if (p.section) {
    Show(Text(EText::kProgressWriting, {m_name, p.section}));
    return;
  }
  const uint64_t pct = p.modelBytes == 0 ? 100 : std::min<uint64_t>(100, p.bytesRead * 100 / p.modelBytes);
  Show(Text(EText::kProgressReading, {m_name, std::to_string(pct)}));
}

void CProgressLine::Count(size_t done, size_t total) {
  Show(Text(EText::kProgressModels, {std::to_string(done), std::to_string(total)}));
}

void CProgressLine::Show(std::string text) {
  const double now = m_clock();
  if (text == m_shown || (m_drawn && now - m_lastDraw < kMinInterval)) return;
  // Overwrite the old text; blanks cover what a longer one left.
  std::string line(1, '\r');
  line += text;
  if (m_shown.size() > text.size()) line.append(m_shown.size() - text.size(), ' ');
  m_sink(line);
  m_shown = std::move(text);
  m_lastDraw = now;
  m_drawn = true;
}

void CProgressLine::End() {
  if (!m_shown.empty()) {
    std::string blank(m_shown.size() + 2, ' ');
    blank.front() = blank.back() = '\r';
    m_sink(blank);
  }
  m_shown.clear();
  m_drawn = false;
}

}  // namespace hvx
