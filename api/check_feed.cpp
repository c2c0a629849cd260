#include "api/check_feed.h"

namespace hvx {

CCheckFeed::CCheckFeed(bool counting, bool onThread) : m_counting(counting) {
  if (onThread)
    m_worker = std::thread([this] { Work(); });
  else
    m_inline = std::make_unique<hvx::CQsxChecker>(hvx::CQsxChecker::kPendingBytes, counting);
}

CCheckFeed::~CCheckFeed() {
  if (m_worker.joinable()) Finish();
}

void CCheckFeed::Check(hvx::CQsxChecker& checker, std::string_view text, const CPieceNumbers* numbers, size_t bytes) {
  if (m_failed) return;  // the rest is dropped, so the writer never waits for nothing
  try {
    if (!numbers) {
      checker.Feed(text);
    } else if (!checker.FeedNumbers(*numbers, bytes)) {
      // The writer records the numbers of whole lines of the section it
      // has just begun, so this does not happen; if it did, the count
      // would be unknown.
      m_failed = true;
    }
  } catch (...) {
    m_failed = true;
  }
}

void CCheckFeed::Conclude(hvx::CQsxChecker& checker) {
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
  if (m_inline) {
    if (!m_ended) Check(*m_inline, std::string_view(data, size), nullptr, size);
    return;
  }
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
  if (m_inline) {
    // Checked where it is: the text and the numbers stay the writer's.
    const bool byNumbers = m_counting && numbers && numbers->Lines() != 0;
    if (!m_ended) Check(*m_inline, text, byNumbers ? numbers : nullptr, text.size());
    return;
  }
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
  if (m_inline) {
    if (!m_ended) Conclude(*m_inline);
    m_ended = true;
    return;
  }
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
    for (const CPiece& piece : batch)
      Check(checker, piece.text, piece.numbers.Lines() == 0 ? nullptr : &piece.numbers, piece.bytes);
  }
  Conclude(checker);
}

}  // namespace hvx
