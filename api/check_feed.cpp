#include "api/check_feed.h"

namespace hvx {

CCheckFeed::CCheckFeed(bool counting) : m_counting(counting), m_worker([this] { Work(); }) {}

CCheckFeed::~CCheckFeed() {
  if (m_worker.joinable()) Finish();
}

bool CCheckFeed::AwaitRoom(std::unique_lock<std::mutex>& lock, size_t bytes) {
  m_room.wait(lock, [&] { return m_ended || m_pending.empty() || m_pendingBytes + bytes <= kMaxPendingBytes; });
  return !m_ended;  // text after the end is not the file's
}

void CCheckFeed::Queue(std::unique_lock<std::mutex>& lock, CPiece piece) {
  m_pendingBytes += piece.text.size() + piece.numbers.Bytes();
  m_pending.push_back(std::move(piece));
  const bool wake = m_pendingBytes >= kWakeBytes;
  lock.unlock();
  if (wake) m_ready.notify_one();
}

void CCheckFeed::Write(const char* data, size_t size) {
  if (size == 0) return;
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!AwaitRoom(lock, size)) return;
  CPiece piece;
  if (!m_spare.empty()) {
    piece.text = std::move(m_spare.back());
    m_spare.pop_back();
  }
  piece.text.assign(data, size);
  Queue(lock, std::move(piece));
}

void CCheckFeed::Take(std::string& text, CPieceNumbers* numbers) {
  if (text.empty()) return;
  const size_t bytes = m_counting && numbers ? numbers->Bytes() : text.size();
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!AwaitRoom(lock, bytes)) return;
  CPiece piece;
  if (m_counting && numbers && numbers->Lines() != 0) {
    piece.numbers = std::move(*numbers);
    piece.bytes = text.size();
    Queue(lock, std::move(piece));
    return;
  }
  piece.text.swap(text);
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
  hvx::CQsxChecker checker(hvx::CQsxChecker::kPendingBytes, m_counting);
  std::deque<CPiece> batch;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      for (CPiece& piece : batch)
        if (m_spare.size() < kMaxSpare && piece.text.capacity() <= kMaxSpareBytes)
          m_spare.push_back(std::move(piece.text));
      batch.clear();
      m_ready.wait(lock, [&] { return m_ended || m_pendingBytes >= kWakeBytes; });
      if (m_pending.empty()) break;
      batch.swap(m_pending);
      m_pendingBytes = 0;
    }
    m_room.notify_one();
    for (CPiece& piece : batch) {
      if (m_failed) break;  // the rest is dropped, so the writer never waits for nothing
      try {
        if (piece.numbers.Lines() == 0) {
          checker.Feed(piece.text);
        } else if (!checker.FeedNumbers(piece.numbers, piece.bytes)) {
          // The writer records the numbers of whole lines of the section
          // it has just begun, so this does not happen; if it did, the
          // count would be unknown.
          m_failed = true;
        }
      } catch (...) {
        m_failed = true;
      }
    }
  }
  try {
    if (!m_failed) {
      m_findings = checker.Finish();
      m_unchecked = checker.Stats().uncheckedReferences;
      m_counted = checker.Counted();
    }
  } catch (...) {
    m_failed = true;
  }
}

}  // namespace hvx
