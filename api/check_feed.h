// The reference check of a QSX file as it is written: a tee file passes every
// piece the writer's sink hands to the real file on to a worker thread, which
// feeds the checker; the tool collects the findings after the conversion.
// Reading the written file back afterwards would cost a second pass over it.
// A counting check (for the summary's count alone) takes the pieces of the
// long sections by the numbers the writer records of their lines.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/env.h"
#include "base/piece_numbers.h"
#include "check/qsxcheck.h"

namespace hvx {

class CCheckFeed {
 public:
  // Bytes of text waiting for the worker before the writer waits for it (a
  // single larger piece is still taken when nothing waits).
  static constexpr size_t kMaxPendingBytes = size_t{4} << 20;
  // Bytes waiting before the worker is woken (or the end of the text): it
  // takes them all at once, rather than waking for every piece.
  static constexpr size_t kWakeBytes = size_t{1} << 20;
  // Storage of taken pieces kept for reuse: at most this many, none larger.
  static constexpr size_t kMaxSpare = 8;
  static constexpr size_t kMaxSpareBytes = size_t{1} << 20;

  // counting: only the count of dangling references is wanted (Counted);
  // Finish's list may then leave references out. onThread: the checker runs
  // on a worker thread beside the writer; otherwise each piece is checked as
  // it is handed over, on the writer's thread (a conversion on one thread).
  explicit CCheckFeed(bool counting = false, bool onThread = true);
  ~CCheckFeed();
  CCheckFeed(const CCheckFeed&) = delete;
  CCheckFeed& operator=(const CCheckFeed&) = delete;

  // Queues a copy of the piece for the checker.
  void Write(const char* data, size_t size);
  // Queues the piece itself, taking its storage: text is left empty (with
  // the storage of a piece already checked, when one is spare). numbers,
  // when given, are the numbers of its lines: a counting check takes them
  // instead of the text, which it then leaves as it is.
  void Take(std::string& text, CPieceNumbers* numbers = nullptr);
  // Whether the numbers of the pieces' lines are of use.
  bool Counting() const { return m_counting; }
  // Ends the text: the worker resolves what it holds while the caller goes on.
  void End();
  // Ends the text, waits for the worker and returns its findings. Call once.
  hvx::CDanglingList Finish();
  // True when the checker ran out of memory (its findings are then empty).
  bool Failed() const { return m_failed; }
  // References the checker had no room to resolve (valid after Finish).
  long long Unchecked() const { return m_unchecked; }
  // The dangling references, all counted (valid after Finish).
  long long Counted() const { return m_counted; }

 private:
  void Work();
  // Feeds one piece of text, or the numbers of its lines, to checker.
  void Check(hvx::CQsxChecker& checker, std::string_view text, const CPieceNumbers* numbers, size_t bytes);
  // Takes the checker's findings once the text has ended.
  void Conclude(hvx::CQsxChecker& checker);
  // Waits for room for bytes more; false once the text has ended. Holds lock.
  bool AwaitRoom(std::unique_lock<std::mutex>& lock, size_t bytes);
  // A piece of text, or of a counting check the numbers of its lines alone
  // (bytes: the size of their text).
  struct CPiece {
    std::string text;
    CPieceNumbers numbers;
    size_t bytes = 0;
  };
  // Queues piece and releases lock.
  void Queue(std::unique_lock<std::mutex>& lock, CPiece piece);

  std::mutex m_mutex;
  std::condition_variable m_ready;  // a piece arrived or the text ended
  std::condition_variable m_room;   // the worker took a piece
  const bool m_counting;
  std::deque<CPiece> m_pending;
  size_t m_pendingBytes = 0;
  std::vector<std::string> m_spare;  // taken pieces, kept for their storage
  bool m_ended = false;
  hvx::CDanglingList m_findings;
  bool m_failed = false;
  long long m_unchecked = 0;
  long long m_counted = 0;
  std::unique_ptr<hvx::CQsxChecker> m_inline;  // the checker without a worker
  std::thread m_worker;
};

// A file that writes to inner and copies what it wrote to feed.
class CCheckedOutFile : public hvx::COutFile {
 public:
  CCheckedOutFile(std::unique_ptr<hvx::COutFile> inner, CCheckFeed& feed)
      : m_inner(std::move(inner)), m_feed(feed) {}
  void Write(const char* data, size_t size) override {
    m_inner->Write(data, size);
    m_feed.Write(data, size);
  }
  // The writer's pieces of the long sections go to the check uncopied.
  void WritePiece(std::string& text, CPieceNumbers* numbers) override {
    m_inner->Write(text.data(), text.size());
    m_feed.Take(text, numbers);
  }
  bool WantsNumbers() const override { return m_feed.Counting(); }
  // The file is complete once closed: the check may finish meanwhile.
  void Close() override {
    m_inner->Close();
    m_feed.End();
  }
  void Abort() noexcept override { m_inner->Abort(); }

 private:
  std::unique_ptr<hvx::COutFile> m_inner;
  CCheckFeed& m_feed;
};

}  // namespace hvx
