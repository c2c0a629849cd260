#include "cli/buffered_text.h"

#include "platform/console.h"

namespace hvx {

void CBufferedText::Put(std::FILE* f, std::string_view text) {
  if (text.empty()) return;
  if (!m_pieces.empty() && m_pieces.back().first == f)
    m_pieces.back().second += text;
  else
    m_pieces.emplace_back(f, std::string(text));
}

void CBufferedText::WriteOut() {
  std::FILE* last = nullptr;
  for (const auto& [f, text] : m_pieces) {
    if (last && last != f) std::fflush(last);
    WriteText(f, text);
    last = f;
  }
  if (last) std::fflush(last);
  m_pieces.clear();
  m_pieces.shrink_to_fit();
}

}  // namespace hvx
