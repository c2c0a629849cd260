#include "host/check_feed.h"

namespace hvx {

CCheckFeed::CCheckFeed() : m_worker([this] { Work(); }) {}

CCheckFeed::~CCheckFeed() {
  if (m_worker.joinable()) Finish();
}

bool CCheckFeed::AwaitRoom(std::unique_lock<std::mutex>& lock, size_t bytes) {
  m_room.wait(lock, [&] { return m_ended || m_pending.empty() || m_pendingBytes + bytes <= kMaxPendingBytes; });
  return !m_ended;  // text after the end is not the file's
}

void CCheckFeed::Queue(std::unique_lock<std::mutex>& lock, std::string piece) {
  m_pendingBytes += piece.size();
  m_pending.push_back(std::move(piece));
  lock.unlock();
  m_ready.notify_one();
}

void CCheckFeed::Write(const char* data, size_t size) {
  if (size == 0) return;
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!AwaitRoom(lock, size)) return;
  std::string piece;
  if (!m_spare.empty()) {
    piece = std::move(m_spare.back());
    m_spare.pop_back();
  }
  piece.assign(data, size);
  Queue(lock, std::move(piece));
}

void CCheckFeed::Take(std::string& text) {
  if (text.empty()) return;
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!AwaitRoom(lock, text.size())) return;
  std::string piece;
  piece.swap(text);
  if (!m_spare.empty()) {
    text.swap(m_spare.back());
    m_spare.pop_back();
    text.clear();
  }
  Queue(lock, std::move(piece));
}

void CCheckFeed::End() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
  }
  m_ready.notify_one();
}

hvx::CDanglingList CCheckFeed::Finish() {
  End();
  if (m_worker.joinable()) m_worker.join();
  return std::move(m_findings);
}

void CCheckFeed::Work() {
  hvx::CQsxChecker checker;
  std::string piece;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      if (!piece.empty() && m_spare.size() < kMaxSpare && piece.capacity() <= kMaxSpareBytes)
        m_spare.push_back(std::move(piece));
      piece = std::string();
      m_ready.wait(lock, [&] { return m_ended || !m_pending.empty(); });
      if (m_pending.empty()) break;
      piece = std::move(m_pending.front());
      m_pending.pop_front();
      m_pendingBytes -= piece.size();
    }
    m_room.notify_one();
    if (m_failed) continue;
    try {
      checker.Feed(piece);
    } catch (...) {
      m_failed = true;  // the rest is taken and dropped, so the writer never waits for nothing
    }
  }
  try {
    if (!m_failed) {
      m_findings = checker.Finish();
      m_unchecked = checker.Stats().uncheckedReferences;
    }
  } catch (...) {
    m_failed = true;
  }
}

}  // namespace hvx
