#include "writer/textsink.h"

namespace hvx {

void CTextSink::Flush() {
  if (m_buf.empty()) return;
  if (!m_file) {
    m_buf.clear();
    return;
  }
  m_file->Write(m_buf.data(), m_buf.size());
  m_buf.clear();
}

void CTextSink::WritePiece(std::string& text, CPieceNumbers* numbers) {
  Flush();
  if (m_file) m_file->WritePiece(text, numbers);
}

void CTextSink::Close() {
  Flush();
  if (m_file) {
    std::unique_ptr<COutFile> f = std::move(m_file);
    f->Close();
  }
}

void CTextSink::Abort() noexcept {
  m_buf.clear();
  if (m_file) {
    m_file->Abort();
    m_file.reset();
  }
}

}  // namespace hvx
